#include "settings/settings_writes.h"

#include <string>

#include "catalogue/folder_history.h"
#include "settings/private_profile.h"

namespace snapvale {

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
