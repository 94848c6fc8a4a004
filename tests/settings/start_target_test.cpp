#include <filesystem>

#include <gtest/gtest.h>

#include "settings/start_target.h"
#include "settings/start_up.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using test::Utf8;

// Relative paths are read from the working folder, which the test moves into the shots' folder's
// parent for its length.
class WorkingFolder
{
public:
    explicit WorkingFolder(const fs::path& folder)
        : saved_(fs::current_path())
    {
        fs::current_path(folder);
    }
    ~WorkingFolder() { fs::current_path(saved_); }

private:
    fs::path saved_;
};

TEST(StartTarget, FileOrFolderGivenOnTheCommandLine)
{
    TempFolder root;
    root.Write("shots/Shot001.tga", "");
    root.Write("shots/notes.txt", "");
    root.Write("shots/.hidden.tga", "");
    fs::create_directory(root.path() / "shots/sub.tga");
    const std::string shots = WithTrailingSeparator(Utf8(root.path() / "shots"));
    const WorkingFolder inRoot(root.path());

    const struct
    {
        std::string argument;
        std::string folder; // "" when refused
        std::string file;
        std::string error;
    } cases[] = { { Utf8(root.path() / "shots/Shot001.tga"), shots, "Shot001.tga", "" },
        { "shots/Shot001.tga", shots, "Shot001.tga", "" },
        { "./shots/../shots/Shot001.tga", shots, "Shot001.tga", "" },
        { Utf8(root.path() / "shots"), shots, "", "" }, { "shots", shots, "", "" },
        { "shots/", shots, "", "" }, { "shots/sub.tga", shots + "sub.tga" + kSeparator, "", "" },
        { "shots/Shot002.tga", "", "", "shots/Shot002.tga: no such file or folder" },
        { "missing", "", "", "missing: no such file or folder" },
        { "shots/notes.txt", "", "", "shots/notes.txt: not a TGA screenshot" },
        { "shots/.hidden.tga", "", "", "shots/.hidden.tga: not a TGA screenshot" },
        { "", "", "", ": no such file or folder" } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argument);
        const StartArguments start = ReadStartArguments({ c.argument });
        EXPECT_EQ(start.error, c.error);
        ASSERT_EQ(start.target.has_value(), !c.folder.empty());
        if (start.target) {
            EXPECT_EQ(start.target->folder, c.folder);
            EXPECT_EQ(start.target->file, c.file);
        }
    }
    EXPECT_FALSE(ReadStartArguments({}).target);
    EXPECT_EQ(ReadStartArguments({}).error, "");
    EXPECT_FALSE(ReadStartArguments({ "shots", "shots" }).target);
}

} // namespace
} // namespace snapvale
