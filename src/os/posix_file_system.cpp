// The file system seam on POSIX systems.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "os/file_system.h"

namespace snapvale {

namespace {

constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr mode_t kPermissionBits = 07777;

// A path that names nothing: no entry, or a part of it that is not a folder.
bool IsMissing(int error) { return error == ENOENT || error == ENOTDIR; }

// The failure `error` stands for, in the system's words.
Status ErrorStatus(int error) { return Status::Failure(std::generic_category().message(error)); }

Status FromResult(int result) { return result == 0 ? Status() : ErrorStatus(errno); }

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

// Closes a descriptor however a read ends.
class Descriptor
{
public:
    explicit Descriptor(int fd)
        : fd_(fd)
    {
    }
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }

private:
    int fd_;
};

class PosixWritableFile final : public WritableFile
{
public:
    explicit PosixWritableFile(int fd)
        : fd_(fd)
    {
    }
    ~PosixWritableFile() override
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    Status Append(std::string_view bytes) override
    {
        if (fd_ < 0)
            return ErrorStatus(EBADF);
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return ErrorStatus(errno);
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return {};
    }

    Status Sync() override { return fd_ < 0 ? ErrorStatus(EBADF) : FromResult(::fsync(fd_)); }

    Status Close() override
    {
        if (fd_ < 0)
            return ErrorStatus(EBADF);
        // The descriptor is gone even when close reports an error; it must not be closed twice.
        const int result = ::close(fd_);
        fd_ = -1;
        return FromResult(result);
    }

private:
    int fd_;
};

// The kernel's own limit on links in one path before it gives up (ELOOP).
constexpr int kMaxLinkHops = 40;

// What the symbolic link at `path` holds; nothing when it cannot be read.
std::optional<std::string> ReadLink(const std::string& path)
{
    std::string target(256, '\0');
    for (;;) {
        const ssize_t got = ::readlink(path.c_str(), target.data(), target.size());
        if (got <= 0)
            return std::nullopt;
        if (static_cast<std::size_t>(got) < target.size()) {
            target.resize(static_cast<std::size_t>(got));
            return target;
        }
        target.resize(2 * target.size()); // it may have been cut short
    }
}

// Gives a replacing file the old one's owner and group where this user may (root may; others may
// keep the group when they belong to it). Where not, it stays this user's, as a new file would:
// the write itself was allowed.
void KeepOwner(int fd, const struct stat& existing)
{
    [[maybe_unused]] const bool kept = ::fchown(fd, existing.st_uid, existing.st_gid) == 0
        || ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid) == 0;
}

