#pragma once

// Renaming a screenshot: which names a file may take, the name the user's typing gives, and the
// rename itself, which never replaces another file.

#include <string>
#include <string_view>

#include "os/file_system.h"

namespace snapvale {

// Whose rules a file name must follow.
enum class NameRules {
    Posix, // no "/" and no NUL
    Windows, // nor \ : * ? " < > |, control characters, a trailing dot or space, device names
};

#ifdef _WIN32
inline constexpr NameRules kSystemNameRules = NameRules::Windows;
#else
inline constexpr NameRules kSystemNameRules = NameRules::Posix;
#endif

enum class RenameRefusal {
    None, // renamed
    Unchanged, // the name typed is the file's own: nothing to do
    Empty,
    ForbiddenCharacter,
    TrailingDotOrSpace,
    ReservedName, // a Windows device name such as CON or COM1, with or without an extension
    Exists,
    Failed, // the system refused; see the reason
};

// The name a file called `oldName` takes when the user types `typed`: `typed` as it is when it
// ends in an extension of its own (one to four letters and digits, at least one a letter, after
// a dot that does not start the name), else `typed` with `oldName`'s extension, so "boss" becomes
// "boss.tga" while "boss.png" and "v1.2 boss" are kept apart.
std::string NameAfterRename(std::string_view oldName, std::string_view typed);

// Why `name` cannot name a file under `rules`; None when it can. An empty name, or one of
// spaces only, ".", or "..", is Empty.
RenameRefusal CheckFileName(std::string_view name, NameRules rules);

struct RenameResult
{
    RenameRefusal refusal = RenameRefusal::None;
    std::string newName; // the name the file has or would have had
    std::string reason; // the system's message, for Failed
};

// Renames the file `oldName` in `folder` (ending in a separator) to NameAfterRename(oldName,
// typed) when the rules allow that name and no file has it; the file is left as it was
// otherwise.
RenameResult RenameFile(const std::string& folder, const std::string& oldName,
    std::string_view typed, FileSystem& fs = FileSystem::Default(),
    NameRules rules = kSystemNameRules);

// The message that tells the user why the file kept its name (Japanese); empty when it was
// renamed or the name was unchanged.
std::string RenameRefusalText(const RenameResult& result);

} // namespace snapvale
