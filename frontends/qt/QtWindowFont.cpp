#include "frontends/qt/QtWindowFont.h"

#include <QFontDatabase>

namespace zorv {
namespace {

const char kFamily[] = "Tahoma";
const int kPixelSize = 11;
// Linux systems rarely list Tahoma with fontconfig, but the free one that comes
// with the Windows-compatibility fonts package lies here.
const char* const kTahomaFiles[] = {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"};

bool TahomaAvailable() {
    if (QFontDatabase::hasFamily(kFamily)) return true;
    for (const char* file : kTahomaFiles) QFontDatabase::addApplicationFont(file);
    return QFontDatabase::hasFamily(kFamily);
}

}  // namespace

QFont WindowFont() {
    static const bool tahoma = TahomaAvailable();
    QFont font;
    if (tahoma) {
        font.setFamily(kFamily);
        // Tahoma carries hand-tuned bitmaps for its small sizes, used only without
        // antialiasing and with the font's own hinting: they give the 11-pixel face
        // its crisp look and a bold that is visibly bold.
        font.setStyleStrategy(QFont::NoAntialias);
        font.setHintingPreference(QFont::PreferFullHinting);
    } else {
        font.setFamily("sans-serif");
        font.setStyleHint(QFont::SansSerif);
    }
    font.setPixelSize(kPixelSize);
    return font;
}

}  // namespace zorv
