#include "ui/CaptionFormat.h"

#include <vector>

#include "foundation/Exceptions.h"

namespace zorv {
namespace {

[[noreturn]] void InvalidFormat(const std::string& format) {
    throw EConvertError("Format '" + format + "' invalid or incompatible with argument");
}

// Reads the decimal number at text[pos]; -1 when there is none.
int ReadNumber(const std::string& format, size_t& pos) {
    if (pos >= format.size() || format[pos] < '0' || format[pos] > '9') return -1;
    int value = 0;
    while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') {
        value = value * 10 + (format[pos] - '0');
        if (value > kMaxFormatWidth) InvalidFormat(format);
        ++pos;
    }
    return value;
}

std::string FormatInteger(int64_t value, bool leftAlign, int width, int precision) {
    // Magnitude as unsigned so that the smallest int64 does not overflow.
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (precision > static_cast<int>(digits.size())) digits.insert(0, precision - digits.size(), '0');
    if (value < 0) digits.insert(digits.begin(), '-');
    if (width > static_cast<int>(digits.size())) {
        const std::string pad(width - digits.size(), ' ');
        digits = leftAlign ? digits + pad : pad + digits;
    }
    return digits;
}

}  // namespace

std::string FormatCaption(const std::string& Format, std::initializer_list<int64_t> Args) {
    const std::vector<int64_t> args(Args);
    size_t next = 0;
    std::string out;
    size_t pos = 0;
    while (pos < Format.size()) {
        const size_t percent = Format.find('%', pos);
        out.append(Format, pos, percent == std::string::npos ? std::string::npos : percent - pos);
        if (percent == std::string::npos) break;
        pos = percent + 1;
        if (pos < Format.size() && Format[pos] == '%') {
            out += '%';
            ++pos;
            continue;
        }
        const bool leftAlign = pos < Format.size() && Format[pos] == '-';
        if (leftAlign) ++pos;
        const int width = ReadNumber(Format, pos);
        int precision = -1;
        if (pos < Format.size() && Format[pos] == '.') {
            ++pos;
            precision = ReadNumber(Format, pos);
        }
        if (pos >= Format.size() || (Format[pos] != 'd' && Format[pos] != 'D') || next >= args.size()) {
            InvalidFormat(Format);
        }
        ++pos;
        out += FormatInteger(args[next++], leftAlign, width, precision);
    }
    return out;
}

}  // namespace zorv
