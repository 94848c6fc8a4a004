#include "dialogs/version_text.h"

namespace snapvale {

std::string VersionLine(int major, int minor, int revision)
{
    return "Ver. " + std::to_string(major) + "." + std::to_string(minor) + " Revision "
        + std::to_string(revision);
}

} // namespace snapvale