class PosixFileSystem final : public FileSystem
{
public:
    std::vector<FolderFile> ListFolder(
        const std::string& folder, const std::function<bool(std::string_view)>& accept) override
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
            files.push_back({ std::string(name), static_cast<std::int64_t>(status.st_mtim.tv_sec),
                static_cast<std::int64_t>(status.st_size),
                static_cast<std::int32_t>(status.st_mtim.tv_nsec) });
        }
        return files;
    }

    std::optional<std::int64_t> ModificationTime(const std::string& path) override
    {
        struct stat status
        {
        };
        if (::stat(path.c_str(), &status) != 0)
            return std::nullopt;
        return static_cast<std::int64_t>(status.st_mtime);
    }

    ReadStatus ReadFile(
        const std::string& path, std::string& contents, std::size_t maxBytes) override
    {
        contents.clear();
        // Looking before opening keeps devices and FIFOs from being opened at all; the look after
        // opening catches a file swapped in between, and O_NONBLOCK keeps that open from waiting
        // for a FIFO's writer.
        struct stat status
        {
        };
        if (::stat(path.c_str(), &status) != 0)
            return IsMissing(errno) ? ReadStatus::NotFound : ReadStatus::Failed;
        if (!S_ISREG(status.st_mode))
            return ReadStatus::NotRegular;
        const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (fd.get() < 0)
            return IsMissing(errno) ? ReadStatus::NotFound : ReadStatus::Failed;
        if (::fstat(fd.get(), &status) != 0)
            return ReadStatus::Failed;
        if (!S_ISREG(status.st_mode))
            return ReadStatus::NotRegular;
        if (status.st_size < 0 || static_cast<std::uintmax_t>(status.st_size) > maxBytes)
            return ReadStatus::TooLarge;

        // The size is only a hint: files under /proc say 0, and a file may grow while it is read.
        // Reading one byte past the limit tells a file at the limit from a longer one.
        const std::size_t limit = maxBytes == SIZE_MAX ? maxBytes : maxBytes + 1;
        std::size_t capacity = std::min(static_cast<std::size_t>(status.st_size) + 1, limit);
        std::size_t size = 0;
        for (;;) {
            if (size == capacity)
                capacity = capacity > limit / 2 ? limit : capacity * 2;
            contents.resize(capacity);
            const ssize_t got = ::read(fd.get(), contents.data() + size, capacity - size);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                contents.clear();
                return ReadStatus::Failed;
            }
            if (got == 0)
                break;
            size += static_cast<std::size_t>(got);
            if (size > maxBytes) {
                contents.clear();
                return ReadStatus::TooLarge;
            }
        }
        contents.resize(size);
        return ReadStatus::Ok;
    }

    WriteAccess AskWriteAccess(const std::string& path, std::string& reason) override
    {
        struct stat status
        {
        };
        if (::stat(path.c_str(), &status) != 0) {
            if (errno == ENOENT)
                return WriteAccess::Missing;
            reason = std::generic_category().message(errno);
            return WriteAccess::ReadOnly;
        }
        if ((status.st_mode & kAnyWrite) == 0) {
            reason = "read-only: its permissions let no one write it";
            return WriteAccess::ReadOnly;
        }
        // A folder's entries change only for a user who may also search it.
        const int wanted = S_ISDIR(status.st_mode) ? (W_OK | X_OK) : W_OK;
        if (::access(path.c_str(), wanted) == 0)
            return WriteAccess::Writable;
        reason = std::generic_category().message(errno);
        return WriteAccess::ReadOnly;
    }

    bool IsFolder(const std::string& path) override
    {
        struct stat status
        {
        };
        return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    }

    Status CreateFolder(const std::string& path) override
    {
        return FromResult(::mkdir(path.c_str(), 0700));
    }

    std::optional<std::string> FollowLink(const std::string& path) override
    {
        // Hop by hop rather than to a canonical path: the last link may name a file that is not
        // there yet, which the write then creates instead of replacing the link.
        std::string target = path;
        for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
            struct stat status
            {
            };
            if (::lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
                return target;
            std::optional<std::string> next = ReadLink(target);
            if (!next)
                return std::nullopt;
            // A relative link names a path from the folder that holds the link.
            if (next->front() != '/') {
                std::string folder = FolderOf(target);
                if (folder.back() != '/')
                    folder += '/';
                next->insert(0, folder);
            }
            target = std::move(*next);
        }
        return std::nullopt;
    }

    Status CreateTemporaryFile(const std::string& target, std::string& temporaryPath,
        std::unique_ptr<WritableFile>& file) override
    {
        struct stat existing
        {
        };
        const bool exists = ::stat(target.c_str(), &existing) == 0;
        for (int attempt = 0;; ++attempt) {
            std::string path = TemporaryPathBeside(target);
            // 0666 under the process's umask: the permissions of any new file.
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0) {
                if (errno == EEXIST && attempt < 100)
                    continue;
                return ErrorStatus(errno);
            }
            // The owner before the mode: giving a file away clears its set-ID bits.
            if (exists)
                KeepOwner(fd, existing);
            if (exists && ::fchmod(fd, existing.st_mode & kPermissionBits) != 0) {
                const int error = errno;
                ::close(fd);
                ::unlink(path.c_str());
                return ErrorStatus(error);
            }
            temporaryPath = std::move(path);
            file = std::make_unique<PosixWritableFile>(fd);
            return {};
        }
    }

    Status Rename(const std::string& from, const std::string& to) override
    {
        return FromResult(::rename(from.c_str(), to.c_str()));
    }

    MoveStatus RenameWithoutReplacing(
        const std::string& from, const std::string& to, std::string& reason) override
    {
        const auto failed = [&reason](int error) {
            reason = std::system_category().message(error);
            return error == EEXIST ? MoveStatus::TargetExists : MoveStatus::Failed;
        };
#ifdef RENAME_NOREPLACE
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return MoveStatus::Moved;
        // Some file systems (network ones, older kernels) do not know the flag.
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
            return failed(errno);
#endif
        // A hard link is refused for any name in the way, just as the flag would be.
        if (::link(from.c_str(), to.c_str()) == 0) {
            if (::unlink(from.c_str()) == 0)
                return MoveStatus::Moved;
            const int error = errno;
            ::unlink(to.c_str());
            return failed(error);
        }
        if (errno != EPERM && errno != ENOTSUP)
            return failed(errno);
        // No hard links either (FAT, or `from` is a folder): look, then rename. Only a name taken
        // in the moment between the two could still be replaced.
        struct stat status
        {
        };
        if (::lstat(to.c_str(), &status) == 0)
            return failed(EEXIST);
        if (::rename(from.c_str(), to.c_str()) == 0)
            return MoveStatus::Moved;
        return failed(errno);
    }

    Status Remove(const std::string& path) override { return FromResult(::unlink(path.c_str())); }

    Status SyncFolder(const std::string& folder) override
    {
        const Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd.get() < 0)
            return ErrorStatus(errno);
        return FromResult(::fsync(fd.get()));
    }
};

} // namespace

FileSystem& FileSystem::Default()
{
    static PosixFileSystem system;
    return system;
}

} // namespace snapvale
