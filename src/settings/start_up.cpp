#include "settings/start_up.h"

#include "catalogue/folder_history.h"
#include "os/user_folders.h"
#include "settings/private_profile.h"

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
    const std::string programs = ProgramFilesFolder();
    return WithTrailingSeparator(programs.empty() ? "C:\\Program Files" : programs) + "Lineage\\";
#else
    return WithTrailingSeparator(HomeFolder()) + ".wine/drive_c/Program Files/Lineage/";
#endif
}

AppState ReadStartupState(const std::string& programFolder, SettingsPlacement placement)
{
    AppState state;
    state.AppFolder = WithTrailingSeparator(programFolder);
    state.SettingsPath = ChooseSettingsFile(state.AppFolder, placement);
    // One parse for every key: the history may be long.
    const PrivateProfile settings =
        LoadPrivateProfile(state.SettingsFile()).value_or(PrivateProfile());
    state.ImageFolder = settings.Read("CONFIG", "FOLDER", DefaultImageFolder());
    // The history in one pass over its section, without indexing a key that may be read once.
    state.FolderHistory =
        FolderHistoryFromStored(settings.ReadSeries(kHistorySection, kHistoryKeyPrefix));

    state.FitToWindow = settings.Read(kViewSection, kFitKey, "0") == "1";
    state.DayFileOrder = DayOrderFromSetting(settings.Read(kViewSection, kDayOrderKey, ""));

    state.ImageFolder = WithTrailingSeparator(std::move(state.ImageFolder));
    return state;
}

} // namespace snapvale
