#include "frontends/qt/QtMessageLoop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <chrono>
#include <thread>

namespace zorv {
namespace {

class TQtTimer : public ITimer {
public:
    TQtTimer(unsigned intervalMs, TTimerHandler handler, bool enabled) : FTimer(new QTimer) {
        FTimer->setInterval(static_cast<int>(intervalMs));
        // The handler may destroy this timer: it is copied before the call, and the
        // QTimer itself is only deleted later by the event loop.
        QObject::connect(FTimer, &QTimer::timeout, FTimer, [this, handler] {
            TTimerHandler call = handler;
            call(this);
        });
        if (enabled) FTimer->start();
    }
    ~TQtTimer() override {
        FTimer->stop();
        QObject::disconnect(FTimer, nullptr, nullptr, nullptr);
        FTimer->deleteLater();
    }
    void SetEnabled(bool enabled) override {
        if (enabled && !FTimer->isActive()) FTimer->start();
        if (!enabled) FTimer->stop();
    }
    bool Enabled() const override { return FTimer->isActive(); }

private:
    QTimer* FTimer;
};

}  // namespace

std::unique_ptr<ITimer> TQtMessageLoop::CreateTimer(unsigned intervalMs, TTimerHandler handler, bool enabled) {
    return std::make_unique<TQtTimer>(intervalMs, std::move(handler), enabled);
}

void TQtMessageLoop::RunOnUiThread(std::function<void()> fn) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
}

void TQtMessageLoop::ProcessMessagesFor(unsigned ms) {
    // A nested loop that sleeps in the event dispatcher, not a polling loop.
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(ms), &loop, &QEventLoop::quit);
    loop.exec();
}

void TQtMessageLoop::Sleep(unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TLocalDateTime TQtMessageLoop::Now() { return SystemLocalNow(); }

}  // namespace zorv
