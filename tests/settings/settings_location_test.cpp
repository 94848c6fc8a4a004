#include <cstdlib>
#include <optional>

#include <gtest/gtest.h>

#include "settings/private_profile.h"
#include "settings/start_up.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

// Sets an environment variable (or unsets it, given nothing) for one test.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value)
        : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        Set(value);
    }
    ~ScopedEnv() { Set(old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const std::optional<std::string>& value)
    {
        if (value)
            ::setenv(name_, value->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    const char* name_;
    std::optional<std::string> old_;
};

// No write bit for anyone: read-only for every user, root included, by the program's own rule
// (root may otherwise write anywhere, and the suite runs as root in CI).
void MakeReadOnly(const fs::path& folder)
{
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
}

class SettingsLocation : public ::testing::Test
{
protected:
    TempFolder app; // the program's folder
    TempFolder user; // stands for the user's configuration folder
    ScopedEnv config{ "XDG_CONFIG_HOME", user.path().string() };

    std::string UserFile() const { return user.folder() + "Snapvale2/Snapvale2.ini"; }
};

enum class Beside {
    Nothing,
    File,
    LinkToNothing, // a link whose file is not there yet
};

struct LocationCase
{
    const char* name;
    SettingsPlacement placement;
    Beside beside; // what is at <program folder>/Snapvale2.ini
    bool writableFolder; // whether the program's folder may be written
    bool chosenBeside; // else the per-user file
};

void PrintTo(const LocationCase& c, std::ostream* out) { *out << c.name; }

class SettingsChoice : public SettingsLocation, public ::testing::WithParamInterface<LocationCase>
{
};

TEST_P(SettingsChoice, BesideTheProgramOrPerUser)
{
    const LocationCase& c = GetParam();
    if (c.beside == Beside::File)
        app.Write("Snapvale2.ini", "[CONFIG]\r\nFOLDER=/beside/\r\n");
    if (c.beside == Beside::LinkToNothing)
        fs::create_symlink(user.path() / "elsewhere.ini", app.path() / "Snapvale2.ini");
    user.Write("Snapvale2/Snapvale2.ini", "[CONFIG]\r\nFOLDER=/per-user/\r\n");
    if (!c.writableFolder)
        MakeReadOnly(app.path());

    const AppState state = ReadStartupState(app.path().string(), c.placement);
    EXPECT_EQ(state.SettingsFile(), c.chosenBeside ? app.folder() + "Snapvale2.ini" : UserFile());
    EXPECT_EQ(state.ImageFolder,
        c.chosenBeside ? (c.beside == Beside::File ? "/beside/" : DefaultImageFolder())
                       : "/per-user/");
}

INSTANTIATE_TEST_SUITE_P(Placements, SettingsChoice,
    ::testing::Values(
        LocationCase{ "WritableFolder", SettingsPlacement::Portable, Beside::Nothing, true, true },
        // The user put it there: it is used even where it cannot be written.
        LocationCase{
            "FileInReadOnlyFolder", SettingsPlacement::Portable, Beside::File, false, true },
        LocationCase{
            "NothingInReadOnlyFolder", SettingsPlacement::Portable, Beside::Nothing, false, false },
        // A link to nothing counts as nothing, whatever the folder.
        LocationCase{ "LinkToNothingInReadOnlyFolder", SettingsPlacement::Portable,
            Beside::LinkToNothing, false, false },
        LocationCase{ "LinkToNothingInWritableFolder", SettingsPlacement::Portable,
            Beside::LinkToNothing, true, true },
        // An installed program (run as root, say) never keeps settings beside itself.
        LocationCase{ "InstalledWithWritableFolder", SettingsPlacement::PerUser, Beside::Nothing,
            true, false },
        LocationCase{
            "InstalledWithFileBeside", SettingsPlacement::PerUser, Beside::File, true, false }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsLocation, ReadOnlyProgramFolderUsesThePerUserFileMadeOnFirstWrite)
{
    MakeReadOnly(app.path());
    AppState state = ReadStartupState(app.path().string());
    EXPECT_EQ(state.SettingsFile(), UserFile());
    EXPECT_FALSE(fs::exists(user.path() / "Snapvale2")) << "start-up creates nothing";

    // What accepting two folders in the options dialog writes.
    EXPECT_TRUE(WriteIniString("CONFIG", "FOLDER", "/shots/b/", state.SettingsFile()));
    EXPECT_TRUE(WriteIniString("FAVORATES", "FOLDER0", "/shots/a/", state.SettingsFile()));
    EXPECT_TRUE(WriteIniString("FAVORATES", "FOLDER1", "/shots/b/", state.SettingsFile()));

    const AppState restarted = ReadStartupState(app.path().string());
    EXPECT_EQ(restarted.ImageFolder, "/shots/b/");
    EXPECT_EQ(restarted.FolderHistory, (std::vector<std::string>{ "/shots/a/", "/shots/b/" }));
    EXPECT_TRUE(fs::is_empty(app.path()));
}

TEST_F(SettingsLocation, WithoutXdgConfigHomeThePerUserFileIsUnderDotConfig)
{
    MakeReadOnly(app.path());
    const ScopedEnv noConfig("XDG_CONFIG_HOME", std::nullopt);
    const ScopedEnv home("HOME", user.path().string());
    EXPECT_EQ(ReadStartupState(app.path().string()).SettingsFile(),
        user.folder() + ".config/Snapvale2/Snapvale2.ini");
}

TEST_F(SettingsLocation, FailedWritePrintsOneLineWithTheReason)
{
    MakeReadOnly(app.path());
    MakeReadOnly(user.path());
    const AppState state = ReadStartupState(app.path().string());
    ::testing::internal::CaptureStderr();
    const Status written = WriteIniString("CONFIG", "FOLDER", "/shots/", state.SettingsFile());
    const std::string reason = "cannot create folder " + user.folder()
        + "Snapvale2: read-only: its permissions let no "
          "one write it";
    EXPECT_EQ(written.reason(), reason);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
        "snapvale2: could not write " + UserFile() + ": " + reason + "\n");
}

} // namespace
} // namespace snapvale
