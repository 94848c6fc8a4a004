#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

#include "os/user_folders.h"

namespace snapvale {

std::string ProgramFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return program.parent_path().string();
}

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir)
        return user->pw_dir;
    return {};
}

std::string UserConfigFolder()
{
    // A relative value is invalid by the XDG rules and is ignored, as they ask.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
        return config;
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/.config";
}

std::string ProgramFilesFolder() { return {}; }

} // namespace snapvale
