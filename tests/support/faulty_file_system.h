#pragma once

// A file system that passes every call to the system's own, except the calls a test chose to
// fail, and records every call in order. It makes each failure path of the file work a plain
// test on real files.

#include <string>
#include <vector>

#include "os/file_system.h"

namespace snapvale::test {

// One for each operation of the file system and of the files it creates.
enum class FsCall {
    ListFolder,
    ModificationTime,
    ReadFile,
    AskWriteAccess,
    IsFolder,
    CreateFolder,
    FollowLink,
    CreateTemporaryFile,
    Append,
    SyncFile,
    CloseFile,
    Rename,
    RenameWithoutReplacing,
    Remove,
    SyncFolder,
};

const char* Name(FsCall call);

class FaultyFileSystem final : public FileSystem
{
public:
    explicit FaultyFileSystem(FileSystem& system = FileSystem::Default());

    // From now on, `call` fails for paths that contain `pathPart` (any path when empty). A failed
    // call does what the system does when it fails at that point, and gives the reason the
    // system would (kDiskFull, kIoError or kDenied):
    //   ListFolder, ModificationTime: nothing found; ReadFile: Failed, as for a file this user
    //   may not read; AskWriteAccess: ReadOnly (kDenied); IsFolder: false; CreateFolder: nothing
    //   made (kDenied); FollowLink: nothing; CreateTemporaryFile: no file made (kDenied); Append:
    //   writes the first half of the bytes, then fails (a disk that filled up: kDiskFull);
    //   SyncFile, CloseFile: done, but reported as failed (kIoError); Rename, Remove: nothing
    //   done (kDenied); SyncFolder: nothing done (kIoError); RenameWithoutReplacing: nothing done,
    //   Failed with a reason.
    void Fail(FsCall call, std::string pathPart = {});

    // The reasons failed calls give: the system's own texts for a full disk, an input/output
    // error and a refused permission.
    static const std::string kDiskFull;
    static const std::string kIoError;
    static const std::string kDenied;

    struct Record
    {
        FsCall call;
        std::string path; // for a rename, the new name; for a file's own calls, its path
    };
    // Every call made, failed or not, in order.
    const std::vector<Record>& calls() const { return calls_; }
    // Whether a call of `call` was made.
    bool Called(FsCall call) const;

    std::vector<FolderFile> ListFolder(
        const std::string& folder, const std::function<bool(std::string_view)>& accept) override;
    std::optional<std::int64_t> ModificationTime(const std::string& path) override;
    ReadStatus ReadFile(
        const std::string& path, std::string& contents, std::size_t maxBytes) override;
    using FileSystem::AskWriteAccess;
    WriteAccess AskWriteAccess(const std::string& path, std::string& reason) override;
    bool IsFolder(const std::string& path) override;
    Status CreateFolder(const std::string& path) override;
    std::optional<std::string> FollowLink(const std::string& path) override;
    Status CreateTemporaryFile(const std::string& target, std::string& temporaryPath,
        std::unique_ptr<WritableFile>& file) override;
    Status Rename(const std::string& from, const std::string& to) override;
    MoveStatus RenameWithoutReplacing(
        const std::string& from, const std::string& to, std::string& reason) override;
    Status Remove(const std::string& path) override;
    Status SyncFolder(const std::string& folder) override;

private:
    class File;

    // Records the call and tells whether it is to fail.
    bool Fails(FsCall call, const std::string& path);

    struct Fault
    {
        FsCall call;
        std::string pathPart;
    };

    FileSystem& system_;
    std::vector<Fault> faults_;
    std::vector<Record> calls_;
};

} // namespace snapvale::test
