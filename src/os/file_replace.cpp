#include "os/file_replace.h"

namespace snapvale {

namespace {

Status WriteAndClose(WritableFile& file, std::string_view bytes)
{
    Status status = file.Append(bytes);
    if (status)
        status = file.Sync();
    // Closed even after a failed write, so the temporary file can be removed everywhere.
    Status closed = file.Close();
    return status ? closed : status;
}

} // namespace

Status ReplaceFileContents(const std::string& requested, std::string_view bytes, FileSystem& fs)
{
    const std::optional<std::string> target = fs.FollowLink(requested);
    if (!target)
        return Status::Failure("its chain of links cannot be followed to an end");
    const std::string folder = FolderOf(*target);
    std::string reason;
    if (fs.AskWriteAccess(folder, reason) != WriteAccess::Writable)
        return Status::Failure("cannot create files in " + folder
            + (reason.empty() ? std::string(": the folder does not exist") : ": " + reason));
    if (fs.AskWriteAccess(*target, reason) == WriteAccess::ReadOnly)
        return Status::Failure(reason);

    std::string temporary;
    std::unique_ptr<WritableFile> file;
    if (Status created = fs.CreateTemporaryFile(*target, temporary, file); !created)
        return created;
    Status written = WriteAndClose(*file, bytes);
    file.reset();
    if (written)
        written = fs.Rename(temporary, *target);
    if (!written) {
        fs.Remove(temporary);
        return written;
    }
    // The new entry may still sit in memory only; a failure here cannot undo the rename.
    fs.SyncFolder(folder);
    return {};
}

NewFileStatus WriteNewFileContents(
    const std::string& target, std::string_view bytes, FileSystem& fs)
{
    const std::string folder = FolderOf(target);
    if (fs.AskWriteAccess(folder) != WriteAccess::Writable)
        return NewFileStatus::Failed;
    std::string temporary;
    std::unique_ptr<WritableFile> file;
    if (!fs.CreateTemporaryFile(target, temporary, file))
        return NewFileStatus::Failed;
    const bool written = WriteAndClose(*file, bytes).ok();
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
