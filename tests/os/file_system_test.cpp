#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "os/file_replace.h"
#include "os/native_path.h"
#include "support/faulty_file_system.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

namespace fs = std::filesystem;
using test::FaultyFileSystem;
using test::FsCall;
using test::ReadFileBytes;
using test::TempFolder;
using Names = std::vector<std::string>;

Names Entries(const fs::path& folder)
{
    Names names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Large enough that a write cut in half leaves a visibly different file.
const std::string kNewContents(256 * 1024, 'n');

// Each failure also says why, in the words the system used for the step that failed.
TEST(FileReplace, CutShortAtAnyStepKeepsWhatWasThereAndLeavesNothingBehind)
{
    const struct
    {
        FsCall step;
        std::string reason;
    } steps[] = { { FsCall::FollowLink, "its chain of links cannot be followed to an end" },
        { FsCall::AskWriteAccess, "cannot create files in <folder>: " + FaultyFileSystem::kDenied },
        { FsCall::CreateTemporaryFile, FaultyFileSystem::kDenied },
        { FsCall::Append, FaultyFileSystem::kDiskFull },
        { FsCall::SyncFile, FaultyFileSystem::kIoError },
        { FsCall::CloseFile, FaultyFileSystem::kIoError },
        { FsCall::Rename, FaultyFileSystem::kDenied } };
    for (const auto& [step, reason] : steps) {
        for (const bool existed : { true, false }) {
            SCOPED_TRACE(std::string(Name(step)) + (existed ? " over a file" : " as a new file"));
            TempFolder folder;
            const std::string target = folder.folder() + "shot.bmp";
            if (existed)
                folder.Write("shot.bmp", "earlier picture");
            FaultyFileSystem system;
            system.Fail(step);
            const Status replaced = ReplaceFileContents(target, kNewContents, system);
            EXPECT_FALSE(replaced);
            std::string expected = reason;
            if (const std::size_t at = expected.find("<folder>"); at != std::string::npos)
                expected.replace(at, 8, FolderOf(target));
            EXPECT_EQ(replaced.reason(), expected);
            EXPECT_TRUE(system.Called(step));
            EXPECT_EQ(Entries(folder.path()), existed ? Names{ "shot.bmp" } : Names{});
            if (existed) {
                EXPECT_EQ(ReadFileBytes(target), "earlier picture");
            }
        }
    }
}

TEST(FileReplace, ContentsReachTheDiskBeforeTheRenameAndTheFolderEntryAfterIt)
{
    TempFolder folder;
    const std::string target = folder.folder() + "Snapvale2.ini";
    folder.Write("Snapvale2.ini", "old");
    FaultyFileSystem system;
    ASSERT_TRUE(ReplaceFileContents(target, kNewContents, system));
    EXPECT_EQ(ReadFileBytes(target), kNewContents);
    EXPECT_EQ(Entries(folder.path()), Names{ "Snapvale2.ini" });

    std::vector<FsCall> order;
    for (const FaultyFileSystem::Record& record : system.calls())
        if (record.call != FsCall::FollowLink && record.call != FsCall::AskWriteAccess)
            order.push_back(record.call);
    EXPECT_EQ(order,
        (std::vector<FsCall>{ FsCall::CreateTemporaryFile, FsCall::Append, FsCall::SyncFile,
            FsCall::CloseFile, FsCall::Rename, FsCall::SyncFolder }));
    EXPECT_EQ(system.calls().back().path, folder.path().string());

    // A folder that cannot be synced does not undo what the rename put in place.
    FaultyFileSystem unsyncable;
    unsyncable.Fail(FsCall::SyncFolder);
    EXPECT_TRUE(ReplaceFileContents(target, "newer", unsyncable));
    EXPECT_EQ(ReadFileBytes(target), "newer");
    EXPECT_EQ(Entries(folder.path()), Names{ "Snapvale2.ini" });
}

// Whatever holds the name (a file, a folder, a link to nothing) stays as it is; the system's
// reason comes with a refusal.
TEST(FileSystem, RenameWithoutReplacingLeavesAnyNameInTheWay)
{
    TempFolder folder;
    FileSystem& system = FileSystem::Default();
    folder.Write("a.tga", "a");
    folder.Write("b.tga", "b");
    fs::create_directory(folder.path() / "c.tga");
    Names taken{ "b.tga", "c.tga" };
#ifndef _WIN32
    fs::create_symlink(folder.path() / "nowhere", folder.path() / "l.tga");
    taken.push_back("l.tga");
#endif
    std::string reason;
    for (const std::string& name : taken)
        EXPECT_EQ(system.RenameWithoutReplacing(
                      folder.folder() + "a.tga", folder.folder() + name, reason),
            MoveStatus::TargetExists)
            << name;
    EXPECT_EQ(ReadFileBytes(folder.path() / "a.tga"), "a");
    EXPECT_EQ(ReadFileBytes(folder.path() / "b.tga"), "b");

    EXPECT_EQ(
        system.RenameWithoutReplacing(folder.folder() + "a.tga", folder.folder() + "d.tga", reason),
        MoveStatus::Moved);
    EXPECT_EQ(ReadFileBytes(folder.path() / "d.tga"), "a");
    EXPECT_FALSE(fs::exists(folder.path() / "a.tga"));

    reason.clear();
    EXPECT_EQ(
        system.RenameWithoutReplacing(folder.folder() + "a.tga", folder.folder() + "e.tga", reason),
        MoveStatus::Failed);
    EXPECT_FALSE(reason.empty());
}

// A new file never takes the place of one that is there, and a write cut short at any step
// leaves no trace.
TEST(FileReplace, NewFileNeverReplacesAndLeavesNothingBehind)
{
    TempFolder folder;
    const std::string target = folder.folder() + "shot.png";
    EXPECT_EQ(WriteNewFileContents(target, kNewContents), NewFileStatus::Written);
    EXPECT_EQ(WriteNewFileContents(target, "other"), NewFileStatus::TargetExists);
    EXPECT_EQ(ReadFileBytes(target), kNewContents);
    EXPECT_EQ(Entries(folder.path()), Names{ "shot.png" });
    for (const FsCall step : { FsCall::AskWriteAccess, FsCall::CreateTemporaryFile, FsCall::Append,
             FsCall::SyncFile, FsCall::CloseFile, FsCall::RenameWithoutReplacing }) {
        SCOPED_TRACE(Name(step));
        FaultyFileSystem system;
        system.Fail(step);
        EXPECT_EQ(WriteNewFileContents(folder.folder() + "new.png", kNewContents, system),
            NewFileStatus::Failed);
        EXPECT_TRUE(system.Called(step));
        EXPECT_EQ(Entries(folder.path()), Names{ "shot.png" });
    }
}

// The temporary file beside the target has a short name of its own, so a name as long as the
// system allows (255 bytes here, 255 UTF-16 units on Windows) can be saved and saved over, also
// one whose cut falls inside a character; a longer one gets the system's own refusal.
TEST(FileReplace, NamesUpToTheSystemsLimit)
{
    TempFolder folder;
    std::string japanese = "a";
    while (japanese.size() + 3 <= 255)
        japanese += "\xE6\x97\xA5"; // 日
    const std::string names[] = { std::string(249, 'n'), std::string(255, 'm'), japanese };
    for (const std::string& name : names) {
        const std::string target = folder.folder() + name;
        ASSERT_TRUE(ReplaceFileContents(target, "first")) << name.size();
        const Status second = ReplaceFileContents(target, "second");
        ASSERT_TRUE(second) << second.reason();
        EXPECT_EQ(ReadFileBytes(NativePath(target)), "second");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}),
        static_cast<std::ptrdiff_t>(std::size(names)))
        << "a temporary file was left";
