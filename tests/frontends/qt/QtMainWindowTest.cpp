#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <functional>
#include <utility>
#include <vector>

#include "CaptionsTestSupport.h"
#include "FakeCommBackend.h"
#include "FakeDeviceSource.h"
#include "FakeMessageLoop.h"
#include "form/ZorvGSMDemoMain.h"
#include "foundation/Cp1251.h"
#include "foundation/Resources.h"
#include "ui/WindowLayout.h"
#include "frontends/qt/QtMainWindow.h"

// Fontconfig keeps what Qt's font database asked it for until the process ends;
// the leak checker of sanitized builds is told that this is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace zorv {
namespace {

// One application for the whole run, on the offscreen platform: no display is needed.
void EnsureApplication() {
    static int argc = 1;
    static char name[] = "ui_qt_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance()) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

const QRgb kGrey = qRgb(0x96, 0x93, 0x8D);
const QRgb kPanel = qRgb(0xF3, 0xF5, 0xF6);
const int kPanelTop = 430;

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

int Count(const QImage& image, const QRect& rect, const std::function<bool(QRgb)>& test) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) count += test(image.pixel(x, y)) ? 1 : 0;
    }
    return count;
}

// Text in the grey #96938D, antialiased or not: on the light panel it is warmer
// (red above blue) and darker than the panel; black text blends stay cool.
bool GreyOnPanel(QRgb c) { return qRed(c) - qBlue(c) >= 3 && qRed(c) < 230; }
// On the dark navy of the picture (blue above red, all channels low).
bool GreyOnDark(QRgb c) { return qRed(c) >= 100 && qRed(c) >= qBlue(c) && qRed(c) < 200; }
bool White(QRgb c) { return qRed(c) >= 235 && qGreen(c) >= 235 && qBlue(c) >= 235; }
bool Dark(QRgb c) { return qRed(c) < 80 && qGreen(c) < 80 && qBlue(c) < 80; }

class QtMainWindowTest : public test::CaptionsFixture {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
    void SetUp() override {
        CaptionsFixture::SetUp();
        window = std::make_unique<TQtMainWindow>();
        form = std::make_unique<TZorvGSMDemoMainForm>(TFormSeams{loop, *window, devices, ports, BuiltInResources()});
        UseProgramCaptions();
        form->InitCaption();
        window->SetPanelColor(kPanelColor);
        form->SetStartState();
        background = QImage(":/background.bmp").convertToFormat(QImage::Format_RGB32);
    }
    void TearDown() override {
        form.reset();
        window.reset();
        CaptionsFixture::TearDown();
    }
    QImage Shot() { return window->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    template <class T>
    T* Child(const char* name) {
        T* child = window->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    // Pixels of the rectangle that differ from the picture below them.
    int ChangedFromPicture(const QImage& shot, const QRect& rect) {
        int changed = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x) changed += shot.pixel(x, y) != background.pixel(x, y);
        }
        return changed;
    }
    void SaveScreenshot(const QImage& shot, const char* name) {
        const QString dir = QStringLiteral(ZORV_SCREENSHOT_DIR);
        QDir().mkpath(dir);
        EXPECT_TRUE(shot.save(dir + "/" + name));
    }

    test::FakeMessageLoop loop;
    test::FakeDeviceSource devices;
    test::FakeCommBackend ports;
    std::unique_ptr<TQtMainWindow> window;
    std::unique_ptr<TZorvGSMDemoMainForm> form;
    QImage background;
};

// What a screen reader meets: the drawn texts as static text named by their words. Qt
// announces each new name itself; the offscreen platform has no accessibility bridge
// to deliver that event to.
TEST_F(QtMainWindowTest, DrawnTextsAreStaticTextNamedByTheirWords) {
    QWidget* state = Child<QWidget>("ProgrammStateInfoLabel");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(state);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::StaticText);
    EXPECT_EQ(accessible->text(QAccessible::Name).toStdString(),
              "Зорв GSM не подключен.\nПроверьте, что драйвера для прибора установлены на компьютер, "
              "и подключите Зорв GSM к компьютеру.");
    window->SetLabelText(TLabelId::ProgrammStateInfo, Ansi("<B>Зорв GSM</B> подключен"));
    EXPECT_EQ(accessible->text(QAccessible::Name).toStdString(), "Зорв GSM подключен");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(Child<QWidget>("UserActionInfoLabel"))->role(),
              QAccessible::StaticText);
}

