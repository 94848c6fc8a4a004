#pragma once

// The texts of the version dialog.

#include <string>

namespace snapvale {

// "Ver. <major>.<minor> Revision <revision>", plain decimal numbers.
std::string VersionLine(int major, int minor, int revision);

} // namespace snapvale
