#include <cstdlib>
#include <optional>

#include <gtest/gtest.h>

#include "app/private_profile.h"
#include "app/start_up.h"
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

TEST_F(SettingsLocation, WritableProgramFolderKeepsTheSettingsBesideTheProgram)
{
    const AppState state = ReadStartupState(app.path().string());
    EXPECT_EQ(state.SettingsFile(), app.folder() + "Snapvale2.ini");
    EXPECT_TRUE(WriteIniString("CONFIG", "FOLDER", "/shots/", state.SettingsFile()));
    EXPECT_FALSE(fs::exists(user.path() / "Snapvale2"));
}

TEST_F(SettingsLocation, FileBesideTheProgramWinsOverThePerUserFile)
{
    app.Write("Snapvale2.ini", "[CONFIG]\r\nFOLDER=/beside/\r\n");
    user.Write("Snapvale2/Snapvale2.ini", "[CONFIG]\r\nFOLDER=/per-user/\r\n");
    MakeReadOnly(app.path());
    const AppState state = ReadStartupState(app.path().string());
    EXPECT_EQ(state.SettingsFile(), app.folder() + "Snapvale2.ini");
    EXPECT_EQ(state.ImageFolder, "/beside/");
}

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

TEST_F(SettingsLocation, FailedWritePrintsOneLine)
{
    MakeReadOnly(app.path());
    MakeReadOnly(user.path());
    const AppState state = ReadStartupState(app.path().string());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(WriteIniString("CONFIG", "FOLDER", "/shots/", state.SettingsFile()));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
        "snapvale2: could not write " + UserFile() + "\n");
}

} // namespace
} // namespace snapvale
