#pragma once

// The values the whole run shares: where the program lives, which folder is catalogued and
// which folders were used before. Start-up fills them from the settings file; the windows read
// and replace them. Kept in one object, not in globals, so that tests can start the program's
// logic with a folder of their own.

#include <string>
#include <vector>

#include "catalogue/day_order.h"
#include "settings/settings_location.h"

namespace snapvale {

// The platform's directory separator; every folder the program holds ends in it, and paths are
// formed by plain concatenation.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

inline constexpr char kSettingsFileName[] = "Snapvale2.ini";
// Where the view's fit choice is kept: a section of this program's own, so that the file's other
// sections stay as they were.
inline constexpr char kViewSection[] = "VIEW";
inline constexpr char kFitKey[] = "FIT";
// The order of a date's screenshots: kDayOrderName or kDayOrderWritten.
inline constexpr char kDayOrderKey[] = "ORDER";

struct AppState
{
    std::string AppFolder; // the program's folder, ending in kSeparator; never changes
    std::string ImageFolder; // the catalogued folder, ending in kSeparator
    // Folders chosen before, oldest first. Never empty: an empty history is the single entry "".
    std::vector<std::string> FolderHistory{ "" };
    // Pictures larger than the main area are shown scaled down to fit it.
    bool FitToWindow = false;
    DayOrder DayFileOrder = DayOrder::Name;
    // The screenshot to show first (a bare name in ImageFolder), when the command line named
    // one; "" otherwise.
    std::string StartFile;
    // The settings file chosen at start-up; every read and write goes to it. Empty in a state
    // made by hand, which keeps its settings beside the program.
    std::string SettingsPath;

    std::string SettingsFile() const
    {
        return SettingsPath.empty() ? AppFolder + kSettingsFileName : SettingsPath;
    }
};

// `folder` with kSeparator appended unless it already ends in one (so "" becomes the root).
std::string WithTrailingSeparator(std::string folder);

// The image folder used when the settings name none: the game's install folder, under the
// user's default Wine prefix on systems other than Windows.
std::string DefaultImageFolder();

// Chooses the settings file for a program in `programFolder` as `placement` asks and reads the
// image folder, the folder history, the fit choice and the order of a date's files from it. Writes
// nothing; a missing file, section or key gives the defaults. The program passes its build's
// placement; a test or tool that names a program folder of its own keeps the settings there.
AppState ReadStartupState(
    const std::string& programFolder, SettingsPlacement placement = SettingsPlacement::Portable);

} // namespace snapvale
