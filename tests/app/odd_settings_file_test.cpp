// Settings files that are not what they seem: things that are not regular files, and a file too
// large to be settings.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <ostream>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "app/private_profile.h"
#include "app/start_up.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempFolder;

// Runs `body` on a thread of its own and ends the test program when it has not finished in time,
// so that a read which blocks or fills memory fails the suite instead of hanging it.
void WithinDeadline(const std::function<void()>& body)
{
    constexpr auto kDeadline = std::chrono::seconds(20);
    std::future<void> done = std::async(std::launch::async, body);
    if (done.wait_for(kDeadline) != std::future_status::ready) {
        // On standard output: standard error may be captured by the body.
        std::printf("the settings file was not handled within 20 s\n");
        std::fflush(stdout);
        std::abort(); // the blocked thread cannot be joined
    }
    done.get();
}

std::size_t CountLines(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

struct OddFile
{
    const char* name;
    std::function<void(const fs::path&)> make;
    const char* reason; // what the line on standard error says
};

void PrintTo(const OddFile& c, std::ostream* out) { *out << c.name; }

class OddSettingsFile : public ::testing::TestWithParam<OddFile>
{
};

TEST_P(OddSettingsFile, GivesTheDefaultsAndIsNeverReplaced)
{
    const OddFile& c = GetParam();
    TempFolder folder;
    const fs::path settings = folder.path() / kSettingsFileName;
    c.make(settings);
    struct stat before = {};
    ASSERT_EQ(::lstat(settings.c_str(), &before), 0);

    AppState state;
    std::string complaints;
    WithinDeadline([&] {
        testing::internal::CaptureStderr();
        state = ReadStartupState(folder.path().string());
        WriteIniString("CONFIG", "FOLDER", "/new/", settings.string());
        complaints = testing::internal::GetCapturedStderr();
    });

    EXPECT_EQ(state.ImageFolder, DefaultImageFolder());
    EXPECT_EQ(state.FolderHistory, std::vector<std::string>{ "" });
    struct stat after = {};
    ASSERT_EQ(::lstat(settings.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "replaced";
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 1) << "file left behind";
    // One line for the read and one for the refused write, each naming the file and the cause.
    EXPECT_EQ(CountLines(complaints), 2u) << complaints;
    EXPECT_NE(complaints.find(settings.string() + ' ' + c.reason), std::string::npos) << complaints;
}

INSTANTIATE_TEST_SUITE_P(Kinds, OddSettingsFile,
    ::testing::Values(
        OddFile{ "Fifo", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); },
            "is not a regular file" },
        OddFile{ "LinkToDevZero", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
            "is not a regular file" },
        OddFile{
            "Folder", [](const fs::path& p) { fs::create_directory(p); }, "is not a regular file" },
        OddFile{ "Socket",
            [](const fs::path& p) {
                const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                ASSERT_GE(fd, 0);
                sockaddr_un address = {};
                address.sun_family = AF_UNIX;
                ASSERT_LT(p.string().size(), sizeof(address.sun_path));
                p.string().copy(address.sun_path, sizeof(address.sun_path) - 1);
                ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
                ::close(fd);
            },
            "is not a regular file" },
        // Sparse, so it costs no disk: a regular file one byte past the limit.
        OddFile{ "LargerThanTheLimit",
            [](const fs::path& p) {
                std::ofstream{ p };
                fs::resize_file(p, kMaxSettingsFileSize + 1);
            },
            "is larger than" }),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace snapvale
