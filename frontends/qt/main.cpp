// The program: the Qt application, the message loop, the error log, the
// window, the Linux device source and serial ports, the program's resources
// and the main window's logic, which is handed all of them. The window stays hidden until
// the first tick of the start timer shows it; when it closes, the loop ends
// and the form releases its objects. --help and --version print and end
// before any of this, without a display.
#include <cstdio>
#include <utility>

#include "form/FormButtons.h"
#include "form/ZorvGSMDemoMain.h"
#include "discovery/DeviceSourceLinux.h"
#include "foundation/ApplicationExceptions.h"
#include "foundation/CommonUtils.h"
#include "foundation/ErrorLog.h"
#include "foundation/FilePaths.h"
#include "foundation/ProgramFiles.h"
#include "foundation/Resources.h"
#include "serial/CommBackendLinux.h"
#include "frontends/qt/CommandLine.h"
#include "frontends/qt/QtApplication.h"
#include "frontends/qt/QtMainWindow.h"
#include "frontends/qt/QtMessageLoop.h"

int main(int argc, char** argv) {
    if (const auto text = zorv::InformationRequested(argc, argv, ZORV_FILE_VERSION)) {
        std::fputs(text->c_str(), stdout);
        return 0;
    }
    zorv::TQtApplication app(argc, argv);
    zorv::TQtMessageLoop loop;
    const zorv::TProgramFiles files = zorv::LocateProgramFiles();
    zorv::TErrorLog errors(files.ErrorLogFileName, [&loop] { return loop.Now(); });
    zorv::TQtMainWindow window;
    zorv::TDeviceSourceLinux devices(loop);
    const auto ports = zorv::MakeLinuxCommBackend([&devices](int32_t port) { return devices.DevicePath(port); });
    zorv::TZorvGSMDemoMainForm form({loop, window, devices, *ports, zorv::BuiltInResources(), files.IniFileName,
                                     zorv::GetFileVersion(zorv::GetExecutablePath())});

    zorv::BindFormButtons(form, [&window](zorv::TButtonId button, std::function<void()> handler) {
        window.SetButtonHandler(button, std::move(handler));
    });
    app.QuitWhenClosed(window);

    form.OnFormCreate();
    const int result = app.exec();
    form.OnFormDestroy();
    // Nothing may reach the form once it is gone.
    zorv::SetApplicationExceptionHandler(nullptr);
    return result;
}
