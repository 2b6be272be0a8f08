#include "ui/GreyedTexts.h"

namespace zorv {
namespace {

// The two halves of the format "<FONT color="#96938D">%s</FONT>"; the title is
// put between them as it is, so a "%" in a title stays text.
const char kGreyOpen[] = "<FONT color=\"#96938D\">";
const char kGreyClose[] = "</FONT>";
const char kTwoEmDashes[] = "\x97\x97";

}  // namespace

std::string GreyedTitle(const std::string& Title) { return kGreyOpen + Title + kGreyClose; }

std::string GreyedPlaceholder() { return GreyedTitle(kTwoEmDashes); }

}  // namespace zorv
