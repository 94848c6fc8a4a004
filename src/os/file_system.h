#pragma once

// The operating system's files and folders, behind one small interface, so that the core's file
// work reads the same on every system and tests can make any single call fail.
//
// Paths cross this interface as UTF-8 strings (on POSIX systems: the file system's own bytes; on
// Windows: converted to and from the system's UTF-16 names at each call), absolute or relative to
// the working folder. No call throws; each one states what a failure
// leaves behind. An implementation may be used from several threads at once.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/status.h"

namespace snapvale {

struct FolderFile
{
    std::string name; // bare name, as the file system spells it
    std::int64_t modified = 0; // last modification, seconds since 1970-01-01 UTC
    // With `modified`, what tells one version of the contents from another without reading
    // them: the size in bytes and the part of the modification time below a second (0 where the
    // system keeps whole seconds only).
    std::int64_t size = 0;
    std::int32_t modifiedNanoseconds = 0;
};

enum class ReadStatus {
    Ok,
    NotFound, // nothing at the path, or a link to nothing
    NotRegular, // a folder, a pipe, a device or a socket: refused without being read
    TooLarge, // a regular file longer than the caller's limit
    Failed, // a regular file this user may not read, or the read failed
};

enum class MoveStatus {
    Moved,
    TargetExists, // something is at the new path already: nothing was changed
    Failed, // the system refused; its reason is given
};

enum class WriteAccess {
    Missing, // nothing at the path; whether a file may be made there is its folder's question
    ReadOnly, // there, and this user may not change it (also when the system cannot tell)
    Writable,
};

// A new file being written, owned by whoever asked for it. Destroying it closes it, ignoring
// errors; what was written stays on disk until someone removes the file. Each call that fails
// says why (see Status).
class WritableFile
{
public:
    virtual ~WritableFile() = default;

    // Appends all of `bytes`. A failure may have written part of them.
    virtual Status Append(std::string_view bytes) = 0;
    // Puts what was appended on the disk itself, so that it survives a power cut.
    virtual Status Sync() = 0;
    // Closes the file. Fails when the system reports a failure of the earlier writes; the file is
    // closed either way, and later calls fail.
    virtual Status Close() = 0;
};

class FileSystem
{
public:
    virtual ~FileSystem() = default;

    // The running system's own files; lives until the program ends.
    static FileSystem& Default();

    // The regular files directly in `folder` (with or without a trailing separator) whose names
    // `accept` admits, with their modification times; a link counts as the file it points to,
    // and sub-folders are not searched. `accept` sees every name before the file is looked at,
    // so it keeps the status queries down. Entries that are not regular files (or are hidden or
    // system files where the system marks them so), dangling links and files that vanish while
    // the folder is read are left out. The order is the file system's own, which may be none at
    // all. A folder that does not exist or cannot be read yields no files.
    virtual std::vector<FolderFile> ListFolder(
        const std::string& folder, const std::function<bool(std::string_view)>& accept) = 0;

    // The last modification time of the file at `path` (links followed); nothing when the file
    // does not exist or cannot be queried.
    virtual std::optional<std::int64_t> ModificationTime(const std::string& path) = 0;

    // The whole contents of the regular file at `path` (links followed) into `contents`, which is
    // left empty on any failure. Anything else at the path (a folder, a pipe, a device, a socket)
    // is refused without being opened in a way that could block, so a read never waits or runs on
    // without end. A file longer than `maxBytes` is refused as TooLarge before it can fill memory,
    // also when it grows past the limit while it is read or says it is shorter than it is.
    virtual ReadStatus ReadFile(
        const std::string& path, std::string& contents, std::size_t maxBytes) = 0;

    // Whether this user may change what is at `path` (links followed): a file's contents, or a
    // folder's entries. The system decides, asked for the real user; besides that, whatever no
    // permission bit lets anybody write counts as read-only, even for a user whom the system
    // would let write (such as root), so a file marked read-only by hand stays as it is. For
    // ReadOnly, `reason` says why (the system's message where it gave one).
    virtual WriteAccess AskWriteAccess(const std::string& path, std::string& reason) = 0;
    WriteAccess AskWriteAccess(const std::string& path)
    {
        std::string reason;
        return AskWriteAccess(path, reason);
    }

    // Whether a folder is at `path` (links followed).
    virtual bool IsFolder(const std::string& path) = 0;

    // Creates the folder `path`, readable and writable by this user only (settings folders hold
    // what the user chose; on Windows the folder inherits its parent's access list, which under
    // the user's profile admits the user alone). Fails when it was not made, also when something
    // is there already.
    virtual Status CreateFolder(const std::string& path) = 0;

    // The path that writing to `path` reaches: when `path` is a symbolic link, the path at the
    // end of its chain of links, whether or not a file is there yet (so that replacing or
    // creating that file keeps every link); otherwise `path` itself. Nothing when a link cannot
    // be read or the chain does not end.
    virtual std::optional<std::string> FollowLink(const std::string& path) = 0;

    // Creates a new empty file in the folder of `target`, under a name no other file has
    // (TemporaryPathBeside), and stores it in `file` and its path in `temporaryPath`. When the
    // target exists, the file gets its permissions, and its owner and group where the system
    // lets this user give them (else it is this user's, as any new file is); otherwise it gets
    // what the system gives a new file. On failure no file is made or left behind.
    virtual Status CreateTemporaryFile(const std::string& target, std::string& temporaryPath,
        std::unique_ptr<WritableFile>& file) = 0;

    // Renames `from` to `to` in one step, replacing a file at `to`: a reader sees either the old
    // file or the new one. A failure leaves both as they were.
    virtual Status Rename(const std::string& from, const std::string& to) = 0;

    // Renames `from` to `to` in one step unless something (a file, a folder, a link) is at `to`:
    // then nothing changes and the answer is TargetExists, also when that something appeared a
    // moment before, so a file that took the name is never replaced. On Failed, both are as they
    // were and `reason` holds the system's own message (which a user may be shown); it is left
    // alone otherwise.
    virtual MoveStatus RenameWithoutReplacing(
        const std::string& from, const std::string& to, std::string& reason) = 0;

    // Removes the file at `path` (not a link's target). Fails when nothing was removed.
    virtual Status Remove(const std::string& path) = 0;

    // Puts the folder's entries (names created, renamed or removed in it) on the disk itself.
    // Where the system does that with the rename already, this does nothing and succeeds.
    virtual Status SyncFolder(const std::string& folder) = 0;
};

// The folder part of `path`: everything before its last separator, the root itself for a path
// directly in the root, and "." for a bare name.
std::string FolderOf(const std::string& path);

// Longest name, in bytes, that a temporary file beside its target takes: short enough for any
// folder, whatever the target's name (which may already be as long as the system allows).
inline constexpr std::size_t kMaxTemporaryNameLength = 40;

// A new path in the folder of `target` for a temporary file that will replace it: the start of
// the target's name (cut at a character boundary, so the name stays valid UTF-8), a "." and six
// letters and digits that differ for every call in every process. Its name is at most
// kMaxTemporaryNameLength bytes long, so a target whose name is at the system's limit can still
// be replaced.
std::string TemporaryPathBeside(const std::string& target);

} // namespace snapvale
