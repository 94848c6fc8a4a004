#include "app/main_window.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <optional>
#include <span>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>
#include <QWheelEvent>

#include "base/twips.h"
#include "catalogue/folder_history.h"
#include "catalogue/folder_scan.h"
#include "dialogs/option_dialog.h"
#include "dialogs/version_dialog.h"
#include "export/bmp_writer.h"
#include "export/jpeg_codec.h"
#include "export/save_format.h"
#include "qt/clipboard.h"
#include "qt/folder_browser.h"
#include "qt/folder_watcher.h"
#include "qt/picture_image.h"
#include "qt/qt_text.h"
#include "qt/qt_tree_grid.h"
#include "qt/save_dialog.h"
#include "qt/ui_font.h"
#include "settings/chosen_folder.h"
#include "settings/private_profile.h"
#include "viewer/image_view.h"
#include "viewer/main_area.h"
#include "viewer/thumbnail_tray.h"

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
constexpr int kTrayScrollLeft = 9360;
constexpr int kTrayScrollWidth = 255;
constexpr int kFileNameLabelHeight = 255;
// The panes' sunken border, which leaves an inner area of 640 x 480 pixels.
constexpr int kPaneBorder = 2;
// How far below the view pane's bottom edge the hidden pane waits, out of sight.
constexpr int kPaneGap = 100;

const char* const kDesignCaption = "Snapvale";

// A menu taller than the screen scrolls, with arrows at its ends as on Windows, instead of
// spreading into columns across the whole screen: a long folder history stays one list.
class ScrollingMenuStyle : public QProxyStyle
{
public:
    explicit ScrollingMenuStyle(QObject* owner)
        : QProxyStyle(QApplication::style()->name())
    {
        setParent(owner);
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
        QStyleHintReturn* returnData) const override
    {
        if (hint == SH_Menu_Scrollable)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The desktop theme's icon, else our own, drawn at its size and at twice it for scaled screens.
QIcon RowIcon(const char* themeName, const char* resource)
{
    QIcon own;
    own.addFile(QStringLiteral(":/icons/%1.png").arg(resource), QSize(16, 16));
    own.addFile(QStringLiteral(":/icons/%1@2x.png").arg(resource), QSize(32, 32));
    return QIcon::fromTheme(QString::fromLatin1(themeName), own);
}

// The program's icon, the one its desktop entry names, in the sizes a window manager asks for.
QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : { 16, 24, 32, 48, 64, 128, 256 })
        icon.addFile(
            QStringLiteral(":/hicolor/%1x%1/apps/snapvale2.png").arg(size), QSize(size, size));
    return icon;
}

// Sends the wheel over the tray to its scroll bar, as users of a scrolling list expect.
class WheelToScrollBar : public QObject
{
public:
    WheelToScrollBar(QScrollBar* target, QObject* parent)
        : QObject(parent)
        , target_(target)
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel || !target_->isEnabled())
            return false;
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (delta != 0)
            target_->setValue(target_->value() + (delta > 0 ? -1 : 1));
        return true;
    }

private:
    QScrollBar* target_;
};

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

    setObjectName("frmMain");
    setFont(JapaneseUiFont());
    setWindowTitle(kDesignCaption);
    setWindowIcon(ProgramIcon());
    // A fixed single border: no maximise button, no resizing.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    CreateControls();
    CreateMenus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    Form_Load();

    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

frmMain::~frmMain()
{
    // The tree stops listening before the grid and its widget go.
    tree_.reset();
    grid_.reset();
}

TreeGrid& frmMain::grid() { return *grid_; }

