#include "os/folder_access.h"

namespace snapvale {

bool MayWriteInFolder(const std::string& folder, FileSystem& fs)
{
    return fs.IsFolder(folder) && fs.AskWriteAccess(folder) == WriteAccess::Writable;
}

Status CreateFolderPath(const std::string& folder, FileSystem& fs)
{
    if (fs.IsFolder(folder))
        return {};
    const std::string parent = FolderOf(folder);
    if (parent != folder) {
        if (Status made = CreateFolderPath(parent, fs); !made)
            return made;
    }
    std::string reason;
    if (!fs.IsFolder(parent) || fs.AskWriteAccess(parent, reason) != WriteAccess::Writable)
        return Status::Failure(
            "cannot create folder " + folder + (reason.empty() ? std::string() : ": " + reason));
    Status created = fs.CreateFolder(folder);
    // Another program may have made it in the meantime; that is as good.
    if (created || fs.IsFolder(folder))
        return {};
    return Status::Failure("cannot create folder " + folder + ": " + created.reason());
}

} // namespace snapvale
