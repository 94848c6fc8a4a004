#include <filesystem>

#include <QByteArray>
#include <gtest/gtest.h>

#include "qt/trash.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempFolder;
using Status = Trash::Status;

// A real freedesktop trash in a temporary home. Qt uses the home trash ($XDG_DATA_HOME/Trash) for
// files on the same file system as $HOME, and a trash at the top of any other file system, so
// the screenshots lie under the temporary home as well.
class TrashFolder : public ::testing::Test
{
protected:
    TrashFolder()
        : savedHome_(qgetenv("HOME"))
        , savedData_(qgetenv("XDG_DATA_HOME"))
    {
        qputenv("HOME", home.path().string().c_str());
        UseDataFolder(home.path() / "data");
        fs::create_directories(home.path() / "data");
        shots = home.path() / "shots";
        fs::create_directories(shots);
    }
    void SetUp() override
    {
#ifdef _WIN32
        GTEST_SKIP() << "the freedesktop trash of a temporary home; Wine has no Recycle Bin to "
                        "check the Windows one against";
#endif
    }
    ~TrashFolder() override
    {
        qputenv("HOME", savedHome_);
        qputenv("XDG_DATA_HOME", savedData_);
    }
    void UseDataFolder(const fs::path& folder)
    {
        qputenv("XDG_DATA_HOME", folder.string().c_str());
    }
    std::string Shot(const std::string& name, const std::string& contents)
    {
        home.Write("shots/" + name, contents);
        return (shots / name).string();
    }
    std::size_t InTrash(const char* part)
    {
        const fs::path folder = home.path() / "data/Trash" / part;
        return fs::exists(folder)
            ? static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}))
            : 0;
    }

    TempFolder home;
    fs::path shots;

private:
    QByteArray savedHome_;
    QByteArray savedData_;
};

// Files come back last first, each to its name and without the trash's record of it; a file that
// took the name meanwhile is kept, and the one in the trash stays there.
TEST_F(TrashFolder, BringsBackTheLastDeletionsInOrderNeverOverANewFile)
{
    Trash trash;
    const std::string first = Shot("Shot001.tga", "first");
    const std::string second = Shot("Shot002.tga", "second");
    EXPECT_EQ(trash.MoveToTrash(first).status, Status::Done);
    EXPECT_EQ(trash.MoveToTrash(second).status, Status::Done);
    EXPECT_FALSE(fs::exists(first));
    EXPECT_FALSE(fs::exists(second));
    EXPECT_EQ(InTrash("files"), 2u);
    EXPECT_EQ(InTrash("info"), 2u);

    Trash::Outcome outcome = trash.UndoLast();
    EXPECT_EQ(outcome.status, Status::Done);
    EXPECT_EQ(outcome.path, second);
    EXPECT_EQ(ReadFileBytes(second), "second");
    EXPECT_EQ(InTrash("info"), 1u);

    Shot("Shot001.tga", "taken since");
    outcome = trash.UndoLast();
    EXPECT_EQ(outcome.status, Status::NameTaken);
    EXPECT_EQ(ReadFileBytes(first), "taken since");
    EXPECT_EQ(InTrash("files"), 1u);
    EXPECT_EQ(TrashMessage(outcome),
        "同じ名前のファイルがあるため、「Shot001.tga」を元に戻せませんでした。"
        "ファイルはごみ箱に残っています。");
    EXPECT_FALSE(trash.CanUndo());
    EXPECT_EQ(trash.UndoLast().status, Status::NothingToUndo);
}

// Nothing is ever deleted for good: a file that cannot go to a trash stays, and says why.
TEST_F(TrashFolder, FileThatCannotBeTrashedStaysWhereItIs)
{
    Trash trash;
    const std::string kept = Shot("Shot001.tga", "kept");
    fs::permissions(shots,
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
        fs::perm_options::remove);
    Trash::Outcome outcome = trash.MoveToTrash(kept);
    EXPECT_EQ(outcome.status, Status::ReadOnly);
    fs::permissions(shots, fs::perms::owner_write, fs::perm_options::add);

    // A data folder that cannot be made (a file holds its place): no trash at all, and Qt moves
    // the file into the working folder.
    home.Write("not a folder", "");
    UseDataFolder(home.path() / "not a folder/data");
    TempFolder working;
    const fs::path savedWorking = fs::current_path();
    fs::current_path(working.path());
    outcome = trash.MoveToTrash(kept);
    fs::current_path(savedWorking);
    EXPECT_EQ(outcome.status, Status::NotTrashed);
    EXPECT_FALSE(TrashMessage(outcome).isEmpty());
    EXPECT_EQ(ReadFileBytes(kept), "kept");
    EXPECT_TRUE(fs::is_empty(working.path()));
    EXPECT_EQ(trash.MoveToTrash((shots / "gone.tga").string()).status, Status::Missing);
    EXPECT_FALSE(trash.CanUndo());

    // Emptied from the trash before the undo.
    UseDataFolder(home.path() / "data");
    ASSERT_EQ(trash.MoveToTrash(kept).status, Status::Done);
    fs::remove_all(home.path() / "data/Trash/files");
    EXPECT_EQ(trash.UndoLast().status, Status::GoneFromTrash);
    EXPECT_FALSE(fs::exists(kept));
}

} // namespace
} // namespace snapvale
