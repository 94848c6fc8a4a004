#include "app/start_up.h"

#include "app/private_profile.h"
#include "app/settings_location.h"
#include "os/user_folders.h"

namespace snapvale {

std::string WithTrailingSeparator(std::string folder)
{
    if (folder.empty() || folder.back() != kSeparator)
        folder += kSeparator;
    return folder;
}

std::string DefaultImageFolder()
{
#ifdef _WIN32
    return "C:\\Program Files\\Lineage\\";
#else
    return WithTrailingSeparator(HomeFolder()) + ".wine/drive_c/Program Files/Lineage/";
#endif
}

AppState ReadStartupState(const std::string& programFolder)
{
    AppState state;
    state.AppFolder = WithTrailingSeparator(programFolder);
    state.SettingsPath = ChooseSettingsFile(state.AppFolder);
    const std::string settings = state.SettingsFile();
    state.ImageFolder = ReadIniString("CONFIG", "FOLDER", settings, DefaultImageFolder());

    // The history ends at the first missing or empty key; keys after a gap are never read.
    state.FolderHistory = { "" };
    for (std::size_t n = 0;; ++n) {
        std::string value = ReadIniString("FAVORATES", "FOLDER" + std::to_string(n), settings, "");
        if (value.empty())
            break;
        if (n == 0)
            state.FolderHistory[0] = std::move(value);
        else
            state.FolderHistory.push_back(std::move(value));
    }

    state.FitToWindow = ReadIniString(kViewSection, kFitKey, settings, "0") == "1";

    state.ImageFolder = WithTrailingSeparator(std::move(state.ImageFolder));
    return state;
}

} // namespace snapvale
