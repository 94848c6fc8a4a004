#pragma once

// What the command line asks the program to show: `snapvale2 FILE` shows that screenshot in its
// folder, `snapvale2 FOLDER` shows that folder. The desktop entry passes the file a user opens
// with the program this way.

#include <optional>
#include <string>
#include <vector>

#include "os/file_system.h"

namespace snapvale {

struct StartTarget
{
    std::string folder; // absolute, ending in kSeparator
    std::string file; // the screenshot's bare name as the folder spells it; "" for a folder
};

struct StartArguments
{
    std::optional<StartTarget> target; // nothing: start with the folder of the settings
    std::string error; // why the argument was not taken, for standard error; "" when it was
};

// Reads the arguments after the program's name: none, or one path (absolute or relative to the
// working folder, in the file system's own encoding; UTF-8 on Windows). A folder is taken as it
// is; a file only when it is a screenshot the folder's catalogue lists (a regular *.tga file, not
// hidden). A missing path, another kind of file or more than one argument give no target and the
// reason.
StartArguments ReadStartArguments(
    const std::vector<std::string>& arguments, FileSystem& fs = FileSystem::Default());

} // namespace snapvale
