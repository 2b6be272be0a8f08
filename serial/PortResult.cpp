#include "serial/PortResult.h"

namespace zorv {

TPortResult PortFailure(uint32_t Code, const std::string& Path) {
    TPortResult result;
    result.Outcome = PortOutcomeOf(Code);
    result.Code = Code;
    result.Text = SystemErrorText(Code);
    result.Path = PortPathText(Path);
    return result;
}

}  // namespace zorv