#ifndef _WIN32
    EXPECT_EQ(ReplaceFileContents(folder.folder() + std::string(256, 'n'), "x").reason(),
        std::generic_category().message(ENAMETOOLONG));
#endif
}

// Permission bits, the umask, symbolic links, FIFOs and devices under /dev are POSIX's; the
// Windows tests check read-only marks, devices and files held open instead.
#ifndef _WIN32
TEST(FileReplace, KeepsTheFilesPermissionsOwnerAndLinks)
{
    TempFolder folder;
    const auto real = folder.Write("real.ini", "old");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    // Root writing a user's file (say, the program started with sudo) leaves it the user's.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(real.c_str(), 65534, 65534), 0);
    }
    struct stat before = {};
    ASSERT_EQ(::stat(real.c_str(), &before), 0);
    const auto link = folder.path() / "link.ini";
    fs::create_symlink(real, link);
    ASSERT_TRUE(ReplaceFileContents(link.string(), "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real), "new");
    EXPECT_EQ(fs::status(real).permissions(),
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    struct stat after = {};
    ASSERT_EQ(::stat(real.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(Entries(folder.path()), (Names{ "link.ini", "real.ini" }));

    // A relative link to a link to nothing yet: the last one's target is created, both stay.
    fs::create_directory(folder.path() / "sub");
    fs::create_symlink("sub/next.ini", folder.path() / "dangling.ini");
    fs::create_symlink("../created.ini", folder.path() / "sub/next.ini");
    ASSERT_TRUE(ReplaceFileContents(folder.folder() + "dangling.ini", "made"));
    EXPECT_TRUE(fs::is_symlink(folder.path() / "dangling.ini"));
    EXPECT_TRUE(fs::is_symlink(folder.path() / "sub/next.ini"));
    EXPECT_EQ(ReadFileBytes(folder.path() / "created.ini"), "made");
    // A chain without end is not written at all.
    fs::create_symlink("loop.ini", folder.path() / "loop.ini");
    EXPECT_FALSE(ReplaceFileContents(folder.folder() + "loop.ini", "x"));
    EXPECT_TRUE(fs::is_symlink(folder.path() / "loop.ini"));

    // A new file gets what any new file gets under the process's umask.
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(ReplaceFileContents(folder.folder() + "fresh.ini", "x"));
    ::umask(mask);
    EXPECT_EQ(fs::status(folder.path() / "fresh.ini").permissions(), static_cast<fs::perms>(0644));
}

// The system says who may write; a file or folder with no write bit for anybody is read-only
// even for root. The owner of a file is judged by the owner's bits, root by any bit.
TEST(FileReplace, WritesOnlyWhereThisUserMayWrite)
{
    const bool root = ::geteuid() == 0;
    struct Case
    {
        fs::perms file;
        fs::perms folder;
        bool replacedByRoot;
        bool replacedByOwner;
    };
    const auto rwx = fs::perms::owner_all;
    const auto rx = fs::perms::owner_read | fs::perms::owner_exec;
    for (const Case c : { Case{ static_cast<fs::perms>(0644), rwx, true, true },
             Case{ static_cast<fs::perms>(0444), rwx, false, false },
             Case{ static_cast<fs::perms>(0464), rwx, true, false },
             Case{ static_cast<fs::perms>(0446), rwx, true, false },
             Case{ static_cast<fs::perms>(0644), rx, false, false } }) {
        SCOPED_TRACE(testing::Message()
            << std::oct << static_cast<int>(c.file) << " in " << static_cast<int>(c.folder));
        TempFolder folder;
        const auto file = folder.Write("app/Snapvale2.ini", "old");
        fs::permissions(file, c.file);
        fs::permissions(file.parent_path(), c.folder);
        const bool replaced = root ? c.replacedByRoot : c.replacedByOwner;
        EXPECT_EQ(ReplaceFileContents(file.string(), "new").ok(), replaced);
        EXPECT_EQ(ReadFileBytes(file), replaced ? "new" : "old");
        EXPECT_EQ(Entries(file.parent_path()), Names{ "Snapvale2.ini" });
    }
}

// Callers replace a file that is not there, but never one they could not read; and nothing that
// is not a regular file is read, since a pipe or a device would block or never end, nor anything
// past the caller's limit, however small the file says it is.
TEST(FileSystem, ReadFileTellsMissingFromUnreadable)
{
    TempFolder folder;
    FileSystem& system = FileSystem::Default();
    constexpr std::size_t kLimit = 1 << 20;
    std::string contents = "stale";
    folder.Write("a.ini", std::string("x\0y", 3));
    EXPECT_EQ(system.ReadFile(folder.folder() + "a.ini", contents, 3), ReadStatus::Ok);
    EXPECT_EQ(contents, std::string("x\0y", 3));

    fs::create_symlink(folder.path() / "gone.ini", folder.path() / "dangling.ini");
    ASSERT_EQ(::mkfifo((folder.path() / "pipe.ini").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder.path() / "zero.ini");
    const struct
    {
        std::string path;
        std::size_t limit;
        ReadStatus status;
    } cases[] = { { folder.folder() + "missing.ini", kLimit, ReadStatus::NotFound },
        { folder.folder() + "dangling.ini", kLimit, ReadStatus::NotFound },
        { folder.folder() + "missing/a.ini", kLimit, ReadStatus::NotFound },
        { folder.folder() + "a.ini/a.ini", kLimit, ReadStatus::NotFound },
        { folder.folder() + "pipe.ini", kLimit, ReadStatus::NotRegular },
        { folder.folder() + "zero.ini", kLimit, ReadStatus::NotRegular },
        { folder.folder(), kLimit, ReadStatus::NotRegular },
        { folder.folder() + "a.ini", 2, ReadStatus::TooLarge },
        // Says it is empty, and holds more than the limit.
        { "/proc/self/status", 16, ReadStatus::TooLarge } };
    for (const auto& c : cases) {
        contents = "stale";
        EXPECT_EQ(system.ReadFile(c.path, contents, c.limit), c.status) << c.path;
        EXPECT_EQ(contents, "") << c.path;
    }
}
#endif // !_WIN32

} // namespace
} // namespace snapvale
