#pragma once

// frmMain, the program's only main window: the date tree on the left, the file date under it,
// and one main area shared by the image view and the thumbnail tray, switched by moving them.

#include <memory>
#include <string>

#include <QList>
#include <QMainWindow>

#include "catalogue/date_tree.h"
#include "settings/start_up.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QScrollBar;
class QTreeWidget;

namespace snapvale {

class FolderBrowser;
class FolderWatcher;
class ImageView;
class MainArea;
class QtTreeGrid;
class SaveDialog;
class ThumbnailTray;

// The modal dialogs the window asks the platform for; tests give it scripted ones.
struct MainWindowDialogs
{
    SaveDialog* saveDialog = nullptr;
    FolderBrowser* folderBrowser = nullptr;
};

class frmMain : public QMainWindow, private DateTreeHost
{
    Q_OBJECT

public:
    // The window works on `state` (owned by the caller, outliving the window) and reads and
    // writes the settings file it names. Dialogs left null are the platform's own.
    explicit frmMain(AppState& state, MainWindowDialogs dialogs = {}, QWidget* parent = nullptr);
    ~frmMain() override;

    // Rebuilds the date tree from a fresh scan of the image folder, and watches the folder.
    void ShowDates();

    AppState& state() { return state_; }
    TreeGrid& grid();
    DateTree& dateTree() { return *tree_; }

    // Menu item handlers, by the index of the item in its menu.
    void mnuFile_Click(int Index);
    void mnuEdit_Click(int Index);
    void mnuView_Click(int Index);
    void mnuTool_Click(int Index);
    void mnuFavorate_Click(int Index);
    void mnuRight_Click(int Index);
    // The thumbnail cell `Index` was clicked: its file row becomes the current row.
    void imgPreview_Click(int Index);
    void vscrTray_Change();
    // Keys in the view: another file of the date shown, or back to the date's thumbnails with
    // the file's cell focused.
    void pctView_Step(FileStep step);
    void pctView_Back();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Tab and Shift+Tab go between the tree and the pane shown.
    bool focusNextPrevChild(bool next) override;

private:
    void CreateControls();
    void CreateMenus();
    void Form_Load();
    // Makes the history menu match FolderHistory: its clear item at once, its folder items when
    // the menu is about to show (FillHistoryMenu).
    void BuildHistoryMenu();
    void FillHistoryMenu();
    void SetupTree();

    void SetCaption(const std::string& caption) override;
    void ShowThumbnails() override;
    void ShowImage() override;
    void LoadThumbnails(int start);

    // The folder's files changed: the tree, the tray of the date shown and the picture shown
    // follow, and nothing the user is doing moves.
    void FolderChanged(
        const std::shared_ptr<const Catalogue>& after, const CatalogueChanges& changes);
    void FollowInTray(const Catalogue& after, const CatalogueChanges& changes);
    void FollowInView(const Catalogue& before, const Catalogue& after);
    // Sizes the tray to its cells and sets the scroll bar's range, keeping its value where it can.
    void FitTrayToCells();

    void ShowPane(QWidget* shown, QWidget* parked);
    void FocusShownPane();
    // Fits large pictures into the main area, or shows them at full size, as the settings say.
    void ApplyFit();
    void KeepPreviewParked();
    // Scrolls the tray so that the cell's whole row is in sight.
    void ShowCellInSight(int index);
    void SavePicture(const QImage& picture, const std::string& proposedName);
    void OptionsFlow();

    AppState& state_;
    std::unique_ptr<SaveDialog> ownSaveDialog_;
    std::unique_ptr<FolderBrowser> ownFolderBrowser_;
    MainWindowDialogs dialogs_;

    // Window-level state shared by the panes.
    float ViewTop = 0;
    float ViewLeft = 0;

    QTreeWidget* vfgTree = nullptr;
    QGroupBox* fraFileInfo = nullptr;
    QLabel* lblFileDate = nullptr;
    MainArea* mainArea_ = nullptr;
    ImageView* pctView = nullptr;
    QWidget* pctPreview = nullptr;
    QScrollBar* vscrTray = nullptr;
    ThumbnailTray* pctTray = nullptr;
    QLabel* imgDrive = nullptr;
    QLabel* imgDate = nullptr;
    QLabel* imgFile = nullptr;

    QMenu* mnuFiles = nullptr;
    QMenu* mnuEdits = nullptr;
    QMenu* mnuViews = nullptr;
    QMenu* mnuTools = nullptr;
    QMenu* mnuFavorates = nullptr;
    QMenu* mnuPopup = nullptr;
    QList<QAction*> mnuFile;
    QList<QAction*> mnuEdit;
    QList<QAction*> mnuView;
    QList<QAction*> mnuTool;
    QList<QAction*> mnuFavorate;
    QList<QAction*> mnuRight;

    std::unique_ptr<QtTreeGrid> grid_;
    std::unique_ptr<DateTree> tree_;
    FolderWatcher* watcher_ = nullptr;
    // The date whose files the tray holds, and the file the view shows ("" for none).
    std::string trayDate_;
    std::string shownFile_;
};

} // namespace snapvale
