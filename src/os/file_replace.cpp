#include "os/file_replace.h"

namespace snapvale {

namespace {

bool WriteAndClose(WritableFile& file, std::string_view bytes)
{
    bool ok = file.Append(bytes);
    ok = ok && file.Sync();
    // Closed even after a failed write, so the temporary file can be removed everywhere.
    return file.Close() && ok;
}

} // namespace

bool ReplaceFileContents(const std::string& requested, std::string_view bytes, FileSystem& fs)
{
    const std::optional<std::string> target = fs.FollowLink(requested);
    if (!target)
        return false;
    const std::string folder = FolderOf(*target);
    if (fs.AskWriteAccess(folder) != WriteAccess::Writable)
        return false;
    if (fs.AskWriteAccess(*target) == WriteAccess::ReadOnly)
        return false;

    std::string temporary;
    std::unique_ptr<WritableFile> file = fs.CreateTemporaryFile(*target, temporary);
    if (!file)
        return false;
    const bool written = WriteAndClose(*file, bytes);
    file.reset();
    if (!written || !fs.Rename(temporary, *target)) {
        fs.Remove(temporary);
        return false;
    }
    // The new entry may still sit in memory only; a failure here cannot undo the rename.
    fs.SyncFolder(folder);
    return true;
}

NewFileStatus WriteNewFileContents(
    const std::string& target, std::string_view bytes, FileSystem& fs)
{
    const std::string folder = FolderOf(target);
    if (fs.AskWriteAccess(folder) != WriteAccess::Writable)
        return NewFileStatus::Failed;
    std::string temporary;
    std::unique_ptr<WritableFile> file = fs.CreateTemporaryFile(target, temporary);
    if (!file)
        return NewFileStatus::Failed;
    const bool written = WriteAndClose(*file, bytes);
    file.reset();
    std::string reason;
    const MoveStatus moved =
        written ? fs.RenameWithoutReplacing(temporary, target, reason) : MoveStatus::Failed;
    if (moved != MoveStatus::Moved) {
        fs.Remove(temporary);
        return moved == MoveStatus::TargetExists ? NewFileStatus::TargetExists
                                                 : NewFileStatus::Failed;
    }
    fs.SyncFolder(folder);
    return NewFileStatus::Written;
}

} // namespace snapvale
