#pragma once

// The program's pictures from its resources: the tree's row icons and the program's own icon.
// The resources are compiled into the program, which registers them before asking for these.

#include <QIcon>

namespace snapvale {

// The desktop theme's icon `themeName`, else our own `:/icons/<resource>.png`, drawn at 16 x 16
// and at twice that for scaled screens.
QIcon RowIcon(const char* themeName, const char* resource);

// The program's icon, the one its desktop entry names, in the sizes a window manager asks for.
QIcon ProgramIcon();

} // namespace snapvale
