#include "frontends/qt/QtFormattedLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QPainter>

#include "foundation/ExceptionGuard.h"
#include "ui/LineBreaker.h"
#include "frontends/qt/QtText.h"

namespace zorv {
namespace {

// A drawn label would otherwise be a bare client area to a screen reader.
QAccessibleInterface* StaticTextAccessible(const QString&, QObject* object) {
    auto* label = dynamic_cast<TQtFormattedLabel*>(object);
    return label ? new QAccessibleWidget(label, QAccessible::StaticText) : nullptr;
}

}  // namespace

TQtFormattedLabel::TQtFormattedLabel(const QString& name, const QColor& textColor, QWidget* parent)
    : QWidget(parent), FLines(ParseMarkup("")), FTextColor(textColor) {
    static const bool accessibleAsText = [] {
        QAccessible::installFactory(StaticTextAccessible);
        return true;
    }();
    (void)accessibleAsText;
    setObjectName(name);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TQtFormattedLabel::SetMarkup(const std::string& markup) {
    Guarded("TQtFormattedLabel.SetMarkup", [&] {
        FLines = ParseMarkup(markup);
        setAccessibleName(ToQString(PlainText(FLines)));
        update();
    });
}

void TQtFormattedLabel::paintEvent(QPaintEvent*) {
    Guarded("TQtFormattedLabel.Paint", [&] { Paint(); });
}

void TQtFormattedLabel::Paint() {
    QFont regular = font();
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics regularMetrics(regular);
    const QFontMetrics boldMetrics(bold);
    const TMeasureText measure = [&](const std::string& text, bool isBold) {
        return (isBold ? boldMetrics : regularMetrics).horizontalAdvance(ToQString(text));
    };
    const std::vector<TLaidOutLine> lines =
        BreakLines(FLines, width(), measure, LinesThatFit(height(), kLineHeight));

    QPainter painter(this);
    int top = 0;
    for (const TLaidOutLine& line : lines) {
        for (const TPlacedRun& placed : line) {
            const TTextRun& run = placed.Run;
            painter.setFont(run.Bold ? bold : regular);
            painter.setPen(run.HasColor ? QColor(QRgb(run.Color)) : FTextColor);
            painter.drawText(placed.X, top + regularMetrics.ascent(), ToQString(run.Text));
        }
        top += kLineHeight;
    }
}

}  // namespace zorv