TEST_F(QtMainWindowTest, FixedSizeWithoutMaximiseAndCentred) {
    EXPECT_EQ(window->size(), QSize(640, 493));
    EXPECT_EQ(window->minimumSize(), QSize(640, 493));
    EXPECT_EQ(window->maximumSize(), QSize(640, 493));
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Зорв GSM: демонстрация работы. Версия"));
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_EQ(window->windowIcon().availableSizes(),
              (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {256, 256}}));
    const QRect screen = window->screen()->availableGeometry();
    EXPECT_LE(std::abs(window->geometry().center().x() - screen.center().x()), 1);
    window->resize(800, 600);
    EXPECT_EQ(window->size(), QSize(640, 493));
}

TEST_F(QtMainWindowTest, ComponentsStandAtTheirCoordinatesInTabOrder) {
    auto asQRect = [](const TLayoutRect& r) { return QRect(r.Left, r.Top, r.Width, r.Height); };
    std::vector<std::pair<const char*, QRect>> layout{{"BackgroundImage", asQRect(kBackgroundRect)},
                                                      {"SecurityCenterPanel", asQRect(kPanelRect)}};
    for (const TLabelLayout& label : kLabelLayout) layout.emplace_back(label.Name, asQRect(label.Rect));
    QStringList tabOrder;
    for (const TButtonLayout& button : kButtonLayout) {
        layout.emplace_back(button.Name, asQRect(button.Rect));
        tabOrder << button.Name;
    }
    for (const auto& [name, rect] : layout) {
        const QWidget* widget = Child<QWidget>(name);
        if (widget) {
            EXPECT_EQ(widget->geometry(), rect) << name;
        }
    }
    const QWidget* panel = Child<QWidget>("SecurityCenterPanel");
    for (const TLabelLayout& label : kLabelLayout) {
        const QWidget* widget = Child<QWidget>(label.Name);
        if (widget) {
            EXPECT_EQ(widget->parentWidget() == panel, label.Parent == TLayoutParent::Panel) << label.Name;
        }
    }
    QStringList order;
    QWidget* first = Child<QPushButton>("StartDemoButton");
    QWidget* w = first;
    do {
        if (qobject_cast<QPushButton*>(w)) order << w->objectName();
        w = w->nextInFocusChain();
    } while (w && w != first);
    EXPECT_EQ(order, tabOrder);
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isDefault() || button->autoDefault()) << button->objectName().toStdString();
    }
}

TEST_F(QtMainWindowTest, UsesTahomaAtElevenPixelsWhereInstalled) {
    EXPECT_EQ(window->font().pixelSize(), 11);
    if (QFileInfo::exists("/usr/share/wine/fonts/tahoma.ttf")) {
        EXPECT_EQ(QFontInfo(window->font()).family(), "Tahoma");
    }
}

TEST_F(QtMainWindowTest, WaitConnectShowsWhiteStateTextAndGreyPanel) {
    const QImage shot = Shot();
    SaveScreenshot(shot, "screenshot-wait-connect.png");

    EXPECT_GT(Count(shot, {30, 290, 290, 26}, White), 40);
    EXPECT_EQ(Count(background, {30, 290, 290, 42}, White), 0);
    // The empty action label draws nothing: the picture shows through it whole.
    EXPECT_EQ(ChangedFromPicture(shot, {340, 290, 270, 19}), 0);

    for (const QRect& label : {QRect(30, 16, 75, 13), QRect(162, 16, 155, 13), QRect(340, 16, 213, 13),
                               QRect(30, 33, 115, 13), QRect(162, 33, 155, 13), QRect(340, 33, 221, 13)}) {
        const QRect onWindow = label.translated(0, kPanelTop);
        EXPECT_GT(Count(shot, onWindow, GreyOnPanel), 3) << label.x() << "," << label.y();
        // Without antialiasing (the Tahoma bitmaps) the letters are exactly the grey.
        if (window->font().styleStrategy() & QFont::NoAntialias) {
            EXPECT_GT(Count(shot, onWindow, [](QRgb c) { return Near(c, kGrey, 0); }), 3);
        }
        EXPECT_EQ(Count(shot, onWindow, Dark), 0) << label.x() << "," << label.y();
    }
    EXPECT_EQ(shot.pixel(5, kPanelTop + 5), kPanel);
    EXPECT_EQ(shot.pixel(635, kPanelTop + 60), kPanel);

    for (const char* name : {"StartDemoButton", "MoneyLittleButton", "MoneyOffButton", "MoneyFullButton",
                             "EndDemoButton"}) {
        const QPushButton* button = Child<QPushButton>(name);
        if (!button) continue;
        EXPECT_FALSE(button->isEnabled()) << name;
        const QRect rect = button->geometry();
        EXPECT_GT(ChangedFromPicture(shot, rect.adjusted(2, 2, -2, -2)), rect.width() * rect.height() / 2) << name;
        EXPECT_EQ(ChangedFromPicture(shot, {rect.left() - 3, rect.top(), 2, rect.height()}), 0) << name;
    }
}

