#include "frontends/qt/QtApplication.h"

#include <QEvent>
#include <QMetaObject>
#include <QWidget>

#include "foundation/ApplicationExceptions.h"

namespace zorv {
namespace {

class TCloseWatcher : public QObject {
public:
    explicit TCloseWatcher(QObject* parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Queued, so that a close during start-up ends the loop as soon as it runs.
        if (event->type() == QEvent::Close)
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

TQtApplication::TQtApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setQuitOnLastWindowClosed(false);
}

bool TQtApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        HandleApplicationException(e);
    } catch (...) {
        HandleUnknownApplicationException();
    }
    return false;
}

void TQtApplication::QuitWhenClosed(QWidget& Window) { Window.installEventFilter(new TCloseWatcher(&Window)); }

}  // namespace zorv
