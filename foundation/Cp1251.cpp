#include "foundation/Cp1251.h"

#include <cstdint>

namespace zorv {
namespace {

// Unicode code points of bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
// 0x98 is unassigned and maps to U+FFFD.
const uint16_t kHighHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

uint32_t CodePointOf(unsigned char byte) {
    if (byte < 0x80) return byte;
    if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
    return kHighHalf[byte - 0x80];
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char ByteOf(uint32_t cp) {
    if (cp < 0x80) return static_cast<char>(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<char>(0xC0 + (cp - 0x0410));
    for (int i = 0; i < 64; ++i) {
        if (kHighHalf[i] == cp && cp != 0xFFFD) return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace

std::string Cp1251ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) AppendUtf8(out, CodePointOf(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToCp1251(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || i + extra >= text.size()) {
            out += '?';
            ++i;
            continue;
        }
        uint32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        if (!valid) {
            out += '?';
            ++i;
            continue;
        }
        out += ByteOf(cp);
        i += extra + 1;
    }
    return out;
}

std::string Utf16LeToCp1251(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const uint32_t unit = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
        // No character beyond the first plane is in Windows-1251: a surrogate pair is one '?'.
        if (unit >= 0xDC00 && unit <= 0xDFFF) continue;
        out += unit >= 0xD800 && unit <= 0xDBFF ? '?' : ByteOf(unit);
    }
    return out;
}

char AnsiUpperChar(char c) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
    if (b >= 0xE0) return static_cast<char>(b - 32);  // а..я -> А..Я
    switch (b) {
        case 0xB8: return static_cast<char>(0xA8);  // ё
        case 0x90: return static_cast<char>(0x80);  // ђ
        case 0x83: return static_cast<char>(0x81);  // ѓ
        case 0x9A: return static_cast<char>(0x8A);  // љ
        case 0x9C: return static_cast<char>(0x8C);  // њ
        case 0x9D: return static_cast<char>(0x8D);  // ќ
        case 0x9E: return static_cast<char>(0x8E);  // ћ
        case 0x9F: return static_cast<char>(0x8F);  // џ
        case 0xA2: return static_cast<char>(0xA1);  // ў
        case 0xBC: return static_cast<char>(0xA3);  // ј
        case 0xB4: return static_cast<char>(0xA5);  // ґ
        case 0xBA: return static_cast<char>(0xAA);  // є
        case 0xBF: return static_cast<char>(0xAF);  // ї
        case 0xB3: return static_cast<char>(0xB2);  // і
        case 0xBE: return static_cast<char>(0xBD);  // ѕ
        default: return c;
    }
}

std::string AnsiUpperCase(const std::string& text) {
    std::string out(text);
    for (char& c : out) c = AnsiUpperChar(c);
    return out;
}

}  // namespace zorv
