#pragma once
// The main form as the program builds it: handed its seams at construction,
// with its error log and INI file in a temporary folder and the log stamped
// by the form's own loop. Fixtures hand it fakes (FakeForm) or real seams.
#include <string>

#include "FakeCommBackend.h"
#include "FakeDeviceSource.h"
#include "FakeMainView.h"
#include "FakeMessageLoop.h"
#include "TempDir.h"
#include "TextResources.h"
#include "form/ZorvGSMDemoMain.h"
#include "foundation/ErrorLog.h"
#include "foundation/Resources.h"

namespace zorv::test {

class FormHarness {
public:
    explicit FormHarness(const TFormSeams& Seams);
    ~FormHarness() { Stop(); }

    // Starts the form as the program does: creation, then the start timer's
    // tick, which shows the window. The INI file is read from Dir.
    void Start();
    // Shuts a started form down as the program does when its window closes.
    void Stop();
    std::string ErrorLog() const { return Dir.Read("ErrLog.txt"); }

    TempDir Dir;
    TErrorLog Errors;
    TZorvGSMDemoMainForm Form;

private:
    IMessageLoop& FLoop;
    bool FStarted = false;
};

// The form with fakes of every seam: virtual time, a recording window, devices
// and serial ports that the test describes, and the program's resources under
// any text the test writes in FResources. Not started: a fixture writes its INI
// file first, if it needs one, then calls FHarness.Start().
struct FakeForm {
    TextResources FResources{&BuiltInResources()};
    FakeMessageLoop FLoopFake;
    FakeMainView FViewFake;
    FakeDeviceSource FDevices;
    FakeCommBackend FBackend;
    FormHarness FHarness{{FLoopFake, FViewFake, FDevices, FBackend, FResources}};
    TempDir& FDir = FHarness.Dir;
    TZorvGSMDemoMainForm& Form = FHarness.Form;
};

}  // namespace zorv::test
