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
// errors; what was written stays on disk until someone removes the file.
class WritableFile
{
public:
    virtual ~WritableFile() = default;

    // Appends all of `bytes`. False when that failed; part of them may have been written.
    virtual bool Append(std::string_view bytes) = 0;
    // Puts what was appended on the disk itself, so that it survives a power cut.
    virtual bool Sync() = 0;
    // Closes the file. False when the system reports a failure of the earlier writes; the file is
    // closed either way, and later calls fail.
    virtual bool Close() = 0;
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
    // would let write (such as root), so a file marked read-only by hand stays as it is.
    virtual WriteAccess AskWriteAccess(const std::string& path) = 0;

    // Whether a folder is at `path` (links followed).
    virtual bool IsFolder(const std::string& path) = 0;

    // Creates the folder `path`, readable and writable by this user only (settings folders hold
    // what the user chose; on Windows the folder inherits its parent's access list, which under
    // the user's profile admits the user alone). False when it was not made, also when something
    // is there already.
    virtual bool CreateFolder(const std::string& path) = 0;

    // The path that writing to `path` reaches: when `path` is a symbolic link, the path at the
    // end of its chain of links, whether or not a file is there yet (so that replacing or
    // creating that file keeps every link); otherwise `path` itself. Nothing when a link cannot
    // be read or the chain does not end.
    virtual std::optional<std::string> FollowLink(const std::string& path) = 0;

    // Creates a new empty file in the folder of `target`, under a name no other file has (the
    // target's name with a suffix), and stores that name in `temporaryPath`. When the target
    // exists, the file gets its permissions, and its owner and group where the system lets this
    // user give them (else it is this user's, as any new file is); otherwise it gets what the
    // system gives a new file. Nothing, and no file left behind, when it cannot be created.
    virtual std::unique_ptr<WritableFile> CreateTemporaryFile(
        const std::string& target, std::string& temporaryPath) = 0;

    // Renames `from` to `to` in one step, replacing a file at `to`: a reader sees either the old
    // file or the new one. False, with both left as they were, when it fails.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;

    // Renames `from` to `to` in one step unless something (a file, a folder, a link) is at `to`:
    // then nothing changes and the answer is TargetExists, also when that something appeared a
    // moment before, so a file that took the name is never replaced. On Failed, both are as they
    // were and `reason` holds the system's own message (which a user may be shown); it is left
    // alone otherwise.
    virtual MoveStatus RenameWithoutReplacing(
        const std::string& from, const std::string& to, std::string& reason) = 0;

    // Removes the file at `path` (not a link's target). False when nothing was removed.
    virtual bool Remove(const std::string& path) = 0;

    // Puts the folder's entries (names created, renamed or removed in it) on the disk itself.
    // Where the system does that with the rename already, this does nothing and succeeds.
    virtual bool SyncFolder(const std::string& folder) = 0;
};

// The folder part of `path`: everything before its last separator, the root itself for a path
// directly in the root, and "." for a bare name.
std::string FolderOf(const std::string& path);

// "." and six letters and digits, different for every call in every process: what makes a
// temporary file's name beside its target unique.
std::string UniqueSuffix();

} // namespace snapvale
