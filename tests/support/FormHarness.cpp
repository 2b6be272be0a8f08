#include "FormHarness.h"

#include "foundation/ApplicationExceptions.h"

namespace zorv::test {

FormHarness::FormHarness(const TFormSeams& Seams)
    : Errors(Dir.File("ErrLog.txt"), [&Loop = Seams.Loop] { return Loop.Now(); }), Form(Seams), FLoop(Seams.Loop) {
    Form.FIniFileName = Dir.File("ZorvGSMDemo.ini");
}

void FormHarness::Stop() {
    if (!FStarted) return;
    FStarted = false;
    Form.OnFormDestroy();
    SetApplicationExceptionHandler(nullptr);
}

void FormHarness::Start() {
    FStarted = true;
    Form.OnFormCreate();
    // The start timer's tick (due after 1 ms) makes the commands list.
    for (int ms = 0; ms < 1000 && !Form.FCommandsList; ++ms) FLoop.ProcessMessagesFor(1);
}

}  // namespace zorv::test
