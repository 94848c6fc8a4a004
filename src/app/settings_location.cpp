#include "app/settings_location.h"

#include <filesystem>

#include "app/start_up.h"
#include "os/folder_access.h"
#include "os/native_path.h"
#include "os/user_folders.h"

namespace snapvale {

std::string ChooseSettingsFile(const std::string& appFolder)
{
    const std::string beside = appFolder + kSettingsFileName;
    std::error_code error;
    // A link counts as a file there even when it points nowhere yet: someone made it on purpose.
    if (std::filesystem::exists(std::filesystem::symlink_status(NativePath(beside), error))
        || MayWriteInFolder(appFolder))
        return beside;
    const std::string config = UserConfigFolder();
    if (config.empty())
        return beside; // nowhere better; its writes fail and say so
    return WithTrailingSeparator(config) + kUserSettingsFolderName + kSeparator + kSettingsFileName;
}

} // namespace snapvale
