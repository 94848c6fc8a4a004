#pragma once

// Where the running program and the user's files live, as the operating system reports them.

#include <string>

namespace snapvale {

// The folder holding the running program file, absolute, without a trailing separator (except
// for a root). Empty when the system cannot tell.
std::string ProgramFolder();

// The user's home folder, without a trailing separator; empty when unknown.
std::string HomeFolder();

// The folder that holds the user's per-program settings, without a trailing separator:
// $XDG_CONFIG_HOME when it is set to an absolute path, otherwise <home>/.config (on Windows the
// roaming application-data folder, %APPDATA%). It need not exist yet. Empty when unknown.
std::string UserConfigFolder();

// The folder programs are installed in, without a trailing separator: on Windows the Program
// Files folder (C:\Program Files on most systems). Empty on systems that have none.
std::string ProgramFilesFolder();

} // namespace snapvale
