#include "support/temp_folder.h"

#include <atomic>
#include <ctime>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <utime.h>

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
    std::string text = path_.string();
    text += static_cast<char>(fs::path::preferred_separator);
    return text;
}

fs::path TempFolder::Write(const std::string& name, std::string_view bytes) const
{
    const fs::path file = path_ / name;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::string TempFolder::Read(const std::string& name) const { return ReadFileBytes(path_ / name); }

std::string ReadFileBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void SetLocalModificationTime(
    const fs::path& file, int year, int month, int day, int hour, int minute, int second)
{
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
}

} // namespace snapvale::test
