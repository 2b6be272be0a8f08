#pragma once
// The application object of the Qt program. An exception that escapes an
// event handler (a timer, a posted function, a click) goes to the program's
// application exception handler instead of ending the process, and the
// program ends when its main window closes, whether it was ever shown or not.
#include <QApplication>

class QWidget;

namespace zorv {

class TQtApplication : public QApplication {
public:
    TQtApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Quits the message loop once Window has closed (also before exec() runs).
    void QuitWhenClosed(QWidget& Window);
};

}  // namespace zorv
