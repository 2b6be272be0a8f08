#include "ui/qt/QtMainWindow.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "app/Cp1251.h"
#include "app/ExceptionGuard.h"
#include "ui/ZorvGSMDemoMain.h"
#include "ui/qt/QtFormattedLabel.h"
#include "ui/qt/QtText.h"
#include "ui/qt/QtWindowFont.h"

namespace zorv {
namespace {

const QSize kClientSize(640, 493);
const int kIdOk = 1;  // the message-box answer of its only button

size_t Index(TButtonId id) { return static_cast<size_t>(id); }
size_t Index(TLabelId id) { return static_cast<size_t>(id); }

}  // namespace

TQtMainWindow::TQtMainWindow() {
    setObjectName("ZorvGSMDemoMainForm");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientSize);
    setWindowTitle(ToQString(DesignCaption()));
    setWindowIcon(QIcon(":/ZorvGSMDemo.ico"));
    setFont(WindowFont());
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, windowPalette.color(QPalette::Button));
    setPalette(windowPalette);
    setAutoFillBackground(true);

    // Creation order is stacking order: the picture lies below the labels.
    FBackgroundImage = new QLabel(this);
    FBackgroundImage->setObjectName("BackgroundImage");
    FBackgroundImage->setGeometry(0, 0, 640, 430);
    FBackgroundImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FBackgroundImage->setPixmap(QPixmap(":/background.bmp"));

    const QColor white(Qt::white);
    AddLabel(TLabelId::ProgrammStateInfo, "ProgrammStateInfoLabel", this, {30, 290, 290, 42}, white,
             "Строка 1<BR>Строка 2<BR>Строка 3");
    AddLabel(TLabelId::UserActionInfo, "UserActionInfoLabel", this, {340, 290, 270, 19}, white, "Строка 1");

    QPushButton* start =
        AddButton(TButtonId::StartDemo, "StartDemoButton", {30, 346, 171, 25}, "Записать демо-настройки");
    QPushButton* end =
        AddButton(TButtonId::EndDemo, "EndDemoButton", {30, 377, 199, 25}, "Записать заводские настройки");
    QPushButton* off =
        AddButton(TButtonId::MoneyOff, "MoneyOffButton", {340, 346, 173, 25}, "Отключить услуги охраны");
    QPushButton* little =
        AddButton(TButtonId::MoneyLittle, "MoneyLittleButton", {340, 315, 165, 25}, "Предупредить об оплате");
    QPushButton* full = AddButton(TButtonId::MoneyFull, "MoneyFullButton", {340, 377, 125, 25}, "Услуги оплачены");
    setTabOrder(start, little);
    setTabOrder(little, off);
    setTabOrder(off, full);
    setTabOrder(full, end);

    FSecurityCenterPanel = new QWidget(this);
    FSecurityCenterPanel->setObjectName("SecurityCenterPanel");
    FSecurityCenterPanel->setGeometry(0, 430, 640, 63);
    FSecurityCenterPanel->setAutoFillBackground(true);
    const QColor text = palette().color(QPalette::WindowText);
    AddLabel(TLabelId::ObjectsTitle, "ObjectsTitleLabel", FSecurityCenterPanel, {30, 16, 75, 13}, text,
             "<B>Объекты</B>");
    AddLabel(TLabelId::MyPlovikTitle, "MyPlovikTitleLabel", FSecurityCenterPanel, {340, 16, 213, 13}, text,
             "<B>Доступ в облачные сервисы</B>");
    AddLabel(TLabelId::CallCenterTitle, "CallCenterTitleLabel", FSecurityCenterPanel, {162, 16, 155, 13}, text,
             "<B>Телефон call-центра</B>");
    AddLabel(TLabelId::ObjectsValue, "ObjectsValueLabel", FSecurityCenterPanel, {30, 33, 115, 13}, text,
             "0000, 0001");
    AddLabel(TLabelId::CallCenterValue, "CallCenterValueLabel", FSecurityCenterPanel, {162, 33, 155, 13}, text,
             "8 (000) 000-00-00");
    AddLabel(TLabelId::MyPlovikValue, "MyPlovikValueLabel", FSecurityCenterPanel, {340, 33, 221, 13}, text,
             "demo+0000  |  demo0000");

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, kClientSize, screen->availableGeometry()));
    }
}

QPushButton* TQtMainWindow::AddButton(TButtonId id, const char* name, const QRect& geometry, const char* caption) {
    auto* button = new QPushButton(ToQString(Ansi(caption)), this);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setDefault(false);
    connect(button, &QPushButton::clicked, this, [this, id] {
        Guarded("TQtMainWindow.OnButtonClick", [&] {
            if (FHandlers[Index(id)]) FHandlers[Index(id)]();
        });
    });
    FButtons[Index(id)] = button;
    return button;
}

TQtFormattedLabel* TQtMainWindow::AddLabel(TLabelId id, const char* name, QWidget* parent, const QRect& geometry,
                                           const QColor& color, const char* text) {
    auto* label = new TQtFormattedLabel(name, color, parent);
    label->setGeometry(geometry);
    label->SetMarkup(Ansi(text));
    FLabels[Index(id)] = label;
    return label;
}

void TQtMainWindow::SetButtonHandler(TButtonId button, std::function<void()> handler) {
    FHandlers[Index(button)] = std::move(handler);
}

void TQtMainWindow::SetLabelText(TLabelId label, const std::string& markup) {
    FLabels[Index(label)]->SetMarkup(markup);
}

void TQtMainWindow::SetButtonCaption(TButtonId button, const std::string& caption) {
    Guarded("TQtMainWindow.SetButtonCaption", [&] { FButtons[Index(button)]->setText(ToQString(caption)); });
}

void TQtMainWindow::SetButtonEnabled(TButtonId button, bool enabled) { FButtons[Index(button)]->setEnabled(enabled); }

void TQtMainWindow::SetCaption(const std::string& caption) {
    Guarded("TQtMainWindow.SetCaption", [&] { setWindowTitle(ToQString(caption)); });
}

void TQtMainWindow::SetPanelColor(uint32_t rgb) {
    QPalette panelPalette = FSecurityCenterPanel->palette();
    panelPalette.setColor(QPalette::Window, QColor(QRgb(rgb)));
    FSecurityCenterPanel->setPalette(panelPalette);
}

void TQtMainWindow::Show() { show(); }

void TQtMainWindow::Close() { close(); }

int TQtMainWindow::MessageBox(const std::string& text, const std::string& title, unsigned) {
    Guarded("TQtMainWindow.MessageBox", [&] { QMessageBox::critical(this, ToQString(title), ToQString(text)); });
    return kIdOk;
}

}  // namespace zorv
