#include "support/faulty_file_system.h"

#include <algorithm>

namespace snapvale::test {

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

    bool Append(std::string_view bytes) override
    {
        if (owner_.Fails(FsCall::Append, path_)) {
            file_->Append(bytes.substr(0, bytes.size() / 2));
            return false;
        }
        return file_->Append(bytes);
    }
    bool Sync() override
    {
        const bool failed = owner_.Fails(FsCall::SyncFile, path_);
        return file_->Sync() && !failed;
    }
    bool Close() override
    {
        const bool failed = owner_.Fails(FsCall::CloseFile, path_);
        return file_->Close() && !failed;
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

WriteAccess FaultyFileSystem::AskWriteAccess(const std::string& path)
{
    if (Fails(FsCall::AskWriteAccess, path))
        return WriteAccess::ReadOnly;
    return system_.AskWriteAccess(path);
}

bool FaultyFileSystem::IsFolder(const std::string& path)
{
    return !Fails(FsCall::IsFolder, path) && system_.IsFolder(path);
}

bool FaultyFileSystem::CreateFolder(const std::string& path)
{
    return !Fails(FsCall::CreateFolder, path) && system_.CreateFolder(path);
}

std::optional<std::string> FaultyFileSystem::FollowLink(const std::string& path)
{
    if (Fails(FsCall::FollowLink, path))
        return std::nullopt;
    return system_.FollowLink(path);
}

std::unique_ptr<WritableFile> FaultyFileSystem::CreateTemporaryFile(
    const std::string& target, std::string& temporaryPath)
{
    if (Fails(FsCall::CreateTemporaryFile, target))
        return nullptr;
    std::unique_ptr<WritableFile> file = system_.CreateTemporaryFile(target, temporaryPath);
    if (!file)
        return nullptr;
    return std::make_unique<File>(*this, std::move(file), temporaryPath);
}

bool FaultyFileSystem::Rename(const std::string& from, const std::string& to)
{
    if (Fails(FsCall::Rename, to))
        return false;
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

bool FaultyFileSystem::Remove(const std::string& path)
{
    if (Fails(FsCall::Remove, path))
        return false;
    return system_.Remove(path);
}

bool FaultyFileSystem::SyncFolder(const std::string& folder)
{
    if (Fails(FsCall::SyncFolder, folder))
        return false;
    return system_.SyncFolder(folder);
}

} // namespace snapvale::test
