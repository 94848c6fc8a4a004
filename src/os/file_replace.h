#pragma once

// Replacing a file's contents so that readers see either the old file or the complete new one,
// never a half-written one.

#include <string>
#include <string_view>

#include "os/file_system.h"

namespace snapvale {

// Writes `bytes` to a temporary file in `target`'s folder, puts it on the disk, renames it over
// `target` and then puts the folder's new entry on the disk, so the replacement survives a power
// cut. A link at `target` is followed to the file it names, also one that is not there yet, which
// is then created: that file is replaced and every link stays. An existing target keeps its
// permissions, and its owner and group where the system allows.
//
// Nothing is written where `fs` says this user may not change the target or create files in its
// folder. Fails, saying why and leaving whatever was at `target` untouched and no temporary file
// behind, when any step up to the rename fails. Once the rename has succeeded the new contents
// are in place and the call succeeds, even when the folder cannot be synced.
Status ReplaceFileContents(
    const std::string& target, std::string_view bytes, FileSystem& fs = FileSystem::Default());

enum class NewFileStatus {
    Written,
    TargetExists,
    Failed,
};

// Writes `bytes` as a new file at `target` as ReplaceFileContents writes (a temporary file beside
// it, put on the disk, then renamed into place), except that nothing is ever replaced: when
// anything is at `target`, a link included, or appears there before the rename, the answer is
// TargetExists and it stays as it is. On TargetExists and Failed no temporary file is left behind.
NewFileStatus WriteNewFileContents(
    const std::string& target, std::string_view bytes, FileSystem& fs = FileSystem::Default());

} // namespace snapvale
