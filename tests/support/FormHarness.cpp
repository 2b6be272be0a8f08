#include "FormHarness.h"

namespace zorv::test {

FormHarness::FormHarness(const TFormSeams& Seams)
    : Errors(Dir.File("ErrLog.txt"), [&Loop = Seams.Loop] { return Loop.Now(); }), Form(Seams) {
    Form.FIniFileName = Dir.File("ZorvGSMDemo.ini");
}

}  // namespace zorv::test
