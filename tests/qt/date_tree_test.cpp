// The date tree as a user meets it, on a real tree view over its model, and the model's rows
// checked by Qt's own model tester while the folder changes under them.

#include <QAbstractItemModelTester>
#include <QTest>
#include <gtest/gtest.h>

#include "qt/date_tree_view.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

using test::SetLocalModificationTime;
using test::TempFolder;
using Texts = std::vector<std::string>;

std::string Describe(const TreeChoice& row)
{
    switch (row.kind) {
    case TreeChoice::Kind::Root:
        return "root";
    case TreeChoice::Kind::Date:
        return "date " + row.date;
    case TreeChoice::Kind::File:
        return "file " + row.file + " of " + row.date;
    case TreeChoice::Kind::None:
        break;
    }
    return "none";
}

class DateTree : public ::testing::Test
{
protected:
    DateTree()
    {
        view.resize(240, 600);
        view.show();
        QObject::connect(&view, &DateTreeView::CurrentRowChanged,
            [this](const TreeChoice& row) { told.push_back(Describe(row)); });
    }

    void Write(const std::string& name, int day)
    {
        SetLocalModificationTime(folder.Write(name, ""), 2004, 5, day);
    }
    void Show(const std::string& imageFolder)
    {
        auto catalogue = std::make_shared<Catalogue>();
        ScanFolder(imageFolder, *catalogue);
        view.ShowCatalogue(std::move(catalogue));
    }
    DateTreeModel& model() { return *view.dateModel(); }
    QModelIndex Date(const std::string& date) { return model().DateIndex(date); }

    // Every row, the files of closed dates included; a date ends in "+" when open, "-" when
    // closed.
    Texts Rows()
    {
        const QModelIndex root = model().RootIndex();
        Texts rows{ root.data().toString().toStdString() };
        for (int row = 0; row < model().rowCount(root); ++row) {
            const QModelIndex date = model().index(row, 0, root);
            rows.push_back(
                date.data().toString().toStdString() + (view.isExpanded(date) ? " +" : " -"));
            for (int file = 0; file < model().rowCount(date); ++file)
                rows.push_back(model().index(file, 0, date).data().toString().toStdString());
        }
        return rows;
    }

    void Click(const QModelIndex& row)
    {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(row).center());
    }
    // The open/close button sits in the indentation left of the row's own rectangle.
    void ClickButton(const QModelIndex& row)
    {
        const QRect rect = view.visualRect(row);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
            QPoint(rect.left() - view.indentation() / 2, rect.center().y()));
    }

    TempFolder folder;
    DateTreeView view{ { QIcon(":/drive"), QIcon(":/date"), QIcon(":/file") } };
    Texts told;
};

TEST_F(DateTree, StartShowsTheRootOpenOverItsDatesNewestFirstEachClosed)
{
    Write("b.tga", 18);
    Write("a.tga", 17);
    Show(folder.folder());
    EXPECT_EQ(Rows(), (Texts{ kTreeRootText, "2004/05/18 -", "2004/05/17 -" }));
    EXPECT_EQ(told, Texts{ "root" });
    EXPECT_EQ(view.Current().kind, TreeChoice::Kind::Root);
    // Closed dates offer their button, yet none of their files is a row until one is opened.
    EXPECT_TRUE(model().hasChildren(Date("2004/05/18")));
    EXPECT_TRUE(model().canFetchMore(Date("2004/05/18")));
}

TEST_F(DateTree, ChoosingADateOpensItWithItsFilesInFolderOrder)
{
    Write("b2.tga", 18);
    Write("a1.tga", 17);
    Write("b1.tga", 18);
    Write("戦闘.tga", 18);
    Show(folder.folder());
    told.clear();
    Click(Date("2004/05/18"));
    EXPECT_EQ(told, Texts{ "date 2004/05/18" });
    EXPECT_EQ(Rows(),
        (Texts{ kTreeRootText, "2004/05/18 +", "b1.tga", "b2.tga", "戦闘.tga", "2004/05/17 -" }));

    // A file, then the date again: the date keeps its one set of files.
    Click(model().index(1, 0, Date("2004/05/18")));
    Click(Date("2004/05/18"));
    EXPECT_EQ(told, (Texts{ "date 2004/05/18", "file b2.tga of 2004/05/18", "date 2004/05/18" }));
    EXPECT_EQ(model().rowCount(Date("2004/05/18")), 3);
}

// Opening a date with its button for the first time chooses it, as a click on it would; opening
// or closing a date opened before only shows or hides its files.
TEST_F(DateTree, ButtonOpensADateNeverOpenedAsIfChosen)
{
    Write("b1.tga", 18);
    Write("a1.tga", 17);
    Show(folder.folder());
    Click(Date("2004/05/17"));
    Click(model().index(0, 0, Date("2004/05/17")));
    told.clear();
    ClickButton(Date("2004/05/18"));
    EXPECT_EQ(told, Texts{ "date 2004/05/18" });
    EXPECT_EQ(view.currentIndex(), Date("2004/05/18"));
    EXPECT_EQ(Rows(), (Texts{ kTreeRootText, "2004/05/18 +", "b1.tga", "2004/05/17 +", "a1.tga" }));

    Click(model().index(0, 0, Date("2004/05/17")));
    told.clear();
    for (const char* date : { "2004/05/18", "2004/05/18", "2004/05/17" })
        ClickButton(Date(date));
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(Describe(view.Current()), "file a1.tga of 2004/05/17");
    EXPECT_EQ(Rows(), (Texts{ kTreeRootText, "2004/05/18 +", "b1.tga", "2004/05/17 -", "a1.tga" }));
}

