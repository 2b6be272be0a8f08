#pragma once
// The main window as designed: its client size, the picture and the panel,
// and each label's and button's rectangle, parent, name and design-time text
// (UTF-8; the windows convert it). The Qt and Win32 windows build themselves
// from this one table, and their tests check against it.
#include "ui/MainView.h"

namespace zorv {

struct TLayoutRect {
    int Left;
    int Top;
    int Width;
    int Height;
};

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 493;
constexpr TLayoutRect kBackgroundRect{0, 0, 640, 430};
// The information panel; the labels on it are placed in its own coordinates.
constexpr TLayoutRect kPanelRect{0, 430, 640, 63};
// RGB #F3F5F6, the information panel's background.
constexpr uint32_t kPanelColor = 0xF3F5F6;

// The table is drawn at 96 dots per inch; a screen of another density scales it.
constexpr int kDesignDpi = 96;

// A length or coordinate at dpi, rounded to the nearest pixel (halves away from zero).
int ScaleToDpi(int value, int dpi);
// A rectangle at dpi: its edges are scaled, not its size, so that rectangles
// which touch in the table (the picture and the panel) still touch.
TLayoutRect ScaleToDpi(const TLayoutRect& rect, int dpi);

enum class TLayoutParent { Window, Panel };

struct TLabelLayout {
    TLabelId Id;
    const char* Name;
    TLayoutParent Parent;
    TLayoutRect Rect;
    const char* Text;
};

struct TButtonLayout {
    TButtonId Id;
    const char* Name;
    TLayoutRect Rect;
    const char* Caption;
};

constexpr int kLabelCount = 8;
constexpr int kButtonCount = 5;
// The window's labels first, then the panel's.
extern const TLabelLayout kLabelLayout[kLabelCount];
// In tab order.
extern const TButtonLayout kButtonLayout[kButtonCount];

}  // namespace zorv