void frmMain::CreateControls()
{
    auto* client = new QWidget(this);
    client->setObjectName("client");
    client->setFixedSize(TwipsToPixels(kClientWidth), TwipsToPixels(kClientHeight));
    setCentralWidget(client);

    vfgTree = new QTreeWidget(client);
    vfgTree->setObjectName("vfgTree");
    vfgTree->setGeometry(kTreeRect.pixels());

    fraFileInfo = new QGroupBox(QStringLiteral("作成日付"), client);
    fraFileInfo->setObjectName("fraFileInfo");
    fraFileInfo->setGeometry(kFileInfoRect.pixels());
    lblFileDate = new QLabel(QStringLiteral("9999/99/99 99:99:99"), fraFileInfo);
    lblFileDate->setObjectName("lblFileDate");
    lblFileDate->setGeometry(kFileDateRect.pixels());

    // The main area runs from the view pane's design place to the client's right and bottom
    // edges; its stage has the client's coordinates, so the panes keep their window places.
    const QRect viewRect = kViewRect.pixels();
    mainArea_ = new MainArea(client);
    mainArea_->setGeometry(viewRect.left(), viewRect.top(), client->width() - viewRect.left(),
        client->height() - viewRect.top());
    QWidget* stage = mainArea_->stage();

    pctView = new ImageView(viewRect.size(), stage);
    pctView->move(viewRect.topLeft());
    connect(pctView, &ImageView::RegionMenuRequested, this,
        [this](const QPoint& at) { mnuPopup->popup(at); });
    connect(pctView, &ImageView::StepRequested, this, &frmMain::pctView_Step);
    connect(pctView, &ImageView::BackRequested, this, &frmMain::pctView_Back);

    auto* preview = new QFrame(stage);
    preview->setObjectName("pctPreview");
    preview->setGeometry(kPreviewRect.pixels());
    preview->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    preview->setLineWidth(kPaneBorder);
    preview->setFocusPolicy(Qt::StrongFocus);
    pctPreview = preview;
    // The tray moves inside the pane's inner area; this viewport cuts it at the border.
    auto* viewport = new QWidget(preview);
    viewport->setObjectName("trayViewport");
    viewport->setGeometry(preview->contentsRect());

    const QSize inner = preview->contentsRect().size();
    const TrayGeometry geometry =
        TrayGeometry::ForPane(PixelsToTwips(inner.width()), PixelsToTwips(inner.height()),
            static_cast<float>(kTrayScrollWidth), static_cast<float>(kFileNameLabelHeight));
    pctTray = new ThumbnailTray(geometry, viewport);
    connect(pctTray, &ThumbnailTray::CellClicked, this, &frmMain::imgPreview_Click);
    connect(pctTray, &ThumbnailTray::FocusCellChanged, this, &frmMain::ShowCellInSight);
    // The pane takes the focus for the tray, whose keys move between the cells.
    preview->setFocusProxy(pctTray);
    // A file deleted since the scan has no time to show.
    pctTray->SetToolTipSource([this](const TrayCell& cell) {
        return TextToQString(FileDateTimeText(state_.ImageFolder + cell.file).value_or(""));
    });

    vscrTray = new QScrollBar(Qt::Vertical, viewport);
    vscrTray->setObjectName("vscrTray");
    vscrTray->setGeometry(
        TwipsToPixels(kTrayScrollLeft), 0, TwipsToPixels(kTrayScrollWidth), inner.height());
    vscrTray->setSingleStep(1);
    vscrTray->setPageStep(1);
    vscrTray->setRange(0, 0);
    vscrTray->setFocusPolicy(Qt::NoFocus);
    connect(vscrTray, &QScrollBar::valueChanged, this, &frmMain::vscrTray_Change);
    // Using the scroll bar hands the keys to the tray; the program's own scrolling (a new date,
    // the focus cell) leaves the focus where it is, in the tree while the user moves through it.
    connect(vscrTray, &QScrollBar::actionTriggered, this, [this] { pctPreview->setFocus(); });
    pctTray->installEventFilter(new WheelToScrollBar(vscrTray, this));

    imgDrive = new QLabel(client);
    imgDrive->setObjectName("imgDrive");
    imgDate = new QLabel(client);
    imgDate->setObjectName("imgDate");
    imgFile = new QLabel(client);
    imgFile->setObjectName("imgFile");
    const QtTreeGrid::Icons icons{ RowIcon("drive-harddisk", "drive"),
        RowIcon("folder-pictures", "date"), RowIcon("camera-photo", "file") };
    imgDrive->setPixmap(icons.drive.pixmap(16, 16));
    imgDate->setPixmap(icons.date.pixmap(16, 16));
    imgFile->setPixmap(icons.file.pixmap(16, 16));

    // The grid gives the tree its shape, font and icon size.
    grid_ = std::make_unique<QtTreeGrid>(vfgTree, icons);
    vfgTree->installEventFilter(this);
    tree_ =
        std::make_unique<DateTree>(*grid_, static_cast<DateTreeHost&>(*this), state_.ImageFolder);

    watcher_ = new FolderWatcher(FileSystem::Default(), this);
    watcher_->setObjectName("folderWatcher");
    connect(watcher_, &FolderWatcher::Changed, this, &frmMain::FolderChanged);
}

