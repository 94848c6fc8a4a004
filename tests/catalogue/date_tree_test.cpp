#include <filesystem>

#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "catalogue/date_tree.h"
#include "qt/qt_tree_grid.h"
#include "support/temp_folder.h"

namespace {

using namespace snapvale;

using test::SetLocalModificationTime;
using test::TempFolder;
using Log = std::vector<std::string>;

// The names in the rows below `row` up to the next date or empty row, as the tray collects
// them.
std::string FilesBelow(const TreeGrid& grid, int row)
{
    std::string names;
    for (int r = row + 1; r < grid.RowCount(); ++r) {
        const std::string data = grid.RowData(r);
        if (data.empty() || data.find('/') != std::string::npos)
            break;
        names += (names.empty() ? "" : ",") + data;
    }
    return names;
}

// Stands in for the window and sits between the grid and the tree, writing down what happens
// and what the grid looks like at each moment.
class Recorder : public DateTreeHost, public TreeGridListener
{
public:
    explicit Recorder(const TreeGrid& grid)
        : grid_(grid)
    {
    }
    void Attach(DateTree* tree) { tree_ = tree; }

    void SetCaption(const std::string& caption) override
    {
        this->caption = caption;
        log.push_back("caption " + caption);
    }
    void ShowThumbnails() override
    {
        const int row = grid_.CurrentRow();
        log.push_back("thumbnails " + std::to_string(row) + " state "
            + std::to_string(grid_.NodeState(row)) + " [" + FilesBelow(grid_, row) + "]");
    }
    void ShowImage() override
    {
        log.push_back("image '" + grid_.RowData(grid_.CurrentRow()) + "'");
    }

    void vfgTree_BeforeExpandCollapse(int row, int state, bool& cancel) override
    {
        log.push_back("before " + std::to_string(row) + " " + std::to_string(state) + " next '"
            + grid_.CellText(row + 1, 0) + "'");
        if (cancelNext) {
            cancel = true;
            cancelNext = false;
            return;
        }
        tree_->vfgTree_BeforeExpandCollapse(row, state, cancel);
        log.push_back("before done [" + FilesBelow(grid_, row) + "]");
    }
    void vfgTree_CurrentRowChange() override
    {
        log.push_back("row " + std::to_string(grid_.CurrentRow()));
        tree_->vfgTree_CurrentRowChange();
    }

    Log log;
    std::string caption = "Snapvale";
    bool cancelNext = false;

private:
    const TreeGrid& grid_;
    DateTree* tree_ = nullptr;
};

class DateTreeTest : public ::testing::Test
{
protected:
    DateTreeTest()
    {
        tree.setObjectName("vfgTree");
        tree.resize(240, 600);
        tree.show();
        recorder.Attach(&dateTree);
        grid.SetListener(&recorder);
    }

    void Write(const std::string& name, int year, int month, int day)
    {
        SetLocalModificationTime(folder.Write(name, ""), year, month, day);
    }

    // 2004/05/18 with b1 and b2 in row 1, 2004/05/17 with a1 in row 3, each over its placeholder.
    void StartWithTwoDates()
    {
        Write("b2.tga", 2004, 5, 18);
        Write("a1.tga", 2004, 5, 17);
        Write("b1.tga", 2004, 5, 18);
        Rebuild();
    }

    void Rebuild()
    {
        dateTree.SetupTree();
        dateTree.ShowDates();
        recorder.log.clear();
    }

    QRect RowRect(int row)
    {
        QTreeWidgetItem* item = grid.ItemAt(row);
        EXPECT_NE(item, nullptr) << "row " << row;
        return tree.visualItemRect(item);
    }
    void ClickRow(int row)
    {
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, RowRect(row).center());
    }
    // The open/close button sits in the indentation left of the row's own rectangle.
    void ClickButton(int row)
    {
        const QRect rect = RowRect(row);
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
            QPoint(rect.left() - tree.indentation() / 2, rect.center().y()));
    }

    std::vector<std::string> Texts()
    {
        std::vector<std::string> texts;
        for (int row = 0; row < grid.RowCount(); ++row)
            texts.push_back(grid.CellText(row, 0));
        return texts;
    }

    TempFolder folder;
    std::string imageFolder = folder.folder();
    QTreeWidget tree;
    QtTreeGrid grid{ &tree, {} };
    Recorder recorder{ grid };
    DateTree dateTree{ grid, recorder, imageFolder };
};

