#include "ui/qt/QtMainWindow.h"

#include <QMessageBox>

#include "ui/ZorvGSMDemoMain.h"
#include "ui/qt/QtText.h"

namespace zorv {

TQtMainWindow::TQtMainWindow() {
    setFixedSize(640, 493);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(ToQString(DesignCaption()));
}

void TQtMainWindow::SetLabelText(TLabelId, const std::string&) {}
void TQtMainWindow::SetButtonCaption(TButtonId, const std::string&) {}
void TQtMainWindow::SetButtonEnabled(TButtonId, bool) {}
void TQtMainWindow::SetCaption(const std::string& caption) { setWindowTitle(ToQString(caption)); }
void TQtMainWindow::SetPanelColor(uint32_t) {}
void TQtMainWindow::Show() { show(); }
void TQtMainWindow::Close() { close(); }

int TQtMainWindow::MessageBox(const std::string& text, const std::string& title, unsigned) {
    return QMessageBox::critical(this, ToQString(title), ToQString(text));
}

}  // namespace zorv
