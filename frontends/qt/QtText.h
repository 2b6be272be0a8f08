#pragma once
// The one place where the core's Windows-1251 texts become Qt strings.
#include <QString>
#include <string>

#include "foundation/Cp1251.h"

namespace zorv {

inline QString ToQString(const std::string& cp1251) { return QString::fromStdString(Cp1251ToUtf8(cp1251)); }

}  // namespace zorv