TEST_F(DateTreeTest, StartUpShowsTheRootAndClosedDatesNewestFirst)
{
    Write("b.tga", 2004, 5, 18);
    Write("a.tga", 2004, 5, 17);
    dateTree.SetupTree();
    dateTree.ShowDates();
    // Making the root current hands over to the image view, which shows nothing for it.
    EXPECT_EQ(recorder.log, (Log{ "row 0", "image ''" }));
    EXPECT_EQ(Texts(), (Log{ kTreeRootText, "2004/05/18", "", "2004/05/17", "" }));
    EXPECT_EQ(grid.CurrentRow(), 0);
    EXPECT_EQ(recorder.caption, "Snapvale");
    EXPECT_EQ(grid.CellPicture(0), RowPicture::Drive);
    EXPECT_EQ(grid.CellPicture(1), RowPicture::Date);
    // The widget shows the root open with its dates, each closed over its placeholder.
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree.topLevelItem(0);
    EXPECT_EQ(root->text(0), QString::fromUtf8(kTreeRootText));
    EXPECT_TRUE(root->isExpanded());
    ASSERT_EQ(root->childCount(), 2);
    for (QTreeWidgetItem* date : { root->child(0), root->child(1) }) {
        EXPECT_FALSE(date->isExpanded());
        EXPECT_EQ(date->childCount(), 1);
    }
    EXPECT_EQ(tree.currentItem(), root);
}

TEST_F(DateTreeTest, FirstClickOnADateFillsItInsideTheOpeningThenFillsTheTray)
{
    StartWithTwoDates();
    ClickRow(1);
    EXPECT_EQ(recorder.log,
        (Log{ "row 1", "caption Snapvale - 2004/05/18", "before 1 0 next ''",
            "before done [b1.tga,b2.tga]", "thumbnails 1 state 0 [b1.tga,b2.tga]" }));
    EXPECT_EQ(Texts(), (Log{ kTreeRootText, "2004/05/18", "b1.tga", "b2.tga", "2004/05/17", "" }));
    EXPECT_EQ(grid.RowData(2), "b1.tga");
    EXPECT_EQ(grid.CellPicture(2), RowPicture::File);
    EXPECT_EQ(grid.OutlineLevel(3), 2);
    QTreeWidgetItem* date = grid.ItemAt(1);
    EXPECT_TRUE(date->isExpanded());
    ASSERT_EQ(date->childCount(), 2);
    EXPECT_EQ(date->child(1)->text(0), "b2.tga");

    // Selecting a file and then the date again shows it without a second set of rows.
    recorder.log.clear();
    ClickRow(3);
    ClickRow(1);
    EXPECT_EQ(recorder.log,
        (Log{ "row 3", "image 'b2.tga'", "row 1", "caption Snapvale - 2004/05/18",
            "thumbnails 1 state 0 [b1.tga,b2.tga]" }));
    EXPECT_EQ(grid.RowCount(), 6);
}

TEST_F(DateTreeTest, ButtonOpensANewDateWhileAFileOfAnotherIsCurrent)
{
    StartWithTwoDates();
    ClickRow(3); // 2004/05/17
    ClickRow(4); // a1.tga
    recorder.log.clear();
    ClickButton(1);
    EXPECT_EQ(recorder.log,
        (Log{ "before 1 0 next ''", "row 1", "caption Snapvale - 2004/05/18",
            "thumbnails 1 state 2 [b1.tga,b2.tga]", "before done [b1.tga,b2.tga]" }));
    EXPECT_EQ(grid.CurrentRow(), 1);
    EXPECT_EQ(grid.NodeState(1), kNodeOpen);
    EXPECT_TRUE(grid.ItemAt(1)->isExpanded());
    EXPECT_EQ(tree.currentItem(), grid.ItemAt(1));
}

TEST_F(DateTreeTest, ClosingAndReopeningAFilledDateOnlyHidesAndShows)
{
    StartWithTwoDates();
    ClickRow(1);
    ClickRow(2); // b1.tga
    ClickRow(4); // 2004/05/17
    ClickRow(5); // a1.tga stays current throughout
    recorder.log.clear();
    const Log texts = Texts();
    ClickButton(1);
    EXPECT_FALSE(grid.ItemAt(1)->isExpanded());
    ClickButton(1);
    ClickButton(4);
    EXPECT_EQ(recorder.log,
        (Log{ "before 1 2 next 'b1.tga'", "before done [b1.tga,b2.tga]", "before 1 0 next 'b1.tga'",
            "before done [b1.tga,b2.tga]", "before 4 2 next 'a1.tga'", "before done [a1.tga]" }));
    EXPECT_EQ(grid.CurrentRow(), 5);
    EXPECT_EQ(tree.currentItem(), grid.ItemAt(5));
    EXPECT_EQ(recorder.caption, "Snapvale - 2004/05/17");
    EXPECT_EQ(Texts(), texts);
    EXPECT_TRUE(grid.ItemAt(1)->isExpanded());
    EXPECT_FALSE(grid.ItemAt(4)->isExpanded());
}

TEST_F(DateTreeTest, CancelledOpeningLeavesTheDateClosedAndUnfilled)
{
    StartWithTwoDates();
    recorder.cancelNext = true;
    ClickButton(1);
    EXPECT_EQ(recorder.log, Log{ "before 1 0 next ''" });
    EXPECT_FALSE(grid.ItemAt(1)->isExpanded());
    EXPECT_EQ(grid.NodeState(1), kNodeClosed);
    EXPECT_EQ(grid.CellText(2, 0), "");
}

