// The settings on Windows: their places under the shell's known folders, and Japanese names
// from the program's folder to the settings file's bytes.

#include <gtest/gtest.h>

#include "catalogue/folder_scan.h"
#include "os/folder_access.h"
#include "os/native_path.h"
#include "os/user_folders.h"
#include "settings/private_profile.h"
#include "settings/settings_location.h"
#include "settings/start_up.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

using test::ReadFileBytes;
using test::TempFolder;
using Names = std::vector<std::string>;

// A program folder, a settings file and a screenshot folder with Japanese names, on a system
// whose ANSI code page has no Japanese: every name reaches the system as Unicode, and the
// settings file holds the names as UTF-8, with Windows line ends, byte for byte.
TEST(WindowsSettings, JapaneseNamesThroughTheWholeStart)
{
    TempFolder folder;
    const std::string program = folder.folder() + "リネージュ\\ツール";
    const std::string shots = folder.folder() + "スクリーンショット\\";
    ASSERT_TRUE(CreateFolderPath(program));
    ASSERT_TRUE(CreateFolderPath(shots));
    test::SetLocalModificationTime(folder.Write("スクリーンショット/狩り.tga", ""), 2004, 5, 17);

    const std::string settings = program + "\\Snapvale2.ini";
    ASSERT_EQ(ChooseSettingsFile(program + "\\", SettingsPlacement::Portable), settings);
    ASSERT_TRUE(WriteIniString("CONFIG", "FOLDER", shots, settings));
    ASSERT_TRUE(WriteIniString("FAVORATES", "FOLDER0", shots, settings));
    EXPECT_EQ(ReadFileBytes(NativePath(settings)),
        "[CONFIG]\r\nFOLDER=" + shots + "\r\n[FAVORATES]\r\nFOLDER0=" + shots + "\r\n");

    const AppState state = ReadStartupState(program);
    EXPECT_EQ(state.AppFolder, program + "\\");
    EXPECT_EQ(state.ImageFolder, shots);
    EXPECT_EQ(state.FolderHistory, Names{ shots });
    Catalogue catalogue;
    ASSERT_EQ(ScanFolder(state.ImageFolder, catalogue), 0);
    EXPECT_EQ(catalogue.FileNames, Names{ "狩り.tga" });
    EXPECT_EQ(catalogue.DateList, Names{ "2004/05/17" });
}

// The game under Program Files; the settings under the roaming application data when the
// program's folder cannot take them, and always for an installed program.
TEST(WindowsSettings, GameFolderAndSettingsFolder)
{
    EXPECT_EQ(DefaultImageFolder(), "C:\\Program Files\\Lineage\\");
    const std::string perUser = UserConfigFolder() + "\\Snapvale2\\Snapvale2.ini";
    TempFolder folder;
    EXPECT_EQ(ChooseSettingsFile(folder.folder() + "gone\\", SettingsPlacement::Portable), perUser);
    EXPECT_EQ(ChooseSettingsFile(folder.folder(), SettingsPlacement::Portable),
        folder.folder() + "Snapvale2.ini");
    EXPECT_EQ(ChooseSettingsFile(folder.folder(), SettingsPlacement::PerUser), perUser);
}

} // namespace
} // namespace snapvale
