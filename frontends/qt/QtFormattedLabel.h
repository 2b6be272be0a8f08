#pragma once
// A label that shows the program's markup subset: fixed size, text from the
// top, nothing drawn but the letters (what lies below shows through), lines
// wrapped at blanks, lines below the label's height left out, no ellipsis.
// Screen readers see it as static text named by its plain text, and hear of
// each change of it (Qt's accessibility interface: a name change).
#include <QColor>
#include <QWidget>
#include <string>
#include <vector>

#include "ui/Markup.h"

namespace zorv {

class TQtFormattedLabel : public QWidget {
public:
    // Lines are laid out on a fixed pitch, the one the window's 11-pixel font was designed for.
    static constexpr int kLineHeight = 13;

    TQtFormattedLabel(const QString& name, const QColor& textColor, QWidget* parent);

    // Replaces the whole text (Windows-1251 markup) and redraws.
    void SetMarkup(const std::string& markup);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Paint();

    std::vector<TMarkupLine> FLines;
    QColor FTextColor;
};

}  // namespace zorv