void frmMain::CreateMenus()
{
    const auto addMenu = [this](const char* name, const QString& caption) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(name);
        return menu;
    };
    // An item of a menu array: its object name carries the array's name and the item's index.
    const auto addItem = [](QMenu* menu, QList<QAction*>& array, const char* arrayName,
                             const QString& caption, const QKeySequence& shortcut = {}) {
        QAction* item = caption == "-" ? menu->addSeparator() : menu->addAction(caption);
        item->setObjectName(QStringLiteral("%1(%2)").arg(arrayName).arg(array.size()));
        item->setShortcut(shortcut);
        array.append(item);
        return item;
    };

    mnuFiles = addMenu("mnuFiles", QStringLiteral("ファイル(&F)"));
    addItem(mnuFiles, mnuFile, "mnuFile", QStringLiteral("保存(&S)"), Qt::CTRL | Qt::Key_S);
    // Saving to a chosen place does nothing yet; shown disabled so a click does not look broken.
    addItem(mnuFiles, mnuFile, "mnuFile", QStringLiteral("場所を指定して保存(&P)"),
        Qt::CTRL | Qt::Key_P)
        ->setEnabled(false);
    addItem(mnuFiles, mnuFile, "mnuFile", QStringLiteral("-"));
    addItem(mnuFiles, mnuFile, "mnuFile", QStringLiteral("終了(&Q)"), Qt::CTRL | Qt::Key_Q);

    mnuEdits = addMenu("mnuEdits", QStringLiteral("編集(&E)"));
    addItem(mnuEdits, mnuEdit, "mnuEdit", QStringLiteral("コピー(&C)"), Qt::CTRL | Qt::Key_C);

    mnuViews = addMenu("mnuViews", QStringLiteral("表示(&V)"));
    addItem(mnuViews, mnuView, "mnuView", QStringLiteral("ウィンドウに合わせる(&F)"),
        Qt::CTRL | Qt::Key_F)
        ->setCheckable(true);

    mnuTools = addMenu("mnuTools", QStringLiteral("ツール(&T)"));
    addItem(mnuTools, mnuTool, "mnuTool", QStringLiteral("オプション(&O)"), Qt::CTRL | Qt::Key_O);
    addItem(mnuTools, mnuTool, "mnuTool", QStringLiteral("バージョン情報(&V)"));
    // Listing the folder again by hand heads the menu, set apart; the items keep their numbers.
    QAction* refresh =
        addItem(mnuTools, mnuTool, "mnuTool", QStringLiteral("最新の情報に更新(&R)"), Qt::Key_F5);
    mnuTools->removeAction(refresh);
    mnuTools->insertAction(mnuTool[0], refresh);
    mnuTools->insertSeparator(mnuTool[0]);

    mnuFavorates = addMenu("mnuFavorates", QStringLiteral("フォルダ履歴(&A)"));
    addItem(mnuFavorates, mnuFavorate, "mnuFavorate", QStringLiteral("履歴をクリア(&C)"));
    connect(mnuFavorates, &QMenu::aboutToShow, this, &frmMain::FillHistoryMenu);
    mnuFavorates->setStyle(new ScrollingMenuStyle(mnuFavorates));

    // The region menu never shows on the menu bar; it pops up over the view after a drag.
    mnuPopup = new QMenu(QStringLiteral("右クリック(non visible)"), this);
    mnuPopup->setObjectName("mnuPopup");
    addItem(mnuPopup, mnuRight, "mnuRight", QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞｺﾋﾟｰ"));
    addItem(mnuPopup, mnuRight, "mnuRight", QStringLiteral("ﾌｧｲﾙ保存"));
    addItem(mnuPopup, mnuRight, "mnuRight", QStringLiteral("ｷｬﾝｾﾙ"));

    const auto connectArray = [this](const QList<QAction*>& array, void (frmMain::*handler)(int)) {
        for (int i = 0; i < array.size(); ++i)
            connect(
                array[i], &QAction::triggered, this, [this, handler, i] { (this->*handler)(i); });
    };
    connectArray(mnuFile, &frmMain::mnuFile_Click);
    connectArray(mnuEdit, &frmMain::mnuEdit_Click);
    connectArray(mnuView, &frmMain::mnuView_Click);
    connectArray(mnuTool, &frmMain::mnuTool_Click);
    connectArray(mnuFavorate, &frmMain::mnuFavorate_Click);
    connectArray(mnuRight, &frmMain::mnuRight_Click);
}

