#include "settings/chosen_folder.h"

#include <algorithm>
#include <optional>

#include "catalogue/folder_history.h"
#include "settings/private_profile.h"

namespace snapvale {

namespace {

void AddOnce(std::vector<std::string>& history, const std::string& folder)
{
    if (std::find(history.begin(), history.end(), folder) == history.end())
        history.push_back(folder);
}

} // namespace

StoredFolder StoreChosenFolder(const std::string& file, const std::string& folder,
    const std::vector<std::string>& known, FileSystem& fs)
{
    StoredFolder stored;
    std::string why;
    std::optional<PrivateProfile> profile = LoadPrivateProfile(file, fs, why);
    if (!profile) {
        stored.history = known;
        AddToHistory(stored.history, folder);
        stored.status = Status::Failure("the settings file " + why);
        return stored;
    }

    const std::vector<PrivateProfile::NumberedValue> keys =
        profile->ReadNumbered(kHistorySection, kHistoryKeyPrefix);
    for (const PrivateProfile::NumberedValue& key : keys) {
        if (key.value.empty())
            break; // a cleared history ends here
        AddOnce(stored.history, key.value);
    }
    AddOnce(stored.history, folder);

    profile->Write("CONFIG", "FOLDER", folder);
    for (std::size_t i = 0; i < stored.history.size(); ++i) {
        const std::string key = HistoryKey(i);
        if (profile->Read(kHistorySection, key, "") != stored.history[i])
            profile->Write(kHistorySection, key, stored.history[i]);
    }
    for (const PrivateProfile::NumberedValue& key : keys)
        if (key.number >= stored.history.size() && !key.value.empty())
            profile->Write(kHistorySection, HistoryKey(key.number), "");
    stored.status = StorePrivateProfile(*profile, file, fs);
    return stored;
}

} // namespace snapvale
