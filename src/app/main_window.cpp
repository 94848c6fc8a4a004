#include "app/main_window.h"

#include <optional>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include "app/settings_writes.h"
#include "base/twips.h"
#include "catalogue/folder_history.h"
#include "catalogue/folder_scan.h"
#include "dialogs/option_dialog.h"
#include "dialogs/version_dialog.h"
#include "export/save_format.h"
#include "qt/clipboard.h"
#include "qt/date_tree_view.h"
#include "qt/folder_browser.h"
#include "qt/folder_history_menu.h"
#include "qt/folder_watcher.h"
#include "qt/icons.h"
#include "qt/picture_image.h"
#include "qt/qt_text.h"
#include "qt/save_dialog.h"
#include "qt/ui_font.h"
#include "viewer/image_view.h"
#include "viewer/main_area.h"
#include "viewer/thumbnail_tray.h"
#include "viewer/tray_pane.h"

// The program's own pictures live in a static library, which must register them itself; the
// macro has to stand outside any namespace.
static void InitResources() { Q_INIT_RESOURCE(snapvale2); }

namespace snapvale {

namespace {

struct Rect
{
    int left, top, width, height; // twips
    QRect pixels() const
    {
        return { TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
            TwipsToPixels(height) };
    }
};

constexpr int kClientWidth = 12375;
constexpr int kClientHeight = 7305;
constexpr Rect kTreeRect{ 0, 0, 2655, 6615 };
constexpr Rect kFileInfoRect{ 0, 6640, 2620, 615 };
constexpr Rect kFileDateRect{ 120, 240, 2295, 255 };
constexpr Rect kViewRect{ 2640, 0, 9660, 7260 };
constexpr Rect kPreviewRect{ 3600, 2400, 9660, 7260 };
// How far below the view pane's bottom edge the hidden pane waits, out of sight.
constexpr int kPaneGap = 100;

const char* const kDesignCaption = "Snapvale";
constexpr char kCaptionPrefix[] = "Snapvale - ";

} // namespace

frmMain::frmMain(AppState& state, MainWindowDialogs dialogs, QWidget* parent)
    : QMainWindow(parent)
    , state_(state)
    , dialogs_(dialogs)
{
    InitResources();
    if (!dialogs_.saveDialog) {
        ownSaveDialog_ = std::make_unique<QtSaveDialog>();
        dialogs_.saveDialog = ownSaveDialog_.get();
    }
    if (!dialogs_.folderBrowser) {
        ownFolderBrowser_ = std::make_unique<QtFolderBrowser>();
        dialogs_.folderBrowser = ownFolderBrowser_.get();
    }
    CreateControls();
    CreateMenus();
    LayOut();
    ConnectSignals();
    Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::CreateControls()
{
    setObjectName("frmMain");
    setFont(JapaneseUiFont());
    setWindowTitle(kDesignCaption);
    setWindowIcon(ProgramIcon());
    client_ = new QWidget(this);
    client_->setObjectName("client");
    setCentralWidget(client_);

    // The desktop theme's icons where it has them, else our own.
    const DateTreeModel::Icons rowIcons{ RowIcon("drive-harddisk", "drive"),
        RowIcon("folder-pictures", "date"), RowIcon("camera-photo", "file") };
    vfgTree = new DateTreeView(rowIcons, client_);
    fraFileInfo = new QGroupBox(QStringLiteral("作成日付"), client_);
    fraFileInfo->setObjectName("fraFileInfo");
    lblFileDate = new QLabel(QStringLiteral("9999/99/99 99:99:99"), fraFileInfo);
    lblFileDate->setObjectName("lblFileDate");

    // The panes sit on the main area's stage, which has the client's coordinates, so that they
    // keep their window places; the view pane is made first and lies below the preview pane.
    mainArea_ = new MainArea(client_);
    pctView = new ImageView(kViewRect.pixels().size(), mainArea_->stage());
    pctPreview = new TrayPane(kPreviewRect.pixels(), state_.ImageFolder, mainArea_->stage());

    watcher_ = new FolderWatcher(FileSystem::Default(), this);
    watcher_->setObjectName("folderWatcher");
}

void frmMain::CreateMenus()
{
    const auto addMenu = [this](const char* name, const QString& caption) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(name);
        return menu;
    };
    // An item of a menu array, named by the array and its index, doing the work of `slot`.
    const auto addItem = [this](QMenu* menu, const QString& name, const QString& caption,
                             void (frmMain::*slot)(), const QKeySequence& shortcut = {}) {
        QAction* item = menu->addAction(caption);
        item->setObjectName(name);
        item->setShortcut(shortcut);
        connect(item, &QAction::triggered, this, slot);
        return item;
    };

    QMenu* files = addMenu("mnuFiles", QStringLiteral("ファイル(&F)"));
    addItem(
        files, "mnuFile(0)", QStringLiteral("保存(&S)"), &frmMain::saveView, Qt::CTRL | Qt::Key_S);
    // Saving to a chosen place does nothing yet; shown disabled so a click does not look broken.
    QAction* saveElsewhere = files->addAction(QStringLiteral("場所を指定して保存(&P)"));
    saveElsewhere->setObjectName("mnuFile(1)");
    saveElsewhere->setShortcut(Qt::CTRL | Qt::Key_P);
    saveElsewhere->setEnabled(false);
    files->addSeparator()->setObjectName("mnuFile(2)");
    addItem(files, "mnuFile(3)", QStringLiteral("終了(&Q)"), &frmMain::quit, Qt::CTRL | Qt::Key_Q);

    QMenu* edits = addMenu("mnuEdits", QStringLiteral("編集(&E)"));
    addItem(edits, "mnuEdit(0)", QStringLiteral("コピー(&C)"), &frmMain::copyView,
        Qt::CTRL | Qt::Key_C);

    QMenu* views = addMenu("mnuViews", QStringLiteral("表示(&V)"));
    fitAction_ = views->addAction(QStringLiteral("ウィンドウに合わせる(&F)"));
    fitAction_->setObjectName("mnuView(0)");
    fitAction_->setShortcut(Qt::CTRL | Qt::Key_F);
    fitAction_->setCheckable(true);
    connect(fitAction_, &QAction::triggered, this, &frmMain::setFitToWindow);

    // Listing the folder again by hand heads the menu, set apart; the items keep their numbers.
    QMenu* tools = addMenu("mnuTools", QStringLiteral("ツール(&T)"));
    addItem(tools, "mnuTool(2)", QStringLiteral("最新の情報に更新(&R)"), &frmMain::refreshFolder,
        Qt::Key_F5);
    tools->addSeparator();
    addItem(tools, "mnuTool(0)", QStringLiteral("オプション(&O)"), &frmMain::showOptions,
        Qt::CTRL | Qt::Key_O);
    addItem(tools, "mnuTool(1)", QStringLiteral("バージョン情報(&V)"), &frmMain::showVersion);

    mnuFavorates = new FolderHistoryMenu(state_.FolderHistory, this);
    menuBar()->addMenu(mnuFavorates);

    // The region menu never shows on the menu bar; it pops up over the view after a drag.
    mnuPopup = new QMenu(QStringLiteral("右クリック(non visible)"), this);
    mnuPopup->setObjectName("mnuPopup");
    addItem(mnuPopup, "mnuRight(0)", QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞｺﾋﾟｰ"), &frmMain::copyRegion);
    addItem(mnuPopup, "mnuRight(1)", QStringLiteral("ﾌｧｲﾙ保存"), &frmMain::saveRegion);
    addItem(mnuPopup, "mnuRight(2)", QStringLiteral("ｷｬﾝｾﾙ"), &frmMain::cancelRegion);
}

void frmMain::LayOut()
{
    // A fixed single border: no maximise button, no resizing.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    client_->setFixedSize(TwipsToPixels(kClientWidth), TwipsToPixels(kClientHeight));
    vfgTree->setGeometry(kTreeRect.pixels());
    fraFileInfo->setGeometry(kFileInfoRect.pixels());
    lblFileDate->setGeometry(kFileDateRect.pixels());
    // The main area runs from the view pane's design place to the client's right and bottom edges.
    const QRect viewRect = kViewRect.pixels();
    mainArea_->setGeometry(viewRect.left(), viewRect.top(), client_->width() - viewRect.left(),
        client_->height() - viewRect.top());
    pctView->move(viewRect.topLeft());

    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmMain::ConnectSignals()
{
    connect(vfgTree, &DateTreeView::CurrentRowChanged, this, &frmMain::vfgTree_CurrentRowChange);
    connect(vfgTree, &DateTreeView::PaneRequested, this, &frmMain::FocusShownPane);
    connect(pctView, &ImageView::RegionMenuRequested, mnuPopup,
        [this](const QPoint& at) { mnuPopup->popup(at); });
    connect(pctView, &ImageView::StepRequested, this, &frmMain::pctView_Step);
    connect(pctView, &ImageView::BackRequested, this, &frmMain::pctView_Back);
    connect(pctPreview, &TrayPane::CellClicked, this, &frmMain::imgPreview_Click);
    connect(watcher_, &FolderWatcher::Changed, this, &frmMain::FolderChanged);
    connect(watcher_, &FolderWatcher::Gone, this, &frmMain::FolderGone);
    connect(watcher_, &FolderWatcher::Back, this, &frmMain::FolderBack);
    // A file still being written that gave no picture looks as if it were loading, until it has
    // stopped changing.
    ThumbnailTray* tray = pctPreview->pctTray();
    tray->SetSettlingSource(
        [this](const TrayCell& cell) { return watcher_->IsSettling(cell.file); });
    connect(watcher_, &FolderWatcher::Settled, tray, [tray] { tray->update(); });
    connect(mnuFavorates, &FolderHistoryMenu::ClearChosen, this, &frmMain::clearHistory);
    connect(mnuFavorates, &FolderHistoryMenu::FolderChosen, this, &frmMain::openHistoryFolder);
}

void frmMain::Form_Load()
{
    ViewTop = static_cast<float>(pctView->y());
    ViewLeft = static_cast<float>(pctView->x());
    pctPreview->move(pctPreview->x(), pctView->height() + pctView->y() + kPaneGap);

    pctView->setCursor(Qt::CrossCursor);
    mainArea_->SetShownPane(pctView);
    fitAction_->setChecked(state_.FitToWindow);
    ApplyFit();
    // The tree, with no file shown: an empty date label and no selection.
    ShowDates();
}

void frmMain::ShowDates()
{
    auto catalogue = std::make_shared<Catalogue>();
    ScanFolder(state_.ImageFolder, *catalogue);
    ShowCatalogue(catalogue);
    watcher_->Watch(state_.ImageFolder, std::move(catalogue));
}

void frmMain::ShowCatalogue(std::shared_ptr<const Catalogue> catalogue)
{
    pctPreview->Clear();
    // The root becomes current, which brings the view forward.
    vfgTree->ShowCatalogue(std::move(catalogue));
    setWindowTitle(kDesignCaption);
    pctView->HideSelection();
    pctView->SetPicture({});
    KeepPreviewParked();
    lblFileDate->clear();
    shownFile_.clear();
}

void frmMain::vfgTree_CurrentRowChange(const TreeChoice& current)
{
    if (current.IsDate()) {
        setWindowTitle(TextToQString(kCaptionPrefix + current.date));
        ShowThumbnails(current.date);
    } else {
        ShowImage(current.file);
    }
}

void frmMain::ShowThumbnails(const std::string& date)
{
    ShowPane(pctPreview, pctView);
    pctPreview->Fill(date, *vfgTree->catalogue());
}

void frmMain::ShowImage(const std::string& name)
{
    ShowPane(pctView, pctPreview);
    if (name.empty())
        return;
    setWindowTitle(TextToQString(kCaptionPrefix + name));
    pctView->HideSelection();
    shownFile_ = name;
    const std::string path = state_.ImageFolder + name;
    pctView->SetPicture(LoadTGAImage(path));
    KeepPreviewParked();
    // A file deleted since the scan has no date to show.
    lblFileDate->setText(TextToQString(FileDateTimeText(path).value_or("")));
}

void frmMain::FolderChanged(
    const std::shared_ptr<const Catalogue>& after, const CatalogueChanges& changes)
{
    const std::shared_ptr<const Catalogue> before = vfgTree->catalogue();
    vfgTree->ApplyChanges(after, changes);
    pctPreview->Follow(*after, changes);
    FollowInView(*before, *after);
}

void frmMain::FolderGone()
{
    // Nothing of the folder stays on screen.
    ShowCatalogue(std::make_shared<const Catalogue>());
}

void frmMain::FolderBack(const std::shared_ptr<const Catalogue>& catalogue)
{
    ShowCatalogue(catalogue);
}

void frmMain::FollowInView(const Catalogue& before, const Catalogue& after)
{
    if (shownFile_.empty())
        return;
    const std::optional<std::size_t> was = before.Find(shownFile_);
    const std::optional<std::size_t> is = after.Find(shownFile_);
    if (!was && !is)
        return;
    if (was && is && before.FileStamps[*was] == after.FileStamps[*is])
        return;
    // A file written over, or written to the end only now, is shown as it is now; a file gone
    // leaves its picture and has no date to show. A view parked behind the tray is decoded anew
    // when a file is next chosen, so it is not decoded here.
    const std::string path = state_.ImageFolder + shownFile_;
    if (is && mainArea_->ShownPane() == pctView) {
        pctView->SetPicture(LoadTGAImage(path));
        KeepPreviewParked();
    }
    lblFileDate->setText(TextToQString(is ? FileDateTimeText(path).value_or("") : std::string()));
}

void frmMain::ShowPane(QWidget* shown, QWidget* parked)
{
    // The parked pane waits below the view pane's bottom edge, measured before anything moves.
    const int parkedTop = static_cast<int>(ViewTop) + pctView->height() + kPaneGap;
    shown->move(static_cast<int>(ViewLeft), static_cast<int>(ViewTop));
    parked->move(static_cast<int>(ViewLeft), parkedTop);
    mainArea_->SetShownPane(shown);
}

void frmMain::FocusShownPane()
{
    if (QWidget* pane = mainArea_->ShownPane())
        pane->setFocus(Qt::OtherFocusReason);
}

void frmMain::ApplyFit()
{
    const int frame = 2 * pctView->frameWidth();
    pctView->SetFitBounds(state_.FitToWindow
            ? QSize(mainArea_->width() - frame, mainArea_->height() - frame)
            : QSize());
    KeepPreviewParked();
}

void frmMain::KeepPreviewParked()
{
    // The view pane changes size with its picture after the panes have switched; the parked
    // preview pane follows its bottom edge, so that it stays out of sight. Its left stays, which
    // before the first switch is its design place.
    if (mainArea_->ShownPane() == pctView)
        pctPreview->move(pctPreview->x(), static_cast<int>(ViewTop) + pctView->height() + kPaneGap);
}

void frmMain::imgPreview_Click(int Index)
{
    vfgTree->SelectFile(pctPreview->pctTray()->Cell(Index).file);
    FocusShownPane();
}

void frmMain::pctView_Step(FileStep step)
{
    const TreeChoice current = vfgTree->Current();
    const Catalogue& catalogue = *vfgTree->catalogue();
    if (!current.IsFile())
        return;
    if (const std::optional<std::size_t> file = StepFile(catalogue, current.file, step))
        vfgTree->SelectFile(catalogue.FileNames[*file]);
}

void frmMain::pctView_Back()
{
    const TreeChoice current = vfgTree->Current();
    const std::shared_ptr<const Catalogue> catalogue = vfgTree->catalogue();
    const std::optional<std::size_t> file =
        current.IsFile() ? catalogue->Find(current.file) : std::nullopt;
    if (!file)
        return;
    vfgTree->SelectDate(current.date);
    pctPreview->pctTray()->SetFocusCell(static_cast<int>(catalogue->PlaceInDate(*file)));
    FocusShownPane();
}

bool frmMain::focusNextPrevChild(bool)
{
    // Two stops, whichever way: the tree and the pane shown.
    if (vfgTree->hasFocus())
        FocusShownPane();
    else
        vfgTree->setFocus(Qt::TabFocusReason);
    return true;
}

void frmMain::mnuFile_Click(int Index)
{
    // "場所を指定して保存(&P)" does nothing yet.
    const auto item = static_cast<FileItem>(Index);
    if (item == FileItem::Save)
        saveView();
    else if (item == FileItem::Quit)
        quit();
}

void frmMain::mnuEdit_Click(int Index)
{
    if (static_cast<EditItem>(Index) == EditItem::Copy)
        copyView();
}

void frmMain::mnuView_Click(int Index)
{
    if (static_cast<ViewItem>(Index) == ViewItem::Fit)
        fitAction_->trigger();
}

void frmMain::mnuTool_Click(int Index)
{
    const auto item = static_cast<ToolItem>(Index);
    if (item == ToolItem::Options)
        showOptions();
    else if (item == ToolItem::Version)
        showVersion();
    else if (item == ToolItem::Refresh)
        refreshFolder();
}

void frmMain::mnuFavorate_Click(int Index)
{
    // The separator does nothing; the clear and folder items do their work when triggered.
    if (QAction* item = mnuFavorates->Item(Index); item && !item->isSeparator())
        item->trigger();
}

void frmMain::mnuRight_Click(int Index)
{
    const auto item = static_cast<RegionItem>(Index);
    if (item == RegionItem::Copy)
        copyRegion();
    else if (item == RegionItem::Save)
        saveRegion();
    else if (item == RegionItem::Cancel)
        cancelRegion();
}

void frmMain::saveView()
{
    if (const std::optional<std::string> proposed = ProposedSaveName(vfgTree->Current()))
        SavePicture(*dialogs_.saveDialog, this, pctView->RenderInnerArea(), *proposed);
}

void frmMain::quit()
{
    close();
    QCoreApplication::quit();
}

void frmMain::copyView() { PutImageOnClipboard(pctView->RenderInnerArea()); }

void frmMain::setFitToWindow(bool fit)
{
    state_.FitToWindow = fit;
    StoreFitToWindow(state_);
    ApplyFit();
}

void frmMain::showOptions()
{
    const std::string result =
        frmOption::ShowForm(this, *dialogs_.folderBrowser, state_.ImageFolder);
    if (result.empty())
        return;
    state_.ImageFolder = WithTrailingSeparator(result);
    StoreImageFolder(state_, AddToHistory(state_.FolderHistory, state_.ImageFolder));
    ShowDates();
    mnuFavorates->HistoryChanged();
}

void frmMain::showVersion() { frmVersion::ShowModal(this); }

void frmMain::refreshFolder() { watcher_->Refresh(); }

void frmMain::clearHistory()
{
    // An empty history has no stored keys, and nothing happens.
    BlankStoredHistory(state_, ClearHistory(state_.FolderHistory));
    mnuFavorates->HistoryChanged();
}

void frmMain::openHistoryFolder(const std::string& folder)
{
    // For this run only: the stored folder stays, and the next start opens it again.
    state_.ImageFolder = folder;
    ShowDates();
}

void frmMain::copyRegion() { UseRegion(false); }

void frmMain::saveRegion() { UseRegion(true); }

void frmMain::cancelRegion() { pctView->HideSelection(); }

void frmMain::UseRegion(bool save)
{
    const SelectionRect rect = pctView->selection().rect();
    if (!rect.visible)
        return;
    const int width = static_cast<int>(rect.width);
    const int height = static_cast<int>(rect.height);
    pctView->HideSelection();
    // A rectangle without width or height holds nothing to copy or save.
    if (width <= 0 || height <= 0)
        return;
    const QImage region = pctView->RenderRegion(
        static_cast<int>(rect.left), static_cast<int>(rect.top), width, height);
    if (save)
        SavePicture(*dialogs_.saveDialog, this, region, kRegionFileName);
    else
        PutImageOnClipboard(region);
}

} // namespace snapvale
