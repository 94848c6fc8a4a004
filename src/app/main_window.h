#pragma once

// frmMain, the program's only main window: the date tree on the left, the file date under it,
// and one main area shared by the image view and the thumbnail tray, switched by moving them.
// The window lays out and wires its parts; the tree (DateTreeView), the tray (TrayPane) and the
// view (ImageView) each do their own work, and every menu command is a QAction connected to a
// named slot.

#include <memory>
#include <string>

#include <QMainWindow>

#include "app/start_up.h"
#include "catalogue/catalogue_changes.h"
#include "catalogue/date_tree.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;

namespace snapvale {

class DateTreeView;
class FolderBrowser;
class FolderHistoryMenu;
class FolderWatcher;
class ImageView;
class MainArea;
class SaveDialog;
class TrayPane;

// The modal dialogs the window asks the platform for; tests give it scripted ones.
struct MainWindowDialogs
{
    SaveDialog* saveDialog = nullptr;
    FolderBrowser* folderBrowser = nullptr;
};

// The items of the menu arrays by the index their handlers receive.
enum class FileItem { Save = 0, SaveElsewhere = 1, Quit = 3 };
enum class EditItem { Copy = 0 };
enum class ViewItem { Fit = 0 };
enum class ToolItem { Options = 0, Version = 1, Refresh = 2 };
enum class RegionItem { Copy = 0, Save = 1, Cancel = 2 };

class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    // The window works on `state` (owned by the caller, outliving the window) and reads and
    // writes the settings file it names. Dialogs left null are the platform's own.
    explicit frmMain(AppState& state, MainWindowDialogs dialogs = {}, QWidget* parent = nullptr);
    ~frmMain() override;

    // Rebuilds the date tree from a fresh scan of the image folder, and watches the folder.
    // Nothing of the folder shown before stays on screen: the root is current, no file is shown.
    void ShowDates();

    AppState& state() { return state_; }

    // The menu arrays' handlers, by the index of the item in its menu: each routes to the slot
    // below that does the item's work.
    void mnuFile_Click(int Index);
    void mnuEdit_Click(int Index);
    void mnuView_Click(int Index);
    void mnuTool_Click(int Index);
    void mnuFavorate_Click(int Index);
    void mnuRight_Click(int Index);
    // The thumbnail cell `Index` was clicked: its file becomes the tree's current row.
    void imgPreview_Click(int Index);
    // Keys in the view: another file of the date shown, or back to the date's thumbnails with
    // the file's cell focused.
    void pctView_Step(FileStep step);
    void pctView_Back();

public slots:
    void saveView();
    void quit();
    void copyView();
    void setFitToWindow(bool fit);
    void showOptions();
    void showVersion();
    void refreshFolder();
    void clearHistory();
    void openHistoryFolder(const std::string& folder);
    void copyRegion();
    void saveRegion();
    void cancelRegion();

protected:
    // Tab and Shift+Tab go between the tree and the pane shown.
    bool focusNextPrevChild(bool next) override;

private:
    // The constructor's phases, in this order.
    void CreateControls();
    void CreateMenus();
    void LayOut();
    void ConnectSignals();
    void Form_Load();

    // What the tree's current row stands for has changed: a date shows its thumbnails under its
    // caption, anything else the view.
    void vfgTree_CurrentRowChange(const TreeChoice& current);
    void ShowThumbnails(const std::string& date);
    // Brings the view forward and shows the file called `name`; none keeps what it showed.
    void ShowImage(const std::string& name);

    // The folder's files changed: the tree, the tray of the date shown and the picture shown
    // follow, and nothing the user is doing moves.
    void FolderChanged(
        const std::shared_ptr<const Catalogue>& after, const CatalogueChanges& changes);
    // The folder went away: the window shows nothing of it. It came back: its tree as at start.
    // Shows `catalogue` from scratch with nothing chosen: the root current, the panes empty, the
    // caption and the date label as at start.
    void ShowCatalogue(std::shared_ptr<const Catalogue> catalogue);
    void FolderGone();
    void FolderBack(const std::shared_ptr<const Catalogue>& catalogue);
    void FollowInView(const Catalogue& before, const Catalogue& after);

    void ShowPane(QWidget* shown, QWidget* parked);
    void FocusShownPane();
    // Fits large pictures into the main area, or shows them at full size, as the settings say.
    void ApplyFit();
    void KeepPreviewParked();
    // Copies or saves the marked region, which goes; nothing without one.
    void UseRegion(bool save);

    AppState& state_;
    std::unique_ptr<SaveDialog> ownSaveDialog_;
    std::unique_ptr<FolderBrowser> ownFolderBrowser_;
    MainWindowDialogs dialogs_;

    // Window-level state shared by the panes.
    float ViewTop = 0;
    float ViewLeft = 0;

    QWidget* client_ = nullptr;
    DateTreeView* vfgTree = nullptr;
    QGroupBox* fraFileInfo = nullptr;
    QLabel* lblFileDate = nullptr;
    MainArea* mainArea_ = nullptr;
    ImageView* pctView = nullptr;
    TrayPane* pctPreview = nullptr;

    FolderHistoryMenu* mnuFavorates = nullptr;
    QMenu* mnuPopup = nullptr;
    QAction* fitAction_ = nullptr;

    FolderWatcher* watcher_ = nullptr;
    // The file the view shows ("" for none).
    std::string shownFile_;
};

} // namespace snapvale
