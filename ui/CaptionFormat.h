#pragma once
// Fills the integer conversions of a caption ("%d, %d", "%04.4d"). The caption
// text is never handed to printf: a caption with conversions this program does
// not fill cannot read past its arguments.
#include <cstdint>
#include <initializer_list>
#include <string>

namespace zorv {

// Conversions: "%%", and "%[-][width][.precision]d" where precision is the minimum
// number of digits (zero-padded) and width pads with blanks ("-": on the right);
// a leading "0" of the width is part of the number, not a flag.
// Throws EConvertError for any other conversion, a missing argument or a width or
// precision above kMaxFormatWidth. Arguments left over are ignored.
std::string FormatCaption(const std::string& Format, std::initializer_list<int64_t> Args);

constexpr int kMaxFormatWidth = 1024;

}  // namespace zorv
