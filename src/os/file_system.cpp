#include "os/file_system.h"

#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the folder however the listing ends.
class FolderHandle
{
public:
    explicit FolderHandle(const std::string& folder)
        : dir_(::opendir(folder.empty() ? "." : folder.c_str()))
    {
    }
    ~FolderHandle()
    {
        if (dir_)
            ::closedir(dir_);
    }
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    DIR* get() const { return dir_; }

private:
    DIR* dir_;
};

} // namespace

namespace snapvale {

std::vector<FolderFile> ListFolderFiles(
    const std::string& folder, const std::function<bool(std::string_view)>& accept)
{
    std::vector<FolderFile> files;
    FolderHandle dir(folder);
    if (!dir.get())
        return files;
    const int dirFd = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name(entry->d_name);
        if (name == "." || name == ".." || !accept(name))
            continue;
        // Skip what the listing already knows is no file nor link, without a status query.
        if (entry->d_type != DT_REG && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            continue;
        struct stat status
        {
        };
        if (::fstatat(dirFd, entry->d_name, &status, 0) != 0 || !S_ISREG(status.st_mode))
            continue;
        files.push_back({ std::string(name), static_cast<std::int64_t>(status.st_mtime) });
    }
    return files;
}

std::optional<LocalDateTime> ToLocalDateTime(std::int64_t secondsSinceEpoch)
{
    const auto when = static_cast<std::time_t>(secondsSinceEpoch);
    if (static_cast<std::int64_t>(when) != secondsSinceEpoch)
        return std::nullopt;
    std::tm local{};
    if (!::localtime_r(&when, &local))
        return std::nullopt;
    return LocalDateTime{ local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
        local.tm_min, local.tm_sec };
}

std::optional<LocalDateTime> FileModificationTime(const std::string& path)
{
    struct stat status
    {
    };
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return ToLocalDateTime(static_cast<std::int64_t>(status.st_mtime));
}

} // namespace snapvale
