#include <optional>
#include <shlobj.h>
#include <windows.h>

#include "os/file_system.h"
#include "os/user_folders.h"
#include "os/windows_text.h"

namespace snapvale {

namespace {

// A folder the shell knows by its identifier, where the user or the administrator may have moved
// it; empty when it has none.
std::string KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)))
        folder = Utf8FromWide(path).value_or(std::string());
    ::CoTaskMemFree(path);
    return folder;
}

} // namespace

std::string ProgramFolder()
{
    std::wstring program(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
        if (length == 0)
            return {};
        // A name that filled the buffer may have been cut short.
        if (length < program.size()) {
            program.resize(length);
            break;
        }
        if (program.size() >= 32768)
            return {};
        program.resize(program.size() * 2);
    }
    const std::optional<std::string> path = Utf8FromWide(program);
    return path ? FolderOf(*path) : std::string();
}

std::string HomeFolder() { return KnownFolder(FOLDERID_Profile); }

std::string UserConfigFolder() { return KnownFolder(FOLDERID_RoamingAppData); }

std::string ProgramFilesFolder() { return KnownFolder(FOLDERID_ProgramFiles); }

} // namespace snapvale