void frmMain::Form_Load()
{
    ViewTop = static_cast<float>(pctView->y());
    ViewLeft = static_cast<float>(pctView->x());
    pctPreview->move(pctPreview->x(), pctView->height() + pctView->y() + kPaneGap);

    pctTray->setGeometry(QRect(QPoint(0, 0), pctPreview->contentsRect().size()));

    imgDrive->hide();
    imgFile->hide();
    imgDate->hide();
    lblFileDate->clear();
    pctView->HideSelection();
    pctView->setCursor(Qt::CrossCursor);
    mainArea_->SetShownPane(pctView);
    mnuView[0]->setChecked(state_.FitToWindow);
    ApplyFit();

    BuildHistoryMenu();
    SetupTree();
    ShowDates();
}

void frmMain::BuildHistoryMenu()
{
    // The folder items themselves are made when the menu is about to show (FillHistoryMenu): each
    // item added to a menu costs time in the number it holds already, so a history of tens of
    // thousands made into items here would hold up start-up by seconds.
    const std::span<const std::string> folders = HistoryMenuFolders(state_.FolderHistory);
    const qsizetype made = mnuFavorate.size() > 1 ? mnuFavorate.size() - 2 : 0;
    if (static_cast<std::size_t>(made) > folders.size()) {
        // Only a clear takes entries away: the items made before go with them.
        while (mnuFavorate.size() > 1)
            delete mnuFavorate.takeLast();
    }
    if (!folders.empty())
        mnuFavorate[0]->setText(QStringLiteral("履歴をクリア"));
}

void frmMain::FillHistoryMenu()
{
    const std::span<const std::string> folders = HistoryMenuFolders(state_.FolderHistory);
    if (folders.empty())
        return;
    if (mnuFavorate.size() == 1) {
        QAction* separator = mnuFavorates->addSeparator();
        separator->setObjectName("mnuFavorate(1)");
        mnuFavorate.append(separator);
    }
    // The history only grows until a clear, which removes the items: those there show its first
    // entries, and only the entries added since need items.
    for (auto folder = folders.begin() + (mnuFavorate.size() - 2); folder != folders.end();
         ++folder) {
        // The folder is the item's value; "&" in a folder name is shown, not taken as a mnemonic.
        const QString path = PathToQString(*folder);
        QAction* item = mnuFavorates->addAction(QString(path).replace('&', "&&"));
        item->setObjectName(QStringLiteral("mnuFavorate(%1)").arg(mnuFavorate.size()));
        item->setData(QByteArray::fromStdString(*folder)); // the folder's own bytes
        const int index = static_cast<int>(mnuFavorate.size());
        connect(item, &QAction::triggered, this, [this, index] { mnuFavorate_Click(index); });
        mnuFavorate.append(item);
    }
}

void frmMain::SetupTree() { tree_->SetupTree(); }

void frmMain::ShowDates()
{
    tree_->ShowDates();
    // The rows the tray's cells stood for are gone.
    trayDate_.clear();
    watcher_->Watch(state_.ImageFolder, tree_->sharedCatalogue());
}

void frmMain::FolderChanged(
    const std::shared_ptr<const Catalogue>& after, const CatalogueChanges& changes)
{
    const std::shared_ptr<const Catalogue> before = tree_->sharedCatalogue();
    tree_->ApplyChanges(after, changes);
    FollowInTray(*after, changes);
    FollowInView(*before, *after);
}

