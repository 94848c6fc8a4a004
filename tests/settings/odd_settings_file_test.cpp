// Settings files that are not what they seem: things that are not regular files, a file too
// large to be settings, and a file the user may not write.

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
#include <tuple>
#include <vector>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "settings/private_profile.h"
#include "settings/start_up.h"
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

#ifdef _WIN32
// Windows has no inode numbers; a replacement shows in the kind, the size or the time.
using EntryState = std::tuple<fs::file_type, std::uintmax_t, fs::file_time_type>;

EntryState StateOf(const fs::path& path)
{
    const fs::file_type type = fs::symlink_status(path).type();
    return { type, type == fs::file_type::regular ? fs::file_size(path) : 0,
        fs::last_write_time(path) };
}
#else
using EntryState = std::tuple<ino_t, mode_t, off_t>;

EntryState StateOf(const fs::path& path)
{
    struct stat status = {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return { status.st_ino, status.st_mode, status.st_size };
}
#endif

class OddSettingsFile : public ::testing::TestWithParam<OddFile>
{
};

TEST_P(OddSettingsFile, GivesTheDefaultsAndIsNeverReplaced)
{
    const OddFile& c = GetParam();
    TempFolder folder;
    const fs::path settings = folder.path() / kSettingsFileName;
    c.make(settings);
    const EntryState before = StateOf(settings);

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
    EXPECT_EQ(StateOf(settings), before) << "replaced or changed";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 1) << "file left behind";
    // One line for the read and one for the refused write, each naming the file and the cause.
    EXPECT_EQ(CountLines(complaints), 2u) << complaints;
    EXPECT_NE(complaints.find(settings.string() + ' ' + c.reason), std::string::npos) << complaints;
}

INSTANTIATE_TEST_SUITE_P(Kinds, OddSettingsFile,
    ::testing::Values(OddFile{ "Folder", [](const fs::path& p) { fs::create_directory(p); },
                          "is not a regular file" },
        // Sparse, so it costs no disk: a regular file one byte past the limit.
        OddFile{ "LargerThanTheLimit",
            [](const fs::path& p) {
                std::ofstream{ p };
                fs::resize_file(p, kMaxSettingsFileSize + 1);
            },
            "is larger than" }),
    [](const auto& info) { return std::string(info.param.name); });

// FIFOs, sockets, /dev and changing users are POSIX's; the Windows tests refuse the devices
// every folder holds there, and read-only files.
#ifndef _WIN32
INSTANTIATE_TEST_SUITE_P(PosixKinds, OddSettingsFile,
    ::testing::Values(
        OddFile{ "Fifo", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); },
            "is not a regular file" },
        OddFile{ "LinkToDevZero", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
            "is not a regular file" },
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
            "is not a regular file" }),
    [](const auto& info) { return std::string(info.param.name); });

// Runs `body` as an ordinary user: in this process when it is not root, otherwise in a child that
// has given up root for the user "nobody" (65534). False when that cannot be done here.
bool RunAsOrdinaryUser(const std::function<void()>& body)
{
    if (::geteuid() != 0) {
        body();
        return true;
    }
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        body();
        ::_exit(0);
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(IniWrite, FileThisUserMayNotWriteStaysAsItWas)
{
    TempFolder root;
    const std::string before = "[CONFIG]\r\nFOLDER=/old/\r\n";
    // The user's own folder and files; as root they are handed to the user first.
    const fs::path folder = root.path() / "user";
    const fs::path allowed = root.Write("user/allowed.ini", before);
    // The group may write it, the owner may not: only the system's own answer tells.
    const fs::path denied = root.Write("user/denied.ini", before);
    fs::permissions(denied,
        fs::perms::owner_read | fs::perms::group_read | fs::perms::group_write
            | fs::perms::others_read);
    std::vector<fs::path> written = { allowed, denied };
    if (::geteuid() == 0) {
        for (const fs::path& path : { folder, allowed, denied })
            ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
        // Someone else's file in the user's folder, readable by all.
        const fs::path rootOwned = root.Write("user/root_owned.ini", before);
        fs::permissions(rootOwned,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read
                | fs::perms::others_read);
        written.push_back(rootOwned);
    }

    const bool ran = RunAsOrdinaryUser([&] {
        for (const fs::path& file : written)
            WriteIniString("CONFIG", "FOLDER", "/new/", file.string());
    });
    if (!ran)
        GTEST_SKIP() << "cannot run as an ordinary user on this machine";

    EXPECT_EQ(ReadFileBytes(allowed), "[CONFIG]\r\nFOLDER=/new/\r\n") << "the user could not write";
    for (std::size_t i = 1; i < written.size(); ++i)
        EXPECT_EQ(ReadFileBytes(written[i]), before) << written[i];
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}),
        static_cast<std::ptrdiff_t>(written.size()));
}

#endif // !_WIN32

} // namespace
} // namespace snapvale
