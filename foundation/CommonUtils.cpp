#include "foundation/CommonUtils.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "foundation/Exceptions.h"

namespace zorv {

std::string ExtractToken(const std::string& S, const std::string& Delimiter, uint8_t Index) {
    if (S.size() > 255) throw ERangeError("Range check error");
    std::string field;
    unsigned counter = 1;
    std::string rest = S;
    if (!S.empty()) {
        while (counter <= Index) {
            const size_t at = Delimiter.empty() ? std::string::npos : rest.find(Delimiter);
            if (at == std::string::npos) {
                field = rest;
                break;
            }
            field = rest.substr(0, at);
            rest.erase(0, at + Delimiter.size());
            ++counter;
        }
    }
    return counter >= Index ? field : std::string();
}

bool CheckHardVersion(const std::string& Reference, const std::string& Version) {
    try {
        return ExtractToken(Reference, ".", 1) + "." + ExtractToken(Reference, ".", 2) ==
               ExtractToken(Version, ".", 1) + "." + ExtractToken(Version, ".", 2);
    } catch (const std::exception& e) {
        AddExceptionLog(e, "CheckHardVersion");
        return false;
    }
}

int32_t CompareBuildVersion(const std::string& Reference, const std::string& Version) {
    try {
        const std::string r3 = ExtractToken(Reference, ".", 3), r4 = ExtractToken(Reference, ".", 4);
        const std::string v3 = ExtractToken(Version, ".", 3), v4 = ExtractToken(Version, ".", 4);
        if (r3.empty() || r4.empty()) return kBuildReferenceIncomplete;
        if (v3.empty() || v4.empty()) return kBuildVersionIncomplete;
        int32_t R3 = 0, R4 = 0, V3 = 0, V4 = 0;
        if (!TryStrToInt(r3, R3)) R3 = 0;
        if (!TryStrToInt(r4, R4)) R4 = 0;
        if (!TryStrToInt(v3, V3)) V3 = 0;
        if (!TryStrToInt(v4, V4)) V4 = 0;
        if (R3 == V3) return V4 == R4 ? kBuildSame : (V4 > R4 ? kBuildLater : kBuildEarlier);
        return V3 > R3 ? kBuildLater : kBuildEarlier;
    } catch (const std::exception& e) {
        AddExceptionLog(e, "CheckHardVersion");
        return kBuildReferenceIncomplete;
    }
}

bool TryStrToInt(const std::string& text, int32_t& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    unsigned base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
        else return false;
        magnitude = magnitude * base + digit;
        if (magnitude > 0xFFFFFFFFull) return false;
    }
    // Hexadecimal texts may give the full 32-bit pattern, as "$FFFFFFFF" gives -1.
    if (base == 16 && !negative) {
        value = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
        return true;
    }
    const uint64_t limit = negative ? 0x80000000ull : 0x7FFFFFFFull;
    if (magnitude > limit) return false;
    value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude)) : static_cast<int32_t>(magnitude);
    return true;
}

}  // namespace zorv
