#pragma once
// The grey texts of the information panel while no demonstration object is shown.
#include <string>

namespace zorv {

// The title inside "<FONT color="#96938D">%s</FONT>" (RGB 150, 147, 141).
std::string GreyedTitle(const std::string& Title);

// "<FONT color="#96938D">" two em dashes "</FONT>", in Windows-1251.
std::string GreyedPlaceholder();

}  // namespace zorv