TEST_F(QtMainWindowTest, DemoLoadedShowsThePlainPanelAndEnabledButtons) {
    form->FObjectNumber = 3456;
    form->FState = psDemoLoaded;
    form->ShowCurrentState();
    const QImage shot = Shot();
    SaveScreenshot(shot, "screenshot-demo-loaded.png");

    EXPECT_GT(Count(shot, {340, 290, 270, 13}, White), 20);
    for (const QRect& label : {QRect(30, 16, 75, 13), QRect(30, 33, 115, 13), QRect(340, 33, 221, 13)}) {
        const QRect onWindow = label.translated(0, kPanelTop);
        EXPECT_GT(Count(shot, onWindow, Dark), 5) << label.x() << "," << label.y();
        EXPECT_EQ(Count(shot, onWindow, GreyOnPanel), 0) << label.x() << "," << label.y();
    }
    const char* enabled[] = {"MoneyLittleButton", "MoneyOffButton", "EndDemoButton"};
    for (const char* name : enabled) {
        if (const QPushButton* button = Child<QPushButton>(name)) {
            EXPECT_TRUE(button->isEnabled()) << name;
        }
    }
    for (const char* name : {"StartDemoButton", "MoneyFullButton"}) {
        if (const QPushButton* button = Child<QPushButton>(name)) {
            EXPECT_FALSE(button->isEnabled()) << name;
        }
    }
}

TEST_F(QtMainWindowTest, LinesBeyondTheLabelHeightAreNotDrawn) {
    window->SetLabelText(TLabelId::ProgrammStateInfo,
                         Ansi("Зорв GSM подключен.<BR>Очень длинное описание состояния, которое не помещается в две "
                              "строки метки и переносится ещё раз, а потом ещё раз, и ещё раз до самого конца."));
    window->SetLabelText(TLabelId::UserActionInfo, Ansi("Первая строка<BR>Вторая строка"));
    const QImage shot = Shot();
    for (int line = 0; line < 3; ++line) {
        EXPECT_GT(Count(shot, {30, 290 + 13 * line, 290, 13}, White), 20) << "line " << line + 1;
    }
    // The fourth line (the sentence's third) would start at y = 329; nothing is drawn
    // there, nor below the label down to the buttons.
    EXPECT_EQ(ChangedFromPicture(shot, {30, 329, 290, 17}), 0);
    EXPECT_EQ(ChangedFromPicture(shot, {340, 303, 270, 12}), 0);
}

TEST_F(QtMainWindowTest, GreyFontWinsOverTheLabelColour) {
    window->SetLabelText(TLabelId::ProgrammStateInfo, Ansi("<FONT color=\"#96938D\"><B>Серый текст</B></FONT>"));
    const QImage shot = Shot();
    EXPECT_EQ(Count(shot, {30, 290, 290, 13}, White), 0);
    EXPECT_GT(Count(shot, {30, 290, 290, 13}, GreyOnDark), 3);
}

TEST_F(QtMainWindowTest, ClicksReachTheirHandlersAndCaptionsAreCp1251) {
    std::vector<TButtonId> clicked;
    for (TButtonId id : {TButtonId::StartDemo, TButtonId::EndDemo, TButtonId::MoneyOff, TButtonId::MoneyLittle,
                         TButtonId::MoneyFull}) {
        window->SetButtonHandler(id, [&clicked, id] { clicked.push_back(id); });
        window->SetButtonEnabled(id, true);
    }
    Child<QPushButton>("MoneyOffButton")->click();
    Child<QPushButton>("StartDemoButton")->click();
    EXPECT_EQ(clicked, (std::vector<TButtonId>{TButtonId::MoneyOff, TButtonId::StartDemo}));
    EXPECT_EQ(Child<QPushButton>("MoneyFullButton")->text(), QString::fromUtf8("Услуги оплачены"));
    window->SetButtonHandler(TButtonId::MoneyOff, nullptr);
    Child<QPushButton>("MoneyOffButton")->click();
    EXPECT_EQ(clicked.size(), 2u);
}

TEST_F(QtMainWindowTest, GarbageMarkupIsDrawnWithoutFailing) {
    std::string garbage = "<B><FONT color=\"#zzzzzz\"><<<>>></FONT></B></B><BR";
    garbage += std::string(200000, 'x') + " <FONT color=#FF0000>" + std::string(100000, '<');
    for (int i = 0; i < 20000; ++i) garbage += "<BR>word ";
    for (TLabelId id : {TLabelId::ProgrammStateInfo, TLabelId::ObjectsValue}) window->SetLabelText(id, garbage);
    const QImage shot = Shot();
    EXPECT_EQ(ChangedFromPicture(shot, {30, 332, 290, 14}), 0);
}

}  // namespace
}  // namespace zorv
