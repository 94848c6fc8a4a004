#pragma once

// Where the settings file lives. A program unpacked into a folder of the user's own keeps its
// settings beside itself, so it can be carried around with them; a program installed in a
// system folder, which its users may not write, keeps them in each user's configuration folder.

#include <string>

namespace snapvale {

// The folder below the user's configuration folder that holds the per-user settings file.
inline constexpr char kUserSettingsFolderName[] = "Snapvale2";

// The settings file for a program in `appFolder` (ending in the separator): the file beside the
// program whenever it exists (even unwritable: the user put it there) or when the folder may be
// written; otherwise <user configuration folder>/Snapvale2/Snapvale2.ini, whose folder the first
// write creates. Decided once at start-up; creates nothing.
std::string ChooseSettingsFile(const std::string& appFolder);

} // namespace snapvale
