#pragma once

// frmMain, the program's only main window: the date tree on the left, the file date under it,
// and one main area shared by the image view and the thumbnail tray, switched by moving them.

#include <QMainWindow>
#include <QList>

#include "app/start_up.h"

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QScrollBar;
class QTreeWidget;

namespace snapvale {

class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    // The window works on `state` (owned by the caller, outliving the window) and reads and
    // writes the settings file it names.
    explicit frmMain(AppState& state, QWidget* parent = nullptr);
    ~frmMain() override;

    // Rebuilds the date tree from a fresh scan of the image folder.
    void ShowDates();

    AppState& state() { return state_; }

    // Menu item handlers, by the index of the item in its menu.
    void mnuFile_Click(int Index);
    void mnuEdit_Click(int Index);
    void mnuTool_Click(int Index);
    void mnuFavorate_Click(int Index);
    void mnuRight_Click(int Index);

private:
    void CreateControls();
    void CreateMenus();
    void Form_Load();
    void BuildHistoryMenu();
    void SetupTree();

    AppState& state_;

    // Window-level state shared by the panes.
    float ViewTop = 0;
    float ViewLeft = 0;

    QTreeWidget* vfgTree = nullptr;
    QGroupBox* fraFileInfo = nullptr;
    QLabel* lblFileDate = nullptr;
    QFrame* pctView = nullptr;
    QFrame* pctCopy = nullptr;
    QFrame* shpRect = nullptr;
    QFrame* pctPreview = nullptr;
    QScrollBar* vscrTray = nullptr;
    QFrame* pctTray = nullptr;
    QLabel* imgDrive = nullptr;
    QLabel* imgDate = nullptr;
    QLabel* imgFile = nullptr;

    QMenu* mnuFiles = nullptr;
    QMenu* mnuEdits = nullptr;
    QMenu* mnuTools = nullptr;
    QMenu* mnuFavorates = nullptr;
    QMenu* mnuPopup = nullptr;
    QList<QAction*> mnuFile;
    QList<QAction*> mnuEdit;
    QList<QAction*> mnuTool;
    QList<QAction*> mnuFavorate;
    QList<QAction*> mnuRight;
};

} // namespace snapvale
