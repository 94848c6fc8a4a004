#pragma once

// A real folder under the system's temporary folder, removed with everything in it when the
// object goes. Tests use it for settings files, image folders and written exports.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace snapvale::test {

class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as the program holds folders: ending in the directory separator.
    std::string folder() const;

    // Writes bytes to a file below the folder (sub-folders are created) and returns its path.
    // Names are UTF-8, as the program holds them.
    std::filesystem::path Write(const std::string& name, std::string_view bytes) const;
    std::string Read(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// A path as the program holds paths: UTF-8 (on Windows the library would give the ANSI code page).
std::string Utf8(const std::filesystem::path& path);

// Reads a whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& file);

// Sets a file's last-modification time to the given local calendar time.
void SetLocalModificationTime(const std::filesystem::path& file, int year, int month, int day,
    int hour = 12, int minute = 0, int second = 0);

// Sets a file's last-modification time to `seconds` since 1970-01-01 UTC and `nanoseconds` more,
// kept as finely as the system keeps file times (100 ns on Windows).
void SetModificationTime(
    const std::filesystem::path& file, std::int64_t seconds, std::int32_t nanoseconds);

} // namespace snapvale::test
