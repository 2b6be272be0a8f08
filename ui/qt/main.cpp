// The program: the Qt application, the message loop, the window, the Linux
// device source and the main window's logic. The window stays hidden until
// the first tick of the start timer shows it; when it closes, the loop ends
// and the form releases its objects.
#include <utility>

#include "foundation/ApplicationExceptions.h"
#include "discovery/DeviceSourceLinux.h"
#include "app/FormButtons.h"
#include "app/ZorvGSMDemoMain.h"
#include "ui/qt/QtApplication.h"
#include "ui/qt/QtMainWindow.h"
#include "ui/qt/QtMessageLoop.h"

int main(int argc, char** argv) {
    zorv::TQtApplication app(argc, argv);
    zorv::TQtMessageLoop loop;
    zorv::TQtMainWindow window;
    zorv::TDeviceSourceLinux devices(loop);
    zorv::TZorvGSMDemoMainForm form(loop, window, devices);

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