TEST_F(DateTree, ShowingAnotherFolderStartsOverWithEveryDateClosed)
{
    Write("a1.tga", 17);
    Show(folder.folder());
    Click(Date("2004/05/17"));
    Click(model().index(0, 0, Date("2004/05/17")));
    TempFolder other;
    SetLocalModificationTime(other.Write("c.tga", ""), 2005, 1, 2);
    told.clear();
    Show(other.folder());
    EXPECT_EQ(Rows(), (Texts{ kTreeRootText, "2005/01/02 -" }));
    EXPECT_EQ(told, Texts{ "root" });

    // A folder that holds nothing leaves the root alone, with nothing to open.
    Show(other.folder() + "missing/");
    EXPECT_EQ(Rows(), Texts{ kTreeRootText });
    EXPECT_FALSE(model().hasChildren(model().RootIndex()));
}

// The folder's changes reach the rows in place, checked step by step by Qt's model tester. The
// user's row follows its file, and nothing of it is told: what the window shows is the window's
// to bring up to date.
TEST_F(DateTree, FolderChangesEditTheRowsInPlaceAndTheCurrentRowFollowsItsFile)
{
    QAbstractItemModelTester tester(
        &model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    QStringList complaints;
    static QStringList* sink = nullptr;
    sink = &complaints;
    const QtMessageHandler earlier = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext& context, const QString& text) {
            if (QByteArrayView(context.category) == "qt.modeltest")
                sink->push_back(text);
        });

    const std::int64_t day = 86400;
    const std::int64_t the17th = 1084762800; // noon in Tokyo
    const auto catalogueOf = [](std::vector<FolderFile> files) {
        auto catalogue = std::make_shared<Catalogue>();
        BuildCatalogue(std::move(files), *catalogue);
        return std::shared_ptr<const Catalogue>(catalogue);
    };
    std::shared_ptr<const Catalogue> shown = catalogueOf({ { "a0.tga", the17th },
        { "a2.tga", the17th }, { "a4.tga", the17th }, { "c0.tga", the17th - 2 * day } });
    view.ShowCatalogue(shown);
    // The 17th open on a2.tga, the 15th opened once and closed again.
    model().fetchMore(Date("2004/05/15"));
    view.setCurrentIndex(model().FileIndex("a2.tga"));
    view.expand(Date("2004/05/17"));
    told.clear();

    const struct
    {
        const char* what;
        std::vector<FolderFile> files;
        Texts rows;
        std::string current;
    } steps[] = {
        { "files come around the current one",
            { { "a0.tga", the17th }, { "a1.tga", the17th }, { "a2.tga", the17th },
                { "a3.tga", the17th }, { "a4.tga", the17th }, { "c0.tga", the17th - 2 * day } },
            { kTreeRootText, "2004/05/17 +", "a0.tga", "a1.tga", "a2.tga", "a3.tga", "a4.tga",
                "2004/05/15 -", "c0.tga" },
            "file a2.tga of 2004/05/17" },
        { "dates come at the top and in the middle, and files go in runs",
            { { "a2.tga", the17th }, { "b0.tga", the17th - day }, { "c0.tga", the17th - 2 * day },
                { "d0.tga", the17th + day } },
            { kTreeRootText, "2004/05/18 -", "2004/05/17 +", "a2.tga", "2004/05/16 -",
                "2004/05/15 -", "c0.tga" },
            "file a2.tga of 2004/05/17" },
        { "the current file moves to a date never opened, which opens",
            { { "a2.tga", the17th - day }, { "b0.tga", the17th - day },
                { "c0.tga", the17th - 2 * day }, { "d0.tga", the17th + day } },
            { kTreeRootText, "2004/05/18 -", "2004/05/16 +", "a2.tga", "b0.tga", "2004/05/15 -",
                "c0.tga" },
            "file a2.tga of 2004/05/16" },
        { "the current file goes, and the root takes its place",
            { { "b0.tga", the17th - day }, { "c0.tga", the17th - 2 * day },
                { "d0.tga", the17th + day } },
            { kTreeRootText, "2004/05/18 -", "2004/05/16 +", "b0.tga", "2004/05/15 -", "c0.tga" },
            "root" },
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        std::shared_ptr<const Catalogue> after = catalogueOf(step.files);
        view.ApplyChanges(after, DiffCatalogues(*shown, *after));
        shown = after;
        EXPECT_EQ(Rows(), step.rows);
        EXPECT_EQ(Describe(view.Current()), step.current);
        EXPECT_EQ(view.currentIndex(), view.selectionModel()->selectedIndexes().value(0));
    }
    EXPECT_TRUE(told.empty());
    qInstallMessageHandler(earlier);
    EXPECT_TRUE(complaints.isEmpty()) << complaints.join('\n').toStdString();
}

} // namespace
} // namespace snapvale
