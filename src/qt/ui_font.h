#pragma once

// The program's font: the Japanese proportional Gothic that the window's layout was drawn for,
// at 9 points, or the first look-alike the system has; that one font draws Latin and Japanese
// text alike. Needs the application object.

#include <QFont>

namespace snapvale {

QFont JapaneseUiFont();

} // namespace snapvale
