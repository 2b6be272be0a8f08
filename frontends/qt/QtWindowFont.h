#pragma once
// The window's font: Tahoma at 11 pixels where it is installed, else the
// system's sans-serif face at the same size.
#include <QFont>

namespace zorv {

QFont WindowFont();

}  // namespace zorv
