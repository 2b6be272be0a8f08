// The Windows program: the message loop, the error log, the window, the
// Windows device source and serial ports, the program's resources and the
// main window's logic, wired as in the Qt program. The window stays
// hidden until the first tick of the start timer shows it; when it closes,
// the loop ends and the form releases its objects.
#include <windows.h>

#include <utility>

#include "form/FormButtons.h"
#include "form/ZorvGSMDemoMain.h"
#include "discovery/DeviceSourceWin32.h"
#include "foundation/ApplicationExceptions.h"
#include "foundation/CommonUtils.h"
#include "foundation/ErrorLog.h"
#include "foundation/FilePaths.h"
#include "foundation/ProgramFiles.h"
#include "foundation/Resources.h"
#include "serial/CommBackendWin32.h"
#include "frontends/win32/Win32MainWindow.h"
#include "frontends/win32/Win32MessageLoop.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        zorv::TWin32MessageLoop loop;
        const zorv::TProgramFiles files = zorv::LocateProgramFiles();
        zorv::TErrorLog errors(files.ErrorLogFileName, [&loop] { return loop.Now(); });
        zorv::TWin32MainWindow window;
        zorv::TDeviceSourceWin32 devices(window.Handle());
        window.SetDeviceChangeHandler([&devices](WPARAM wParam, LPARAM lParam) { devices.HandleDeviceChange(wParam, lParam); });
        const auto ports = zorv::MakeWin32CommBackend();
        zorv::TZorvGSMDemoMainForm form({loop, window, devices, *ports, zorv::BuiltInResources(), files.IniFileName,
                                         zorv::GetFileVersion(zorv::GetExecutablePath())});

        zorv::BindFormButtons(form, [&window](zorv::TButtonId button, std::function<void()> handler) {
            window.SetButtonHandler(button, std::move(handler));
        });
        loop.SetDialogWindow(window.Handle());

        form.OnFormCreate();
        const int result = loop.Run();
        form.OnFormDestroy();
        // Nothing may reach the form once it is gone.
        zorv::SetApplicationExceptionHandler(nullptr);
        return result;
    } catch (const std::exception& e) {
        // Only the window's own creation can fail here; the program cannot run without it.
        zorv::AddExceptionLog(e, "ZorvGSMDemo.WinMain");
        return 1;
    }
}
