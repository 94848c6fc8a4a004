#include "settings/chosen_folder.h"

#include <optional>
#include <string_view>
#include <unordered_set>

#include "catalogue/folder_history.h"
#include "settings/private_profile.h"

namespace snapvale {

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
    // Each folder once, whatever the history's length.
    std::unordered_set<std::string_view> seen;
    seen.reserve(keys.size() + 1);
    const auto addOnce = [&](const std::string& entry) {
        if (seen.insert(entry).second)
            stored.history.push_back(entry);
    };
    for (const PrivateProfile::NumberedValue& key : keys) {
        if (key.value.empty())
            break; // a cleared history ends here
        addOnce(key.value);
    }
    addOnce(folder);

    profile->Write("CONFIG", "FOLDER", folder);
    // What each key holds now, so that only the keys that change are written.
    std::vector<const std::string*> held(stored.history.size(), nullptr);
    for (const PrivateProfile::NumberedValue& key : keys) {
        if (key.number < held.size())
            held[key.number] = &key.value;
        else if (!key.value.empty())
            profile->Write(kHistorySection, HistoryKey(key.number), "");
    }
    for (std::size_t i = 0; i < stored.history.size(); ++i)
        if (!held[i] || *held[i] != stored.history[i])
            profile->Write(kHistorySection, HistoryKey(i), stored.history[i]);
    stored.status = StorePrivateProfile(*profile, file, fs);
    return stored;
}

} // namespace snapvale
