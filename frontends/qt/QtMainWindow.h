#pragma once
// The Qt 6 Widgets window of the program: the picture, the two state labels,
// the five buttons and the information panel, laid out at fixed coordinates.
// It only draws and forwards clicks; the program's state lives in the form.
#include <QWidget>
#include <array>
#include <functional>

#include "ui/MainView.h"
#include "ui/WindowLayout.h"

class QLabel;
class QPushButton;

namespace zorv {

class TQtFormattedLabel;

class TQtMainWindow : public QWidget, public IMainView {
public:
    TQtMainWindow();

    // What a click on the button runs (the form's On...ButtonClick).
    void SetButtonHandler(TButtonId button, std::function<void()> handler);

    void SetLabelText(TLabelId label, const std::string& markup) override;
    void SetButtonCaption(TButtonId button, const std::string& caption) override;
    void SetButtonEnabled(TButtonId button, bool enabled) override;
    void SetCaption(const std::string& caption) override;
    void SetPanelColor(uint32_t rgb) override;
    void Show() override;
    void Close() override;
    int MessageBox(const std::string& text, const std::string& title, unsigned flags) override;

private:
    void AddButton(const TButtonLayout& layout);
    void AddLabel(const TLabelLayout& layout, QWidget* parent, const QColor& color);

    static constexpr size_t kButtonCount = 5;
    static constexpr size_t kLabelCount = 8;
    QLabel* FBackgroundImage = nullptr;
    QWidget* FSecurityCenterPanel = nullptr;
    std::array<QPushButton*, kButtonCount> FButtons{};
    std::array<std::function<void()>, kButtonCount> FHandlers;
    std::array<TQtFormattedLabel*, kLabelCount> FLabels{};
};

}  // namespace zorv
