#include "support/faulty_file_system.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace snapvale::test {

const std::string FaultyFileSystem::kDiskFull = std::generic_category().message(ENOSPC);
const std::string FaultyFileSystem::kIoError = std::generic_category().message(EIO);
const std::string FaultyFileSystem::kDenied = std::generic_category().message(EACCES);

const char* Name(FsCall call)
{
    static constexpr const char* kNames[] = { "ListFolder", "ModificationTime", "ReadFile",
        "AskWriteAccess", "IsFolder", "CreateFolder", "FollowLink", "CreateTemporaryFile", "Append",
        "SyncFile", "CloseFile", "Rename", "RenameWithoutReplacing", "Remove", "SyncFolder" };
    return kNames[static_cast<int>(call)];
}

class FaultyFileSystem::File final : public WritableFile
{
public:
    File(FaultyFileSystem& owner, std::unique_ptr<WritableFile> file, std::string path)
        : owner_(owner)
        , file_(std::move(file))
        , path_(std::move(path))
    {
    }

    Status Append(std::string_view bytes) override
    {
        if (owner_.Fails(FsCall::Append, path_)) {
            file_->Append(bytes.substr(0, bytes.size() / 2));
            return Status::Failure(kDiskFull);
        }
        return file_->Append(bytes);
    }
    Status Sync() override
    {
        const bool failed = owner_.Fails(FsCall::SyncFile, path_);
        Status synced = file_->Sync();
        return failed ? Status::Failure(kIoError) : synced;
    }
    Status Close() override
    {
        const bool failed = owner_.Fails(FsCall::CloseFile, path_);
        Status closed = file_->Close();
        return failed ? Status::Failure(kIoError) : closed;
    }

private:
    FaultyFileSystem& owner_;
    std::unique_ptr<WritableFile> file_;
    std::string path_;
};

FaultyFileSystem::FaultyFileSystem(FileSystem& system)
    : system_(system)
{
}

void FaultyFileSystem::Fail(FsCall call, std::string pathPart)
{
    faults_.push_back({ call, std::move(pathPart) });
}

bool FaultyFileSystem::Called(FsCall call) const
{
    return std::any_of(
        calls_.begin(), calls_.end(), [call](const Record& r) { return r.call == call; });
}

bool FaultyFileSystem::Fails(FsCall call, const std::string& path)
{
    calls_.push_back({ call, path });
    return std::any_of(faults_.begin(), faults_.end(), [&](const Fault& fault) {
        return fault.call == call && path.find(fault.pathPart) != std::string::npos;
    });
}

std::vector<FolderFile> FaultyFileSystem::ListFolder(
    const std::string& folder, const std::function<bool(std::string_view)>& accept)
{
    if (Fails(FsCall::ListFolder, folder))
        return {};
    return system_.ListFolder(folder, accept);
}

std::optional<std::int64_t> FaultyFileSystem::ModificationTime(const std::string& path)
{
    if (Fails(FsCall::ModificationTime, path))
        return std::nullopt;
    return system_.ModificationTime(path);
}

ReadStatus FaultyFileSystem::ReadFile(
    const std::string& path, std::string& contents, std::size_t maxBytes)
{
    if (Fails(FsCall::ReadFile, path)) {
        contents.clear();
        return ReadStatus::Failed;
    }
    return system_.ReadFile(path, contents, maxBytes);
}

WriteAccess FaultyFileSystem::AskWriteAccess(const std::string& path, std::string& reason)
{
    if (Fails(FsCall::AskWriteAccess, path)) {
        reason = kDenied;
        return WriteAccess::ReadOnly;
    }
    return system_.AskWriteAccess(path, reason);
}

bool FaultyFileSystem::IsFolder(const std::string& path)
{
    return !Fails(FsCall::IsFolder, path) && system_.IsFolder(path);
}

Status FaultyFileSystem::CreateFolder(const std::string& path)
{
    if (Fails(FsCall::CreateFolder, path))
        return Status::Failure(kDenied);
    return system_.CreateFolder(path);
}

std::optional<std::string> FaultyFileSystem::FollowLink(const std::string& path)
{
    if (Fails(FsCall::FollowLink, path))
        return std::nullopt;
    return system_.FollowLink(path);
}

Status FaultyFileSystem::CreateTemporaryFile(
    const std::string& target, std::string& temporaryPath, std::unique_ptr<WritableFile>& file)
{
    if (Fails(FsCall::CreateTemporaryFile, target))
        return Status::Failure(kDenied);
    std::unique_ptr<WritableFile> made;
    if (Status created = system_.CreateTemporaryFile(target, temporaryPath, made); !created)
        return created;
    file = std::make_unique<File>(*this, std::move(made), temporaryPath);
    return {};
}

Status FaultyFileSystem::Rename(const std::string& from, const std::string& to)
{
    if (Fails(FsCall::Rename, to))
        return Status::Failure(kDenied);
    return system_.Rename(from, to);
}

MoveStatus FaultyFileSystem::RenameWithoutReplacing(
    const std::string& from, const std::string& to, std::string& reason)
{
    if (Fails(FsCall::RenameWithoutReplacing, to)) {
        reason = "failed by the test";
        return MoveStatus::Failed;
    }
    return system_.RenameWithoutReplacing(from, to, reason);
}

Status FaultyFileSystem::Remove(const std::string& path)
{
    if (Fails(FsCall::Remove, path))
        return Status::Failure(kDenied);
    return system_.Remove(path);
}

Status FaultyFileSystem::SyncFolder(const std::string& folder)
{
    if (Fails(FsCall::SyncFolder, folder))
        return Status::Failure(kIoError);
    return system_.SyncFolder(folder);
}

} // namespace snapvale::test
