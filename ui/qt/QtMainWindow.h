#pragma once
// The Qt 6 Widgets window of the program.
#include <QWidget>

#include "ui/MainView.h"

namespace zorv {

class TQtMainWindow : public QWidget, public IMainView {
public:
    TQtMainWindow();

    void SetLabelText(TLabelId label, const std::string& markup) override;
    void SetButtonCaption(TButtonId button, const std::string& caption) override;
    void SetButtonEnabled(TButtonId button, bool enabled) override;
    void SetCaption(const std::string& caption) override;
    void SetPanelColor(uint32_t rgb) override;
    void Show() override;
    void Close() override;
    int MessageBox(const std::string& text, const std::string& title, unsigned flags) override;
};

}  // namespace zorv
