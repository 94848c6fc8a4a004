#include "os/file_replace.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace snapvale {

namespace fs = std::filesystem;

namespace {

constexpr auto kAnyWrite =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

bool IsReadOnly(const fs::path& path)
{
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    return !error && (status.permissions() & kAnyWrite) == fs::perms::none;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

bool ReplaceFileContents(const fs::path& requested, std::string_view bytes)
{
    std::error_code error;
    // A link is followed, so the file it names is replaced and the link stays a link.
    fs::path target = requested;
    if (fs::is_symlink(fs::symlink_status(requested, error))) {
        target = fs::weakly_canonical(requested, error);
        if (error)
            return false;
    }

    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    const bool exists = fs::exists(target, error);
    if (error)
        return false;
    if (IsReadOnly(folder) || (exists && IsReadOnly(target)))
        return false;

    struct stat existing = {};
    if (exists && ::stat(target.c_str(), &existing) != 0)
        return false;

    std::string temporary = (folder / (target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes);
    if (ok && exists)
        ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
    else if (ok) {
        // A new file gets the usual permissions under the process's umask, not mkstemp's 0600.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ok = ::fchmod(fd, 0666 & ~mask) == 0;
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

} // namespace snapvale
