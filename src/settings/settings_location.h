#pragma once

// Where the settings file lives. A portable build, unpacked into a folder of the user's own,
// keeps its settings beside itself, so it can be carried around with them; an installed build
// (a system package, an installer) keeps them in each user's configuration folder, whoever runs
// it and whatever that user may write.

#include <string>

namespace snapvale {

// The folder below the user's configuration folder that holds the per-user settings file.
inline constexpr char kUserSettingsFolderName[] = "Snapvale2";

enum class SettingsPlacement {
    Portable, // beside the program when the file is there or the program's folder may be written
    PerUser, // in the user's configuration folder, always
};

// How this build keeps its settings: the CMake option SNAPVALE_PORTABLE (on for a build from
// the repository and the Windows zip, off for the Debian package and the Windows installer).
SettingsPlacement BuildSettingsPlacement();

// The settings file for a program in `appFolder` (ending in the separator). Portable: the file
// beside the program whenever a file is there (even unwritable: the user put it there) or when
// the folder may be written; a link beside the program that names no file yet counts as no file.
// Otherwise, and always when PerUser: <user configuration folder>/Snapvale2/Snapvale2.ini, whose
// folder the first write creates. Decided once at start-up; creates nothing.
std::string ChooseSettingsFile(const std::string& appFolder, SettingsPlacement placement);

} // namespace snapvale
