#include "frontends/qt/QtMainWindow.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "form/ProgramTexts.h"
#include "foundation/Cp1251.h"
#include "foundation/ExceptionGuard.h"
#include "ui/WindowLayout.h"
#include "frontends/qt/QtFormattedLabel.h"
#include "frontends/qt/QtText.h"
#include "frontends/qt/QtWindowFont.h"

namespace zorv {
namespace {

const QSize kClientSize(kClientWidth, kClientHeight);
const int kIdOk = 1;  // the message-box answer of its only button

size_t Index(TButtonId id) { return static_cast<size_t>(id); }
size_t Index(TLabelId id) { return static_cast<size_t>(id); }

QRect ToQRect(const TLayoutRect& rect) { return {rect.Left, rect.Top, rect.Width, rect.Height}; }

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

    // Creation order is stacking order: the picture lies below the labels. The
    // buttons are created in tab order, which Qt follows.
    FBackgroundImage = new QLabel(this);
    FBackgroundImage->setObjectName("BackgroundImage");
    FBackgroundImage->setGeometry(ToQRect(kBackgroundRect));
    FBackgroundImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FBackgroundImage->setPixmap(QPixmap(":/background.bmp"));

    const QColor white(Qt::white);
    for (const TLabelLayout& label : kLabelLayout)
        if (label.Parent == TLayoutParent::Window) AddLabel(label, this, white);
    for (const TButtonLayout& button : kButtonLayout) AddButton(button);

    FSecurityCenterPanel = new QWidget(this);
    FSecurityCenterPanel->setObjectName("SecurityCenterPanel");
    FSecurityCenterPanel->setGeometry(ToQRect(kPanelRect));
    FSecurityCenterPanel->setAutoFillBackground(true);
    const QColor text = palette().color(QPalette::WindowText);
    for (const TLabelLayout& label : kLabelLayout)
        if (label.Parent == TLayoutParent::Panel) AddLabel(label, FSecurityCenterPanel, text);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, kClientSize, screen->availableGeometry()));
    }
}

void TQtMainWindow::AddButton(const TButtonLayout& layout) {
    auto* button = new QPushButton(ToQString(Ansi(layout.Caption)), this);
    button->setObjectName(layout.Name);
    button->setGeometry(ToQRect(layout.Rect));
    button->setAutoDefault(false);
    button->setDefault(false);
    const TButtonId id = layout.Id;
    connect(button, &QPushButton::clicked, this, [this, id] {
        Guarded("TQtMainWindow.OnButtonClick", [&] {
            if (FHandlers[Index(id)]) FHandlers[Index(id)]();
        });
    });
    FButtons[Index(id)] = button;
}

void TQtMainWindow::AddLabel(const TLabelLayout& layout, QWidget* parent, const QColor& color) {
    auto* label = new TQtFormattedLabel(layout.Name, color, parent);
    label->setGeometry(ToQRect(layout.Rect));
    label->SetMarkup(Ansi(layout.Text));
    FLabels[Index(layout.Id)] = label;
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
