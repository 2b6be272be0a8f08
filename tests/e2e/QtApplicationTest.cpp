// The Qt application object of the program, on the offscreen platform.
#include <gtest/gtest.h>

#include <QTimer>
#include <QWidget>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/ApplicationExceptions.h"
#include "frontends/qt/QtApplication.h"

namespace zorv {
namespace {

class QtApplicationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "e2e_qt_application_test";
        static char* argv[] = {name, nullptr};
        App = new TQtApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete App;
        App = nullptr;
    }
    ~QtApplicationTest() override { SetApplicationExceptionHandler(nullptr); }

    static TQtApplication* App;
};

TQtApplication* QtApplicationTest::App = nullptr;

TEST_F(QtApplicationTest, ExceptionsFromEventHandlersGoToTheHandlerAndTheLoopGoesOn) {
    std::vector<std::string> caught;
    SetApplicationExceptionHandler([&](const std::exception& e) { caught.push_back(e.what()); });
    QTimer::singleShot(0, [] { throw std::runtime_error("from a timer"); });
    QTimer::singleShot(1, [] { throw 42; });
    bool later = false;
    QTimer::singleShot(20, [&] {
        later = true;
        QCoreApplication::quit();
    });
    App->exec();
    EXPECT_TRUE(later);
    EXPECT_EQ(caught, (std::vector<std::string>{"from a timer", "unknown exception"}));
}

TEST_F(QtApplicationTest, TheLoopEndsWhenTheWindowClosesEvenIfNeverShown) {
    QWidget window;
    App->QuitWhenClosed(window);
    window.close();  // before the loop runs, as a failed start-up does
    bool stillRunning = false;
    QTimer::singleShot(5000, [&] {
        stillRunning = true;
        QCoreApplication::quit();
    });
    App->exec();
    EXPECT_FALSE(stillRunning);
}

}  // namespace
}  // namespace zorv
