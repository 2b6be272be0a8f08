#include "FormHarness.h"

#include "foundation/ApplicationExceptions.h"

namespace zorv::test {

namespace {

TFormSeams WithIniFile(const TFormSeams& Seams, const std::string& IniFileName) {
    TFormSeams seams = Seams;
    seams.IniFileName = IniFileName;
    return seams;
}

}  // namespace

FormHarness::FormHarness(const TFormSeams& Seams)
    : Errors(Dir.File("ErrLog.txt"), [&Loop = Seams.Loop] { return Loop.Now(); }),
      Form(WithIniFile(Seams, Dir.File("ZorvGSMDemo.ini"))),
      FLoop(Seams.Loop) {}

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
