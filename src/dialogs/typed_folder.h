#pragma once

// A folder as a user types or pastes it into a dialog's box.

#include <string>

#include <QString>

namespace snapvale {

// The path in `text`: blanks around it dropped, and one pair of double quotes around it (as
// Windows' "Copy as path" gives it); a file URL (as file managers copy a folder) becomes its
// local path. "" for a blank text.
std::string TypedFolder(const QString& text);

} // namespace snapvale
