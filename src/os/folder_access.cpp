#include "os/folder_access.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace snapvale {

namespace fs = std::filesystem;

bool MayWriteInFolder(const std::string& folder)
{
    struct stat info = {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool CreateFolderPath(const std::string& folder)
{
    std::error_code error;
    if (fs::is_directory(folder, error))
        return true;
    const fs::path path(folder);
    const fs::path parent = path.parent_path();
    if (!parent.empty() && parent != path && !CreateFolderPath(parent.string()))
        return false;
    if (!MayWriteInFolder(parent.empty() ? "." : parent.string()))
        return false;
    // Settings folders hold what the user chose; others have no business reading them.
    if (::mkdir(folder.c_str(), 0700) == 0)
        return true;
    return errno == EEXIST && fs::is_directory(folder, error);
}

} // namespace snapvale
