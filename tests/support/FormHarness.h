#pragma once
// The main form as the program builds it: handed its seams at construction,
// with its error log and INI file in a temporary folder and the log stamped
// by the form's own loop. Fixtures hand it fakes (FakeSeams) or real seams.
#include <string>

#include "FakeCommBackend.h"
#include "FakeDeviceSource.h"
#include "FakeMainView.h"
#include "FakeMessageLoop.h"
#include "TempDir.h"
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

// Fakes of every seam but the resources: virtual time, a recording window, and
// devices and serial ports that the test describes.
struct FakeSeams {
    TFormSeams Handed(IResourceSource& Resources = BuiltInResources()) {
        return {Loop, View, Devices, Ports, Resources};
    }

    FakeMessageLoop Loop;
    FakeMainView View;
    FakeDeviceSource Devices;
    FakeCommBackend Ports;
};

// A form of fakes with the program's resources, under the short names fixtures use.
struct FakeForm {
    FakeSeams seams;
    FormHarness harness{seams.Handed()};
    TempDir& dir = harness.Dir;
    FakeMessageLoop& loop = seams.Loop;
    FakeMainView& view = seams.View;
    FakeDeviceSource& devices = seams.Devices;
    FakeCommBackend& backend = seams.Ports;
    TZorvGSMDemoMainForm& form = harness.Form;
};

}  // namespace zorv::test
