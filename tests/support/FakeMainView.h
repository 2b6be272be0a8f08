#pragma once
// A window that records what the logic shows, for assertions.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/MainView.h"

namespace zorv::test {

class FakeMainView : public IMainView {
public:
    struct MessageBoxCall {
        std::string Text;
        std::string Title;
        unsigned Flags;
    };

    void SetLabelText(TLabelId label, const std::string& markup) override { Labels[label] = markup; }
    void SetButtonCaption(TButtonId button, const std::string& caption) override { Captions[button] = caption; }
    void SetButtonEnabled(TButtonId button, bool enabled) override { Enabled[button] = enabled; }
    void SetCaption(const std::string& caption) override { WindowCaption = caption; }
    void SetPanelColor(uint32_t rgb) override { PanelColor = rgb; }
    void Show() override { ++ShowCount; }
    void Close() override { ++CloseCount; }
    int MessageBox(const std::string& text, const std::string& title, unsigned flags) override {
        MessageBoxes.push_back({text, title, flags});
        if (OnMessageBox) OnMessageBox();
        return 1;
    }

    std::map<TLabelId, std::string> Labels;
    std::map<TButtonId, std::string> Captions;
    std::map<TButtonId, bool> Enabled;
    std::string WindowCaption;
    uint32_t PanelColor = 0;
    int ShowCount = 0;
    int CloseCount = 0;
    std::vector<MessageBoxCall> MessageBoxes;
    // Runs while a message box is "open", as the nested loop of a real one would.
    std::function<void()> OnMessageBox;
};

}  // namespace zorv::test
