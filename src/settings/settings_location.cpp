#include "settings/settings_location.h"

#include <filesystem>

#include "os/folder_access.h"
#include "os/native_path.h"
#include "os/user_folders.h"
#include "settings/start_up.h"

namespace snapvale {

namespace {

// Set by the build (src/settings/CMakeLists.txt).
constexpr SettingsPlacement kBuildPlacement =
    SNAPVALE_PORTABLE ? SettingsPlacement::Portable : SettingsPlacement::PerUser;

} // namespace

SettingsPlacement BuildSettingsPlacement() { return kBuildPlacement; }

std::string ChooseSettingsFile(const std::string& appFolder, SettingsPlacement placement)
{
    const std::string beside = appFolder + kSettingsFileName;
    if (placement == SettingsPlacement::Portable) {
        // Links are followed: a link to nothing yet is as good as no file, and the program's
        // folder decides.
        std::error_code error;
        if (std::filesystem::exists(NativePath(beside), error) || MayWriteInFolder(appFolder))
            return beside;
    }
    const std::string config = UserConfigFolder();
    if (config.empty())
        return beside; // nowhere better; its writes fail and say so
    return WithTrailingSeparator(config) + kUserSettingsFolderName + kSeparator + kSettingsFileName;
}

} // namespace snapvale
