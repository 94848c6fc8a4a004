#include "app/settings_writes.h"

#include <string>

#include "app/private_profile.h"
#include "catalogue/folder_history.h"

namespace snapvale {

void StoreImageFolder(const AppState& state, std::optional<std::size_t> added)
{
    const std::string settings = state.SettingsFile();
    std::optional<PrivateProfile> profile = LoadPrivateProfile(settings);
    if (!profile)
        return;
    profile->Write("CONFIG", "FOLDER", state.ImageFolder);
    if (added)
        profile->Write(kHistorySection, HistoryKey(*added), state.ImageFolder);
    StorePrivateProfile(*profile, settings);
}

void BlankStoredHistory(const AppState& state, std::size_t count)
{
    if (count == 0)
        return;
    const std::string settings = state.SettingsFile();
    std::optional<PrivateProfile> profile = LoadPrivateProfile(settings);
    if (!profile)
        return;
    for (std::size_t i = 0; i < count; ++i)
        profile->Write(kHistorySection, HistoryKey(i), "");
    StorePrivateProfile(*profile, settings);
}

void StoreFitToWindow(const AppState& state)
{
    WriteIniString(kViewSection, kFitKey, state.FitToWindow ? "1" : "0", state.SettingsFile());
}

} // namespace snapvale