TEST_F(DateTreeTest, RebuildShowsEveryDateClosedAndUnfilled)
{
    StartWithTwoDates();
    ClickRow(1);
    ClickRow(4);
    ClickRow(5);
    TempFolder other;
    SetLocalModificationTime(other.Write("c.tga", ""), 2005, 1, 2);
    imageFolder = other.folder();
    Rebuild();
    EXPECT_EQ(Texts(), (Log{ kTreeRootText, "2005/01/02", "" }));
    EXPECT_EQ(grid.CurrentRow(), 0);
    EXPECT_EQ(grid.NodeState(1), kNodeClosed);
    EXPECT_FALSE(grid.ItemAt(1)->isExpanded());
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(recorder.caption, "Snapvale - 2004/05/17");

    // A folder that holds nothing leaves the root alone, which has nothing to open.
    imageFolder = other.folder() + "missing/";
    Rebuild();
    EXPECT_EQ(Texts(), Log{ kTreeRootText });
    bool cancel = false;
    dateTree.vfgTree_BeforeExpandCollapse(0, kNodeOpen, cancel);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(grid.RowCount(), 1);
    dateTree.vfgTree_BeforeExpandCollapse(-1, kNodeOpen, cancel);
    EXPECT_TRUE(cancel);
}

TEST_F(DateTreeTest, JapaneseNamesInAJapaneseFolder)
{
    imageFolder = folder.folder() + "スクリーンショット/";
    Write("スクリーンショット/戦闘.tga", 2004, 5, 6);
    Rebuild();
    ClickRow(1);
    EXPECT_EQ(grid.CellText(2, 0), "戦闘.tga");
    EXPECT_EQ(grid.ItemAt(2)->text(0), QString::fromUtf8("戦闘.tga"));
    EXPECT_EQ(recorder.log.back(), "thumbnails 1 state 0 [戦闘.tga]");
}

TEST_F(DateTreeTest, FortyThousandFilesOverThreeHundredDates)
{
#ifdef _WIN32
    // The Windows build is tested under Wine, where making and listing 40,000 files takes longer
    // than any test may run.
    GTEST_SKIP() << "40,000 files take minutes under Wine";
#endif
    constexpr int kFiles = 40000;
    constexpr int kDates = 300;
    // One file per date with its time, and the listed files as hard links to it: a link shares
    // the time and costs a fraction of a new file on a slow disk.
    for (int day = 0; day < kDates; ++day)
        SetLocalModificationTime(folder.Write("day" + std::to_string(day) + ".bin", ""),
            2003 + day / 200, day / 20 % 10 + 1, day % 20 + 1);
    for (int i = 0; i < kFiles; ++i) {
        std::error_code error;
        std::filesystem::create_hard_link(
            folder.path() / ("day" + std::to_string(i % kDates) + ".bin"),
            folder.path() / ("shot" + std::to_string(100000 + i) + ".tga"), error);
        ASSERT_FALSE(error) << error.message();
    }
    Rebuild();
    ASSERT_EQ(dateTree.catalogue().FileNames.size(), std::size_t{ kFiles });
    EXPECT_EQ(grid.RowCount(), 1 + 2 * kDates);
    EXPECT_EQ(grid.RowData(1), "2004/05/20");
    EXPECT_EQ(grid.RowData(2 * kDates - 1), "2003/01/01");
    grid.SetCurrentRow(2 * kDates - 1);
    EXPECT_EQ(grid.RowCount(), 2 * kDates + (kFiles + kDates - 1) / kDates);
    EXPECT_EQ(grid.RowData(2 * kDates), "shot100000.tga");
    EXPECT_EQ(grid.RowData(grid.RowCount() - 1), "shot139900.tga");
}

// The grid on its own: the widget's hierarchy follows the outline levels through removals.
TEST(QtTreeGrid, RemovedParentHandsItsRowsToTheRowAbove)
{
    QTreeWidget tree;
    QtTreeGrid grid(&tree, {});
    const int levels[] = { 0, 1, 2, 1, 2, 2 };
    for (int row = 0; row < 6; ++row) {
        grid.AddRow("r" + std::to_string(row));
        grid.SetOutlineLevel(row, levels[row]);
    }
    grid.SetCurrentRow(3);
    grid.RemoveRow(3);
    EXPECT_EQ(grid.CurrentRow(), 3);
    EXPECT_EQ(grid.CellText(3, 0), "r4");
    EXPECT_EQ(grid.ItemAt(1)->childCount(), 3);
    EXPECT_EQ(grid.ItemAt(4)->parent(), grid.ItemAt(1));
    EXPECT_EQ(tree.currentItem(), grid.ItemAt(3));
    grid.AddRow("first", 0);
    EXPECT_EQ(grid.CurrentRow(), 4);
    EXPECT_EQ(tree.topLevelItemCount(), 2);
    grid.SetRowCount(2);
    EXPECT_EQ(grid.CurrentRow(), 1);
    EXPECT_EQ(grid.CellText(5, 0), "");
    EXPECT_EQ(grid.ItemAt(1)->childCount(), 0);
}

} // namespace
