#include "support/temp_folder.h"

#include <atomic>
#include <ctime>
#include <fstream>
#include <random>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <utime.h>
#endif

#include "os/native_path.h"

namespace snapvale::test {

namespace fs = std::filesystem;

TempFolder::TempFolder()
{
    static std::atomic<unsigned> counter{ 0 };
    std::random_device random;
    for (;;) {
        std::ostringstream name;
        name << "snapvale-test-" << random() << '-' << counter++;
        path_ = fs::temp_directory_path() / name.str();
        std::error_code error;
        if (fs::create_directory(path_, error))
            break;
    }
}

TempFolder::~TempFolder()
{
    std::error_code error;
    // Tests may leave read-only files and folders behind; make them removable first.
    for (auto it = fs::recursive_directory_iterator(path_, error);
         it != fs::recursive_directory_iterator(); it.increment(error))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(path_, error);
}

std::string TempFolder::folder() const
{
    std::string text = Utf8(path_);
    text += static_cast<char>(fs::path::preferred_separator);
    return text;
}

fs::path TempFolder::Write(const std::string& name, std::string_view bytes) const
{
    const fs::path file = path_ / NativePath(name);
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::string TempFolder::Read(const std::string& name) const
{
    return ReadFileBytes(path_ / NativePath(name));
}

std::string Utf8(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string ReadFileBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

#ifdef _WIN32
namespace {

void SetLastWriteTime(const fs::path& file, const FILETIME& when)
{
    const HANDLE handle = ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return;
    ::SetFileTime(handle, nullptr, nullptr, &when);
    ::CloseHandle(handle);
}

} // namespace
#endif

void SetLocalModificationTime(
    const fs::path& file, int year, int month, int day, int hour, int minute, int second)
{
#ifdef _WIN32
    // The system's own conversion, by the zone's rules for that year, as the program reads it.
    const SYSTEMTIME local{ static_cast<WORD>(year), static_cast<WORD>(month), 0,
        static_cast<WORD>(day), static_cast<WORD>(hour), static_cast<WORD>(minute),
        static_cast<WORD>(second), 0 };
    TIME_ZONE_INFORMATION zone{};
    SYSTEMTIME utc{};
    FILETIME when{};
    if (!::GetTimeZoneInformationForYear(static_cast<USHORT>(year), nullptr, &zone)
        || !::TzSpecificLocalTimeToSystemTime(&zone, &local, &utc)
        || !::SystemTimeToFileTime(&utc, &when))
        return;
    SetLastWriteTime(file, when);
#else
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const std::time_t when = std::mktime(&local);
    utimbuf times{ when, when };
    ::utime(file.c_str(), &times);
#endif
}

void SetModificationTime(const fs::path& file, std::int64_t seconds, std::int32_t nanoseconds)
{
#ifdef _WIN32
    constexpr std::int64_t kSecondsFrom1601 = 11644473600;
    const auto ticks =
        static_cast<std::uint64_t>((seconds + kSecondsFrom1601) * 10'000'000 + nanoseconds / 100);
    const FILETIME when{ static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32) };
    SetLastWriteTime(file, when);
#else
    const timespec times[2] = { { 0, UTIME_OMIT },
        { static_cast<std::time_t>(seconds), static_cast<long>(nanoseconds) } };
    ::utimensat(AT_FDCWD, file.c_str(), times, 0);
#endif
}

} // namespace snapvale::test
