// What only Windows does to files: sharing modes, read-only and hidden marks, devices in every
// folder, file times counted from 1601, wide-character names, and the shell's known folders.

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <windows.h>

#include <gtest/gtest.h>

#include "catalogue/folder_scan.h"
#include "os/file_replace.h"
#include "os/user_folders.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempFolder;
using Names = std::vector<std::string>;

Names Entries(const fs::path& folder)
{
    Names names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(test::Utf8(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

// Opens a file as most programs do: others may read and write it, but not remove or replace it.
HANDLE HoldOpen(const fs::path& file)
{
    return ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A virus scanner or an editor holds the file: the replacement waits a moment for it, and
// fails without loss when it is not let go.
TEST(WindowsFileReplace, TargetHeldOpenElsewhere)
{
    TempFolder folder;
    const fs::path target = folder.Write("Snapvale2.ini", "old");

    const HANDLE held = HoldOpen(target);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ReplaceFileContents(test::Utf8(target), "new"));
    ::CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_EQ(Entries(folder.path()), Names{ "Snapvale2.ini" });

    const HANDLE scanned = HoldOpen(target);
    ASSERT_NE(scanned, INVALID_HANDLE_VALUE);
    std::thread scanner([scanned] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        ::CloseHandle(scanned);
    });
    EXPECT_TRUE(ReplaceFileContents(test::Utf8(target), "new"));
    scanner.join();
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_EQ(Entries(folder.path()), Names{ "Snapvale2.ini" });
}

// The read-only box of a file's properties keeps it as it is; a hidden file stays hidden.
TEST(WindowsFileReplace, FileMarksAreKept)
{
    TempFolder folder;
    const fs::path locked = folder.Write("locked.ini", "old");
    ASSERT_TRUE(::SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(ReplaceFileContents(test::Utf8(locked), "new"));
    EXPECT_EQ(ReadFileBytes(locked), "old");

    const fs::path hidden = folder.Write("hidden.ini", "old");
    ASSERT_TRUE(::SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(ReplaceFileContents(test::Utf8(hidden), "new"));
    EXPECT_EQ(ReadFileBytes(hidden), "new");
    EXPECT_TRUE(::GetFileAttributesW(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Entries(folder.path()), (Names{ "hidden.ini", "locked.ini" }));
}

// Every folder holds the devices NUL and CON; reading one would never end or would wait for the
// keyboard. Nothing past the caller's limit is read.
TEST(WindowsFileSystem, ReadFileRefusesDevicesFoldersAndLargeFiles)
{
    TempFolder folder;
    folder.Write("a.ini", "abc");
    FileSystem& system = FileSystem::Default();
    constexpr std::size_t kLimit = 1 << 20;
    const struct
    {
        std::string path;
        std::size_t limit;
        ReadStatus status;
    } cases[] = { { folder.folder() + "NUL", kLimit, ReadStatus::NotRegular },
        { folder.folder() + "CON", kLimit, ReadStatus::NotRegular },
        { "\\\\.\\CON", kLimit, ReadStatus::NotRegular },
        { folder.folder(), kLimit, ReadStatus::NotRegular },
        { folder.folder() + "missing.ini", kLimit, ReadStatus::NotFound },
        { folder.folder() + "missing\\a.ini", kLimit, ReadStatus::NotFound },
        { folder.folder() + "a.ini", 2, ReadStatus::TooLarge },
        { folder.folder() + "a.ini", 3, ReadStatus::Ok } };
    for (const auto& c : cases) {
        std::string contents = "stale";
        EXPECT_EQ(system.ReadFile(c.path, contents, c.limit), c.status) << c.path;
        EXPECT_EQ(contents, c.status == ReadStatus::Ok ? "abc" : "") << c.path;
    }
}

// Sets a file's modification time to a UTC time given in 100-nanosecond steps from 1601.
void SetFileTicks(const fs::path& file, std::uint64_t ticks)
{
    const FILETIME when{ static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32) };
    const HANDLE handle = ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(::SetFileTime(handle, nullptr, nullptr, &when));
    ::CloseHandle(handle);
}

// Windows times count from 1601 in 100-nanosecond steps; a time half a second before local
// midnight stays on its day, before 1970 as after. Files the system marks hidden or system are
// no screenshots; Japanese names come through whole.
TEST(WindowsFolderScan, DateKeysFromFileTimesAndMarkedFilesLeftOut)
{
    constexpr std::uint64_t k1970 = 116444736000000000; // 1970-01-01 00:00 UTC
    constexpr std::uint64_t kSecond = 10'000'000;
    constexpr std::uint64_t kHalf = kSecond / 2;
    // Tokyo is 9 hours ahead of UTC: local midnight is 15:00 UTC the day before.
    constexpr std::uint64_t kMidnight2004 = k1970 + 1084806000 * kSecond; // 2004/05/18 00:00
    constexpr std::uint64_t kMidnight1970 = k1970 - 9 * 3600 * kSecond; // 1970/01/01 00:00

    TempFolder folder;
    SetFileTicks(folder.Write("スクリーンショット.tga", ""), kMidnight2004 - kHalf);
    SetFileTicks(folder.Write("after.tga", ""), kMidnight2004 + kHalf);
    SetFileTicks(folder.Write("before1970.tga", ""), kMidnight1970 - kHalf);
    for (const char* name : { "hidden.tga", "system.tga" })
        SetFileTicks(folder.Write(name, ""), kMidnight2004);
    ASSERT_TRUE(
        ::SetFileAttributesW((folder.path() / "hidden.tga").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(
        ::SetFileAttributesW((folder.path() / "system.tga").c_str(), FILE_ATTRIBUTE_SYSTEM));

    Catalogue catalogue;
    ASSERT_EQ(ScanFolder(folder.folder(), catalogue), 2);
    EXPECT_EQ(
        catalogue.FileNames, (Names{ "after.tga", "before1970.tga", "スクリーンショット.tga" }));
    EXPECT_EQ(catalogue.FileDates, (Names{ "2004/05/18", "1969/12/31", "2004/05/17" }));
    EXPECT_EQ(FileDateTimeText(folder.folder() + "スクリーンショット.tga"), "2004/05/17 23:59:59");
}

// The places the shell knows: the roaming application data and the program's own folder.
TEST(WindowsPlaces, ConfigurationFolderAndProgramFolder)
{
    const std::string config = UserConfigFolder();
    EXPECT_TRUE(config.starts_with("C:\\") && config.ends_with("\\AppData\\Roaming")) << config;

    const std::string program = ProgramFolder();
    EXPECT_TRUE(FileSystem::Default().IsFolder(program)) << program;
    EXPECT_TRUE(FileSystem::Default().ModificationTime(program + "\\os_tests.exe")) << program;
}

} // namespace
} // namespace snapvale
