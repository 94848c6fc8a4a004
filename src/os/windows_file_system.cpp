// The file system seam on Windows: the wide-character Win32 calls, with each path converted from
// UTF-8 at the call and each name the system reports converted back.

#include <aclapi.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>
#include <windows.h>
#include <winioctl.h>

#include "os/file_system.h"
#include "os/windows_text.h"

namespace snapvale {

namespace {

// Seconds from 1601-01-01, where Windows counts file times, to 1970-01-01.
constexpr std::int64_t kEpochDifference = 11644473600;
constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A virus scanner or an indexer opens a file just written for a moment; a rename over it waits
// this many times (a little longer each time) before it counts as failed.
constexpr int kRenameRetries = 5;
constexpr DWORD kRenameRetryMilliseconds = 20;

// Closes a handle however a call ends.
class Handle
{
public:
    explicit Handle(HANDLE handle)
        : handle_(handle)
    {
    }
    ~Handle()
    {
        if (valid())
            ::CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    void Reset(HANDLE handle)
    {
        if (valid())
            ::CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_;
};

// Ends a folder search however the listing ends.
class FindHandle
{
public:
    explicit FindHandle(HANDLE handle)
        : handle_(handle)
    {
    }
    ~FindHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;

    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Frees what the security calls allocate.
class LocalMemory
{
public:
    LocalMemory() = default;
    ~LocalMemory() { ::LocalFree(memory_); }
    LocalMemory(const LocalMemory&) = delete;
    LocalMemory& operator=(const LocalMemory&) = delete;

    HLOCAL* out() { return &memory_; }
    void* get() const { return memory_; }

private:
    HLOCAL memory_ = nullptr;
};

std::uint64_t Ticks(const FILETIME& time)
{
    return (std::uint64_t{ time.dwHighDateTime } << 32) | time.dwLowDateTime;
}

std::int64_t UnixSeconds(const FILETIME& time)
{
    return static_cast<std::int64_t>(Ticks(time) / kTicksPerSecond) - kEpochDifference;
}

// The part of the time below its second, in nanoseconds (the system counts in 100 ns).
std::int32_t SubsecondNanoseconds(const FILETIME& time)
{
    return static_cast<std::int32_t>(Ticks(time) % kTicksPerSecond * 100);
}

std::int64_t FileSize(DWORD high, DWORD low)
{
    return static_cast<std::int64_t>((std::uint64_t{ high } << 32) | low);
}

// The failure the system's last error stands for, in its own words.
Status LastErrorStatus() { return Status::Failure(SystemErrorText(::GetLastError())); }

bool IsNotFound(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
        || error == ERROR_INVALID_NAME;
}

// Opens what is at `path` for its attributes only, following links, without keeping anybody else
// from reading, writing or removing it meanwhile; folders open too.
Handle OpenForAttributes(const std::wstring& path)
{
    return Handle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// What is at `path`, links followed; nothing (with the system's error code kept) when nothing is
// there or it cannot be asked.
std::optional<BY_HANDLE_FILE_INFORMATION> FollowedInformation(const std::wstring& path)
{
    const Handle file = OpenForAttributes(path);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!file.valid() || !::GetFileInformationByHandle(file.get(), &information))
        return std::nullopt;
    return information;
}

std::optional<BY_HANDLE_FILE_INFORMATION> FollowedInformation(const std::string& path)
{
    const std::optional<std::wstring> wide = WideFromUtf8(path);
    if (!wide) {
        ::SetLastError(ERROR_INVALID_NAME);
        return std::nullopt;
    }
    return FollowedInformation(*wide);
}

// The reparse tag of the entry at `path` itself (a link is not followed); zero for an ordinary
// entry.
DWORD ReparseTag(const std::wstring& path)
{
    WIN32_FIND_DATAW found;
    const FindHandle find(::FindFirstFileExW(
        path.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
    if (find.get() == INVALID_HANDLE_VALUE
        || (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return 0;
    return found.dwReserved0;
}

// Whether `path` names a device rather than a file: the system turns a device's reserved name
// (NUL, CON, COM1 and the like, in any folder) into a path of the form \\.\NUL. Devices are
// told apart before they are opened, since opening some of them (a serial port) acts on them.
bool NamesDevice(const std::wstring& path)
{
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0)
            return false; // the open that follows will say what is wrong with it
        const bool fitted = length < full.size();
        full.resize(length);
        if (fitted)
            break;
    }
    // \\.\C:\a.ini is a file on drive C:; \\.\NUL, \\.\C: (the volume) and \\.\pipe\x are not.
    constexpr std::wstring_view kDevices = L"\\\\.\\";
    if (!full.starts_with(kDevices))
        return false;
    const std::wstring_view name = std::wstring_view(full).substr(kDevices.size());
    const bool onDrive = name.size() > 2 && name[1] == L':' && name[2] == L'\\';
    return !onDrive;
}

// What an open handle names, for ReadFile: Ok for a disk file of at most `maxBytes` bytes, whose
// size is stored in `size`.
ReadStatus ReadableFile(HANDLE file, std::size_t maxBytes, std::uint64_t& size)
{
    if (::GetFileType(file) != FILE_TYPE_DISK)
        return ReadStatus::NotRegular;
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(file, &information))
        return ReadStatus::Failed;
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return ReadStatus::NotRegular;
    size = (std::uint64_t{ information.nFileSizeHigh } << 32) | information.nFileSizeLow;
    return size > maxBytes ? ReadStatus::TooLarge : ReadStatus::Ok;
}

// Windows gives up on a path after this many reparse points.
constexpr int kMaxLinkHops = 63;

// What the symbolic link at `path` holds: a path, absolute or (when `relative`) from the link's
// own folder. Nothing when it cannot be read.
struct LinkText
{
    std::wstring target;
    bool relative = false;
};

std::optional<LinkText> ReadLink(const std::wstring& path)
{
    const Handle link(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!link.valid())
        return std::nullopt;
    // The layout of a symbolic link's reparse data, which only the driver kit's headers declare:
    // tag, data length and a reserved word; the substitute and print names' byte offsets and
    // lengths into the name buffer; the flags; then the names themselves.
    constexpr std::size_t kNamesStart = 20;
    std::vector<std::uint32_t> buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE / sizeof(std::uint32_t));
    DWORD got = 0;
    if (!::DeviceIoControl(link.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
            static_cast<DWORD>(buffer.size() * sizeof(std::uint32_t)), &got, nullptr)
        || got < kNamesStart)
        return std::nullopt;
    const auto bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    const auto word = [&](std::size_t at) {
        return static_cast<std::size_t>(bytes[at] | (bytes[at + 1] << 8));
    };
    if (buffer[0] != IO_REPARSE_TAG_SYMLINK)
        return std::nullopt;
    const std::size_t offset = word(8);
    const std::size_t length = word(10);
    if (offset % 2 != 0 || length % 2 != 0 || length == 0 || kNamesStart + offset + length > got)
        return std::nullopt;
    LinkText text;
    text.relative = (buffer[4] & SYMLINK_FLAG_RELATIVE) != 0;
    text.target.resize(length / 2);
    std::memcpy(text.target.data(), bytes + kNamesStart + offset, length);
    if (!text.relative) {
        // The substitute name is the object manager's: \??\C:\... or \??\UNC\server\share\...
        constexpr std::wstring_view kObjects = L"\\??\\";
        constexpr std::wstring_view kUnc = L"\\??\\UNC\\";
        if (text.target.starts_with(kUnc))
            text.target.replace(0, kUnc.size(), L"\\\\");
        else if (text.target.size() > kObjects.size() + 1 && text.target.starts_with(kObjects)
            && text.target[kObjects.size() + 1] == L':')
            text.target.erase(0, kObjects.size());
        else if (text.target.starts_with(kObjects))
            text.target.replace(0, kObjects.size(), L"\\\\?\\"); // a volume's name
    }
    return text;
}

class WindowsWritableFile final : public WritableFile
{
public:
    explicit WindowsWritableFile(HANDLE file)
        : file_(file)
    {
    }
    ~WindowsWritableFile() override
    {
        if (file_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(file_);
    }

    Status Append(std::string_view bytes) override
    {
        if (file_ == INVALID_HANDLE_VALUE)
            return Status::Failure(SystemErrorText(ERROR_INVALID_HANDLE));
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            DWORD written = 0;
            if (!::WriteFile(file_, bytes.data(), chunk, &written, nullptr))
                return LastErrorStatus();
            if (written == 0)
                return Status::Failure(SystemErrorText(ERROR_WRITE_FAULT));
            bytes.remove_prefix(written);
        }
        return {};
    }

    Status Sync() override
    {
        if (file_ == INVALID_HANDLE_VALUE)
            return Status::Failure(SystemErrorText(ERROR_INVALID_HANDLE));
        return ::FlushFileBuffers(file_) ? Status() : LastErrorStatus();
    }

    Status Close() override
    {
        if (file_ == INVALID_HANDLE_VALUE)
            return Status::Failure(SystemErrorText(ERROR_INVALID_HANDLE));
        const bool closed = ::CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        return closed ? Status() : LastErrorStatus();
    }

private:
    HANDLE file_;
};

// The access list a replacement of an existing file must carry to keep the file's permissions:
// the whole list when the file does not inherit from its folder, else only the entries set on the
// file itself (a new file in the same folder inherits the rest). Empty when there is nothing to
// carry over, or the file system keeps no access lists.
class CarriedAccess
{
public:
    explicit CarriedAccess(HANDLE target)
    {
        PACL list = nullptr;
        if (::GetSecurityInfo(target, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                &list, nullptr, descriptor_.out())
                != ERROR_SUCCESS
            || list == nullptr)
            return;
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        if (!::GetSecurityDescriptorControl(descriptor_.get(), &control, &revision))
            return;
        protected_ = (control & SE_DACL_PROTECTED) != 0;
        if (protected_) {
            list_ = list;
            return;
        }
        // The entries not inherited, in their order, in a list of their own.
        ACL_SIZE_INFORMATION size{};
        if (!::GetAclInformation(list, &size, sizeof size, AclSizeInformation))
            return;
        own_.resize(size.AclBytesInUse / sizeof(std::uint32_t) + 1);
        const auto ownList = reinterpret_cast<PACL>(own_.data());
        if (!::InitializeAcl(
                ownList, static_cast<DWORD>(own_.size() * sizeof(std::uint32_t)), ACL_REVISION_DS))
            return;
        bool any = false;
        for (DWORD i = 0; i < size.AceCount; ++i) {
            void* entry = nullptr;
            if (!::GetAce(list, i, &entry))
                return;
            const auto header = static_cast<const ACE_HEADER*>(entry);
            if (header->AceFlags & INHERITED_ACE)
                continue;
            if (!::AddAce(ownList, ACL_REVISION_DS, MAXDWORD, entry, header->AceSize))
                return;
            any = true;
        }
        if (any)
            list_ = ownList;
    }

    bool empty() const { return list_ == nullptr; }

    // ERROR_SUCCESS, or the system's error code.
    DWORD ApplyTo(HANDLE file) const
    {
        const SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION
            | (protected_ ? PROTECTED_DACL_SECURITY_INFORMATION
                          : UNPROTECTED_DACL_SECURITY_INFORMATION);
        return ::SetSecurityInfo(file, SE_FILE_OBJECT, what, nullptr, nullptr, list_, nullptr);
    }

private:
    LocalMemory descriptor_;
    std::vector<std::uint32_t> own_; // aligned room for the list of the file's own entries
    PACL list_ = nullptr;
    bool protected_ = false;
};

class WindowsFileSystem final : public FileSystem
{
public:
    std::vector<FolderFile> ListFolder(
        const std::string& folder, const std::function<bool(std::string_view)>& accept) override
    {
        std::vector<FolderFile> files;
        std::string prefix = folder.empty() ? std::string(".") : folder;
        if (prefix.back() != '\\' && prefix.back() != '/')
            prefix += '\\';
        // Every name, and the extension checked here: the system's own "*.tga" would also match
        // a long name whose short 8.3 alias happens to end in .TGA.
        const std::optional<std::wstring> pattern = WideFromUtf8(prefix + '*');
        if (!pattern)
            return files;
        WIN32_FIND_DATAW found;
        const FindHandle find(::FindFirstFileExW(pattern->c_str(), FindExInfoBasic, &found,
            FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (find.get() == INVALID_HANDLE_VALUE)
            return files;
        constexpr DWORD kNoFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE
            | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        do {
            if (found.dwFileAttributes & kNoFile)
                continue;
            const std::optional<std::string> name = Utf8FromWide(found.cFileName);
            if (!name || !accept(*name))
                continue;
            FILETIME modified = found.ftLastWriteTime;
            std::int64_t size = FileSize(found.nFileSizeHigh, found.nFileSizeLow);
            // A link's entry carries the link's own time; the file it names is the picture.
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                && found.dwReserved0 == IO_REPARSE_TAG_SYMLINK) {
                const std::optional<BY_HANDLE_FILE_INFORMATION> target =
                    FollowedInformation(prefix + *name);
                if (!target || (target->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    continue;
                modified = target->ftLastWriteTime;
                size = FileSize(target->nFileSizeHigh, target->nFileSizeLow);
            }
            files.push_back({ *name, UnixSeconds(modified), size, SubsecondNanoseconds(modified) });
        } while (::FindNextFileW(find.get(), &found));
        return files;
    }

    std::optional<std::int64_t> ModificationTime(const std::string& path) override
    {
        const std::optional<BY_HANDLE_FILE_INFORMATION> information = FollowedInformation(path);
        if (!information)
            return std::nullopt;
        return UnixSeconds(information->ftLastWriteTime);
    }

    ReadStatus ReadFile(
        const std::string& path, std::string& contents, std::size_t maxBytes) override
    {
        contents.clear();
        const std::optional<std::wstring> wide = WideFromUtf8(path);
        if (!wide)
            return ReadStatus::NotFound; // no file has a name that is not text
        // A device (NUL, CON, a serial port, a pipe) could block or never end.
        if (NamesDevice(*wide))
            return ReadStatus::NotRegular;
        std::uint64_t size = 0;
        {
            // Looked at before it is opened for reading: a folder opens only this way, and a file
            // too large is refused before anything is read.
            const Handle look = OpenForAttributes(*wide);
            if (!look.valid())
                return IsNotFound(::GetLastError()) ? ReadStatus::NotFound : ReadStatus::Failed;
            if (const ReadStatus status = ReadableFile(look.get(), maxBytes, size);
                status != ReadStatus::Ok)
                return status;
        }
        const Handle file(::CreateFileW(wide->c_str(), GENERIC_READ, kShareAll, nullptr,
            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file.valid())
            return IsNotFound(::GetLastError()) ? ReadStatus::NotFound : ReadStatus::Failed;
        // Looked at again: something else may have been put there in between.
        if (const ReadStatus status = ReadableFile(file.get(), maxBytes, size);
            status != ReadStatus::Ok)
            return status;

        // The size is only a hint: another program may be writing the file. Reading one byte past
        // the limit tells a file at the limit from a longer one.
        const std::size_t limit = maxBytes == SIZE_MAX ? maxBytes : maxBytes + 1;
        std::size_t capacity = std::min(static_cast<std::size_t>(size) + 1, limit);
        std::size_t length = 0;
        for (;;) {
            if (length == capacity)
                capacity = capacity > limit / 2 ? limit : capacity * 2;
            contents.resize(capacity);
            const DWORD chunk =
                static_cast<DWORD>(std::min<std::size_t>(capacity - length, 1u << 30));
            DWORD got = 0;
            if (!::ReadFile(file.get(), contents.data() + length, chunk, &got, nullptr)) {
                contents.clear();
                return ReadStatus::Failed;
            }
            if (got == 0)
                break;
            length += got;
            if (length > maxBytes) {
                contents.clear();
                return ReadStatus::TooLarge;
            }
        }
        contents.resize(length);
        return ReadStatus::Ok;
    }

    WriteAccess AskWriteAccess(const std::string& path, std::string& reason) override
    {
        const std::optional<std::wstring> wide = WideFromUtf8(path);
        if (!wide)
            return WriteAccess::Missing;
        const std::optional<BY_HANDLE_FILE_INFORMATION> information = FollowedInformation(*wide);
        if (!information) {
            const DWORD error = ::GetLastError();
            if (IsNotFound(error))
                return WriteAccess::Missing;
            reason = SystemErrorText(error);
            return WriteAccess::ReadOnly;
        }
        const bool folder = (information->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // A file's read-only mark is the box in its properties, which the system keeps even for
        // administrators. On a folder the mark means nothing of the kind (Explorer sets it on
        // folders it has customised), so only the access list speaks for folders.
        if (!folder && (information->dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
            reason = "read-only: the file is marked read-only";
            return WriteAccess::ReadOnly;
        }
        // The access list decides, asked by opening for the right to write the file or to add
        // files to the folder; nothing is written.
        const Handle probe(::CreateFileW(wide->c_str(), folder ? FILE_ADD_FILE : FILE_WRITE_DATA,
            kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (probe.valid())
            return WriteAccess::Writable;
        // Open elsewhere without sharing is no matter of permission; the write itself will tell.
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION)
            return WriteAccess::Writable;
        reason = SystemErrorText(error);
        return WriteAccess::ReadOnly;
    }

    bool IsFolder(const std::string& path) override
    {
        const std::optional<BY_HANDLE_FILE_INFORMATION> information = FollowedInformation(path);
        return information && (information->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    // The new folder takes its access list from the folder it is made in, as every folder on
    // Windows does; under the user's profile that admits the user alone (and the system).
    Status CreateFolder(const std::string& path) override
    {
        const std::optional<std::wstring> wide = WideFromUtf8(path);
        if (!wide)
            return Status::Failure(SystemErrorText(ERROR_INVALID_NAME));
        return ::CreateDirectoryW(wide->c_str(), nullptr) ? Status() : LastErrorStatus();
    }

    std::optional<std::string> FollowLink(const std::string& path) override
    {
        const std::optional<std::wstring> wide = WideFromUtf8(path);
        if (!wide)
            return path; // names nothing; the write will fail on it
        // Hop by hop rather than to the system's final path: the last link may name a file that
        // is not there yet, which the write then creates instead of replacing the link. Only a
        // symbolic link names another file; other reparse points (cloud placeholders,
        // deduplicated files) are the files themselves, and junctions name folders only.
        std::wstring target = *wide;
        for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
            if (ReparseTag(target) != IO_REPARSE_TAG_SYMLINK)
                return Utf8FromWide(target);
            std::optional<LinkText> next = ReadLink(target);
            if (!next)
                return std::nullopt;
            if (next->relative) {
                const std::size_t separator = target.find_last_of(L"\\/");
                const std::wstring folder =
                    separator == std::wstring::npos ? std::wstring() : target.substr(0, separator);
                if (next->target.starts_with(L'\\')) {
                    // From the root of the link's drive.
                    const bool drive = folder.size() >= 2 && folder[1] == L':';
                    next->target.insert(0, drive ? folder.substr(0, 2) : std::wstring());
                } else if (!folder.empty()) {
                    next->target.insert(0, folder + L'\\');
                }
            }
            target = std::move(next->target);
        }
        return std::nullopt;
    }

    Status CreateTemporaryFile(const std::string& target, std::string& temporaryPath,
        std::unique_ptr<WritableFile>& file) override
    {
        const std::optional<std::wstring> wideTarget = WideFromUtf8(target);
        if (!wideTarget)
            return Status::Failure(SystemErrorText(ERROR_INVALID_NAME));
        // The replacement is to look like the file it replaces: its hidden or system marks and
        // its permissions. A new file starts with the folder's inherited permissions. The owner
        // is not carried over: Windows lets a program name another owner only with the restore
        // privilege, so the file is this user's, as every file it creates, and the access list
        // keeps who may use it.
        DWORD attributes = FILE_ATTRIBUTE_NORMAL;
        // A user who may not read the access list still keeps the marks.
        Handle existing(::CreateFileW(wideTarget->c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
            kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!existing.valid() && ::GetLastError() == ERROR_ACCESS_DENIED)
            existing.Reset(::CreateFileW(wideTarget->c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                nullptr, OPEN_EXISTING, 0, nullptr));
        BY_HANDLE_FILE_INFORMATION information{};
        if (existing.valid() && ::GetFileInformationByHandle(existing.get(), &information)) {
            constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM
                | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
            if (information.dwFileAttributes & kKept)
                attributes = information.dwFileAttributes & kKept;
        }
        const CarriedAccess access(existing.valid() ? existing.get() : INVALID_HANDLE_VALUE);

        for (int attempt = 0;; ++attempt) {
            std::string path = TemporaryPathBeside(target);
            const std::optional<std::wstring> wide = WideFromUtf8(path);
            if (!wide)
                return Status::Failure(SystemErrorText(ERROR_INVALID_NAME));
            const HANDLE handle =
                ::CreateFileW(wide->c_str(), GENERIC_WRITE | (access.empty() ? 0 : WRITE_DAC), 0,
                    nullptr, CREATE_NEW, attributes, nullptr);
            if (handle == INVALID_HANDLE_VALUE) {
                if (::GetLastError() == ERROR_FILE_EXISTS && attempt < 100)
                    continue;
                return LastErrorStatus();
            }
            if (!access.empty()) {
                if (const DWORD error = access.ApplyTo(handle); error != ERROR_SUCCESS) {
                    ::CloseHandle(handle);
                    ::DeleteFileW(wide->c_str());
                    return Status::Failure(SystemErrorText(error));
                }
            }
            temporaryPath = std::move(path);
            file = std::make_unique<WindowsWritableFile>(handle);
            return {};
        }
    }

    // One rename that replaces the target, written through to the disk before it returns.
    // ReplaceFileW is not used: when it fails part way without a backup file it can leave the
    // target removed, and this call must leave both files as they were on failure.
    Status Rename(const std::string& from, const std::string& to) override
    {
        const std::optional<std::wstring> wideFrom = WideFromUtf8(from);
        const std::optional<std::wstring> wideTo = WideFromUtf8(to);
        if (!wideFrom || !wideTo)
            return Status::Failure(SystemErrorText(ERROR_INVALID_NAME));
        for (int attempt = 0;; ++attempt) {
            if (::MoveFileExW(wideFrom->c_str(), wideTo->c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                return {};
            const DWORD error = ::GetLastError();
            const bool held = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION
                || error == ERROR_LOCK_VIOLATION;
            if (!held || attempt == kRenameRetries)
                return Status::Failure(SystemErrorText(error));
            ::Sleep(kRenameRetryMilliseconds * static_cast<DWORD>(attempt + 1));
        }
    }

    MoveStatus RenameWithoutReplacing(
        const std::string& from, const std::string& to, std::string& reason) override
    {
        const std::optional<std::wstring> wideFrom = WideFromUtf8(from);
        const std::optional<std::wstring> wideTo = WideFromUtf8(to);
        if (!wideFrom || !wideTo) {
            reason = SystemErrorText(ERROR_INVALID_NAME);
            return MoveStatus::Failed;
        }
        for (int attempt = 0;; ++attempt) {
            // Without MOVEFILE_REPLACE_EXISTING the system refuses any name in the way.
            if (::MoveFileExW(wideFrom->c_str(), wideTo->c_str(), MOVEFILE_WRITE_THROUGH))
                return MoveStatus::Moved;
            const DWORD error = ::GetLastError();
            if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
                reason = SystemErrorText(error);
                return MoveStatus::TargetExists;
            }
            const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
            if (!held || attempt == kRenameRetries) {
                reason = SystemErrorText(error);
                return MoveStatus::Failed;
            }
            ::Sleep(kRenameRetryMilliseconds * static_cast<DWORD>(attempt + 1));
        }
    }

    Status Remove(const std::string& path) override
    {
        const std::optional<std::wstring> wide = WideFromUtf8(path);
        if (!wide)
            return Status::Failure(SystemErrorText(ERROR_INVALID_NAME));
        return ::DeleteFileW(wide->c_str()) ? Status() : LastErrorStatus();
    }

    // The rename was written through, its folder entry included.
    Status SyncFolder(const std::string&) override { return {}; }
};

} // namespace

FileSystem& FileSystem::Default()
{
    static WindowsFileSystem system;
    return system;
}

} // namespace snapvale