void frmMain::FollowInTray(const Catalogue& after, const CatalogueChanges& changes)
{
    if (trayDate_.empty())
        return;
    bool edited = false;
    const auto edit = std::find_if(changes.dates.begin(), changes.dates.end(),
        [this](const DateEdit& e) { return e.date == trayDate_; });
    if (edit != changes.dates.end()) {
        pctTray->RemoveCells(
            std::vector<int>(edit->removedFiles.begin(), edit->removedFiles.end()));
        const std::vector<std::size_t>& files = after.FilesOf(trayDate_);
        std::vector<std::pair<int, TrayCell>> cells;
        for (const std::size_t place : edit->addedFiles) {
            const std::string& name = after.FileNames[files[place]];
            cells.push_back({ static_cast<int>(place), { PathToQString(name), name } });
        }
        pctTray->InsertCells(std::move(cells));
        if (edit->removed)
            trayDate_.clear();
        edited = true;
    }
    const std::vector<std::size_t>& files = after.FilesOf(trayDate_);
    for (const std::size_t changed : changes.changedFiles) {
        if (after.FileDates[changed] != trayDate_)
            continue;
        pctTray->Reload(static_cast<int>(
            std::lower_bound(files.begin(), files.end(), changed) - files.begin()));
        edited = true;
    }
    if (!edited)
        return;
    FitTrayToCells();
    LoadThumbnails(vscrTray->value() * kTrayColumns);
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

void frmMain::FitTrayToCells()
{
    const int count = pctTray->CellCount();
    pctTray->resize(pctTray->width(), TwipsToPixels(pctTray->geometry().TrayHeight(count)));
    const TrayScroll scroll =
        pctTray->geometry().Scroll(count, PixelsToTwips(pctPreview->contentsRect().height()));
    vscrTray->setEnabled(scroll.enabled);
    if (scroll.enabled)
        vscrTray->setRange(0, scroll.max);
    else
        vscrTray->setValue(0);
}

void frmMain::SetCaption(const std::string& caption) { setWindowTitle(TextToQString(caption)); }

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

void frmMain::ShowImage()
{
    ShowPane(pctView, pctPreview);
    const std::string name = grid_->RowData(grid_->CurrentRow());
    if (name.empty() || name.find('/') != std::string::npos)
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

void frmMain::ShowThumbnails()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ShowPane(pctPreview, pctView);

    // The date's files are the rows below it, up to the next date row or a row without data.
    // Only names are gathered: tooltips read the file's time when they show, and pictures are
    // made on worker threads.
    std::vector<TrayCell> cells;
    for (int row = grid_->CurrentRow() + 1; row < grid_->RowCount(); ++row) {
        std::string name = grid_->RowData(row);
        if (name.empty() || name.find('/') != std::string::npos)
            break;
        cells.push_back({ PathToQString(name), std::move(name) });
    }

    trayDate_ = grid_->RowData(grid_->CurrentRow());
    pctTray->hide();
    pctTray->move(0, 0);
    const int count = static_cast<int>(cells.size());
    pctTray->SetCells(std::move(cells));
    pctTray->resize(pctTray->width(), TwipsToPixels(pctTray->geometry().TrayHeight(count)));
    pctTray->show();

    vscrTray->setValue(0);
    LoadThumbnails(0);
    FitTrayToCells();
    QApplication::restoreOverrideCursor();
}

void frmMain::LoadThumbnails(int start)
{
    // The tray asks only for cells without a picture and not already on their way; a cell whose
    // file gave no picture is tried again whenever a batch reaches it.
    std::vector<TrayRequest> batch;
    for (int k = start; k < start + kThumbnailBatch && k < pctTray->CellCount(); ++k)
        batch.push_back({ k, state_.ImageFolder + pctTray->Cell(k).file });
    pctTray->RequestPictures(batch);
}

void frmMain::vscrTray_Change()
{
    const int v = vscrTray->value();
    // The tray moves first, so that the batch knows which of its cells are in sight.
    pctTray->move(0, TwipsToPixels(pctTray->geometry().TrayTopForRow(v)));
    LoadThumbnails(v * kTrayColumns);
}

void frmMain::ShowCellInSight(int index)
{
    // A disabled bar still holds the range of an earlier date.
    if (!vscrTray->isEnabled() || index < 0)
        return;
    vscrTray->setValue(pctTray->geometry().TopRowShowing(index / kTrayColumns, vscrTray->value(),
        PixelsToTwips(pctPreview->contentsRect().height())));
}

void frmMain::imgPreview_Click(int Index)
{
    grid_->SetCurrentRow(grid_->CurrentRow() + Index + 1);
    FocusShownPane();
}

void frmMain::pctView_Step(FileStep step)
{
    if (const std::optional<int> row = tree_->StepFile(grid_->CurrentRow(), step))
        grid_->SetCurrentRow(*row);
}

void frmMain::pctView_Back()
{
    const int row = grid_->CurrentRow();
    const std::optional<int> dateRow = tree_->DateRowOf(row);
    if (!dateRow)
        return;
    grid_->SetCurrentRow(*dateRow);
    pctTray->SetFocusCell(row - *dateRow - 1);
    FocusShownPane();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on a date or file row hands the keys to the pane that row shows.
    if (watched == vfgTree && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter)
            && !grid_->RowData(grid_->CurrentRow()).empty()) {
            FocusShownPane();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
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

void frmMain::SavePicture(const QImage& picture, const std::string& proposedName)
{
    const std::optional<std::string> path = dialogs_.saveDialog->AskSavePath(this, proposedName);
    if (!path)
        return;
    const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    const PixelBlock block = PixelsOf(pixels);
    const Status written = FormatForPath(*path) == SaveFormat::Bitmap
        ? WriteBmp(*path, block)
        : WriteJpeg(*path, block, kJpegQuality);
    // The program shows no message box; the one trace of a failed save is this line.
    if (!written)
        std::cerr << "snapvale2: could not write " << *path << ": " << written.reason() << '\n';
}

void frmMain::mnuFile_Click(int Index)
{
    switch (Index) {
    case 0:
        if (const auto proposed = ProposedSaveName(grid_->CurrentText()))
            SavePicture(pctView->RenderInnerArea(), *proposed);
        break;
    case 3:
        close();
        QCoreApplication::quit();
        break;
    default:
        break;
    }
}

void frmMain::mnuEdit_Click(int Index)
{
    if (Index == 0)
        PutImageOnClipboard(pctView->RenderInnerArea());
}

void frmMain::mnuView_Click(int Index)
{
    if (Index != 0)
        return;
    state_.FitToWindow = mnuView[0]->isChecked();
    WriteIniString(kViewSection, kFitKey, state_.FitToWindow ? "1" : "0", state_.SettingsFile());
    ApplyFit();
}

void frmMain::mnuRight_Click(int Index)
{
    if (Index == 2) {
        pctView->HideSelection();
        return;
    }
    if ((Index != 0 && Index != 1) || !pctView->selection().rect().visible)
        return;
    const SelectionRect rect = pctView->selection().rect();
    const int width = static_cast<int>(rect.width);
    const int height = static_cast<int>(rect.height);
    pctView->HideSelection();
    // A rectangle without width or height holds nothing to copy or save.
    if (width <= 0 || height <= 0)
        return;
    const QImage region = pctView->RenderRegion(
        static_cast<int>(rect.left), static_cast<int>(rect.top), width, height);
    if (Index == 0)
        PutImageOnClipboard(region);
    else
        SavePicture(region, kRegionFileName);
}

void frmMain::mnuTool_Click(int Index)
{
    if (Index == 0)
        OptionsFlow();
    else if (Index == 1)
        frmVersion::ShowModal(this);
    else if (Index == 2)
        watcher_->Refresh();
}

void frmMain::OptionsFlow()
{
    const std::string result =
        frmOption::ShowForm(this, *dialogs_.folderBrowser, state_.ImageFolder);
    if (result.empty())
        return;
    state_.ImageFolder = WithTrailingSeparator(result);
    // The history as the file now holds it: another running copy may have added to it.
    state_.FolderHistory =
        StoreChosenFolder(state_.SettingsFile(), state_.ImageFolder, state_.FolderHistory).history;
    SetupTree();
    ShowDates();
    BuildHistoryMenu();
}

void frmMain::mnuFavorate_Click(int Index)
{
    if (Index >= 2 && Index < mnuFavorate.size()) {
        state_.ImageFolder = mnuFavorate[Index]->data().toByteArray().toStdString();
        SetupTree();
        ShowDates();
        return;
    }
    if (Index != 0)
        return;
    // Every stored key blanked in one parse and one replace of the file, however long the history;
    // an empty history has none, and nothing happens.
    if (const std::size_t stored = ClearHistory(state_.FolderHistory)) {
        const std::string settings = state_.SettingsFile();
        if (std::optional<PrivateProfile> profile = LoadPrivateProfile(settings)) {
            for (std::size_t i = 0; i < stored; ++i)
                profile->Write(kHistorySection, HistoryKey(i), "");
            StorePrivateProfile(*profile, settings);
        }
    }
    BuildHistoryMenu();
}

} // namespace snapvale
