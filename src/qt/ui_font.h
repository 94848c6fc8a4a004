#pragma once

// The program's font: the Japanese proportional Gothic that the window's layout was drawn for,
// at 9 points, or the nearest the system has.

#include <QFont>

namespace snapvale {

QFont JapaneseUiFont();

} // namespace snapvale
