#include "os/folder_access.h"

namespace snapvale {

bool MayWriteInFolder(const std::string& folder, FileSystem& fs)
{
    return fs.IsFolder(folder) && fs.AskWriteAccess(folder) == WriteAccess::Writable;
}

bool CreateFolderPath(const std::string& folder, FileSystem& fs)
{
    if (fs.IsFolder(folder))
        return true;
    const std::string parent = FolderOf(folder);
    if (parent != folder && !CreateFolderPath(parent, fs))
        return false;
    if (!MayWriteInFolder(parent, fs))
        return false;
    // Another program may have made it in the meantime; that is as good.
    return fs.CreateFolder(folder) || fs.IsFolder(folder);
}

} // namespace snapvale
