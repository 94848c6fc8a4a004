#include <filesystem>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "os/file_system.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

// Callers replace a file that is not there, but never one they could not read; and nothing that
// is not a regular file is read, since a pipe or a device would block or never end.
TEST(FileSystem, ReadFileTellsMissingFromUnreadable)
{
    TempFolder folder;
    FileSystem& system = FileSystem::Default();
    std::string contents = "stale";
    folder.Write("a.ini", std::string("x\0y", 3));
    EXPECT_EQ(system.ReadFile(folder.folder() + "a.ini", contents), ReadStatus::Ok);
    EXPECT_EQ(contents, std::string("x\0y", 3));

    fs::create_symlink(folder.path() / "gone.ini", folder.path() / "dangling.ini");
    ASSERT_EQ(::mkfifo((folder.path() / "pipe.ini").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder.path() / "zero.ini");
    const struct
    {
        const char* name;
        ReadStatus status;
    } cases[] = { { "missing.ini", ReadStatus::NotFound }, { "dangling.ini", ReadStatus::NotFound },
        { "missing/a.ini", ReadStatus::NotFound }, { "pipe.ini", ReadStatus::Failed },
        { "zero.ini", ReadStatus::Failed }, { "", ReadStatus::Failed } };
    for (const auto& c : cases) {
        contents = "stale";
        EXPECT_EQ(system.ReadFile(folder.folder() + c.name, contents), c.status) << c.name;
        EXPECT_EQ(contents, "") << c.name;
    }
}

} // namespace
} // namespace snapvale
