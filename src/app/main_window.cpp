#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>

#include "app/private_profile.h"
#include "platform/qt_text.h"

namespace snapvale {

namespace {

// The window is laid out in twips at 15 twips per pixel, the scale of a 96-dpi display.
constexpr double kTwipsPerPixel = 15.0;
constexpr int Px(int twips) { return static_cast<int>(twips / kTwipsPerPixel + 0.5); }

struct Rect
{
    int left, top, width, height; // twips
    QRect pixels() const { return { Px(left), Px(top), Px(width), Px(height) }; }
};

constexpr int kClientWidth = 12375;
constexpr int kClientHeight = 7305;
constexpr Rect kTreeRect { 0, 0, 2655, 6615 };
constexpr Rect kFileInfoRect { 0, 6640, 2620, 615 };
constexpr Rect kFileDateRect { 120, 240, 2295, 255 };
constexpr Rect kViewRect { 2640, 0, 9660, 7260 };
constexpr Rect kCopyRect { 840, 0, 735, 495 };
constexpr Rect kSelectionRect { 0, 0, 735, 375 };
constexpr Rect kPreviewRect { 3600, 2400, 9660, 7260 };
constexpr Rect kTrayScrollRect { 9360, 0, 255, 7215 };
constexpr Rect kTrayRect { 0, 0, 5415, 3615 };
// The view's sunken border, which leaves an inner area of 640 x 480 pixels.
constexpr int kViewBorder = 2;
// How far below the view pane's bottom edge the hidden pane waits, out of sight.
constexpr int kPaneGap = 100;

const char* const kRootCaption = "Snapvale";

QFrame* MakePane(QWidget* parent, const char* name, const Rect& rect)
{
    auto* pane = new QFrame(parent);
    pane->setObjectName(name);
    pane->setGeometry(rect.pixels());
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pane->setLineWidth(kViewBorder);
    pane->setAutoFillBackground(true);
    return pane;
}

} // namespace

frmMain::frmMain(AppState& state, QWidget* parent)
    : QMainWindow(parent)
    , state_(state)
{
    setObjectName("frmMain");
    setWindowTitle(kRootCaption);
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

frmMain::~frmMain() = default;

void frmMain::CreateControls()
{
    auto* client = new QWidget(this);
    client->setObjectName("client");
    client->setFixedSize(Px(kClientWidth), Px(kClientHeight));
    setCentralWidget(client);

    vfgTree = new QTreeWidget(client);
    vfgTree->setObjectName("vfgTree");
    vfgTree->setGeometry(kTreeRect.pixels());
    vfgTree->setHeaderHidden(true);
    QFont treeFont;
    treeFont.setFamilies({ QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                           QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                           QStringLiteral("IPAGothic"), QStringLiteral("sans-serif") });
    treeFont.setStyleHint(QFont::SansSerif);
    treeFont.setPointSize(9);
    vfgTree->setFont(treeFont);

    fraFileInfo = new QGroupBox(QStringLiteral("作成日付"), client);
    fraFileInfo->setObjectName("fraFileInfo");
    fraFileInfo->setGeometry(kFileInfoRect.pixels());
    lblFileDate = new QLabel(QStringLiteral("9999/99/99 99:99:99"), fraFileInfo);
    lblFileDate->setObjectName("lblFileDate");
    lblFileDate->setGeometry(kFileDateRect.pixels());

    pctView = MakePane(client, "pctView", kViewRect);
    pctCopy = new QFrame(pctView);
    pctCopy->setObjectName("pctCopy");
    pctCopy->setGeometry(kCopyRect.pixels());
    shpRect = new QFrame(pctView);
    shpRect->setObjectName("shpRect");
    shpRect->setGeometry(kSelectionRect.pixels());
    shpRect->setFrameStyle(QFrame::Box | QFrame::Plain);

    pctPreview = MakePane(client, "pctPreview", kPreviewRect);
    vscrTray = new QScrollBar(Qt::Vertical, pctPreview);
    vscrTray->setObjectName("vscrTray");
    vscrTray->setGeometry(kTrayScrollRect.pixels());
    pctTray = new QFrame(pctPreview);
    pctTray->setObjectName("pctTray");
    pctTray->setGeometry(kTrayRect.pixels());

    imgDrive = new QLabel(client);
    imgDrive->setObjectName("imgDrive");
    imgDate = new QLabel(client);
    imgDate->setObjectName("imgDate");
    imgFile = new QLabel(client);
    imgFile->setObjectName("imgFile");
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
    addItem(mnuFiles, mnuFile, "mnuFile", QStringLiteral("場所を指定して保存(&P)"),
            Qt::CTRL | Qt::Key_P);
    addItem(mnuFiles, mnuFile, "mnuFile", QStringLiteral("-"));
    addItem(mnuFiles, mnuFile, "mnuFile", QStringLiteral("終了(&Q)"), Qt::CTRL | Qt::Key_Q);

    mnuEdits = addMenu("mnuEdits", QStringLiteral("編集(&E)"));
    addItem(mnuEdits, mnuEdit, "mnuEdit", QStringLiteral("コピー(&C)"), Qt::CTRL | Qt::Key_C);

    mnuTools = addMenu("mnuTools", QStringLiteral("ツール(&T)"));
    addItem(mnuTools, mnuTool, "mnuTool", QStringLiteral("オプション(&O)"), Qt::CTRL | Qt::Key_O);
    addItem(mnuTools, mnuTool, "mnuTool", QStringLiteral("バージョン情報(&V)"));

    mnuFavorates = addMenu("mnuFavorates", QStringLiteral("フォルダ履歴(&A)"));
    addItem(mnuFavorates, mnuFavorate, "mnuFavorate", QStringLiteral("履歴をクリア(&C)"));

    // The region menu never shows on the menu bar; it pops up over the view after a drag.
    mnuPopup = new QMenu(QStringLiteral("右クリック(non visible)"), this);
    mnuPopup->setObjectName("mnuPopup");
    addItem(mnuPopup, mnuRight, "mnuRight", QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞｺﾋﾟｰ"));
    addItem(mnuPopup, mnuRight, "mnuRight", QStringLiteral("ﾌｧｲﾙ保存"));
    addItem(mnuPopup, mnuRight, "mnuRight", QStringLiteral("ｷｬﾝｾﾙ"));

    const auto connectArray = [this](const QList<QAction*>& array, void (frmMain::*handler)(int)) {
        for (int i = 0; i < array.size(); ++i)
            connect(array[i], &QAction::triggered, this, [this, handler, i] { (this->*handler)(i); });
    };
    connectArray(mnuFile, &frmMain::mnuFile_Click);
    connectArray(mnuEdit, &frmMain::mnuEdit_Click);
    connectArray(mnuTool, &frmMain::mnuTool_Click);
    connectArray(mnuFavorate, &frmMain::mnuFavorate_Click);
    connectArray(mnuRight, &frmMain::mnuRight_Click);
}

void frmMain::Form_Load()
{
    ViewTop = static_cast<float>(pctView->y());
    ViewLeft = static_cast<float>(pctView->x());
    pctPreview->move(pctPreview->x(), pctView->height() + pctView->y() + kPaneGap);

    pctTray->setGeometry(pctPreview->contentsRect());
    pctTray->setFrameStyle(QFrame::NoFrame);

    imgDrive->hide();
    imgFile->hide();
    imgDate->hide();
    lblFileDate->clear();
    shpRect->hide();
    pctCopy->hide();
    pctView->setCursor(Qt::CrossCursor);

    BuildHistoryMenu();
    SetupTree();
    ShowDates();
}

void frmMain::BuildHistoryMenu()
{
    auto& history = state_.FolderHistory;
    // Items past the clear item are rebuilt from the list each time.
    while (mnuFavorate.size() > 1)
        delete mnuFavorate.takeLast();
    if (history.empty() || history[0].empty())
        return;
    mnuFavorate[0]->setText(QStringLiteral("履歴をクリア"));
    QAction* separator = mnuFavorates->addSeparator();
    separator->setObjectName("mnuFavorate(1)");
    mnuFavorate.append(separator);
    for (const std::string& folder : history) {
        // The folder is the item's value; "&" in a folder name is shown, not taken as a mnemonic.
        const QString path = PathToQString(folder);
        QAction* item = mnuFavorates->addAction(QString(path).replace('&', "&&"));
        item->setObjectName(QStringLiteral("mnuFavorate(%1)").arg(mnuFavorate.size()));
        item->setData(path);
        const int index = static_cast<int>(mnuFavorate.size());
        connect(item, &QAction::triggered, this, [this, index] { mnuFavorate_Click(index); });
        mnuFavorate.append(item);
    }
}

void frmMain::SetupTree() { }

void frmMain::ShowDates() { }

void frmMain::mnuFile_Click(int Index)
{
    if (Index == 3)
        close();
}

void frmMain::mnuEdit_Click(int) { }

void frmMain::mnuTool_Click(int) { }

void frmMain::mnuFavorate_Click(int Index)
{
    if (Index >= 2 && Index < mnuFavorate.size()) {
        state_.ImageFolder = PathFromQString(mnuFavorate[Index]->data().toString());
        SetupTree();
        ShowDates();
        return;
    }
    if (Index != 0 || mnuFavorate.size() <= 1)
        return;
    auto& history = state_.FolderHistory;
    for (std::size_t i = 0; i < history.size(); ++i)
        WriteIniString("FAVORATES", "FOLDER" + std::to_string(i), "", state_.SettingsFile());
    history = { "" };
    BuildHistoryMenu();
}

void frmMain::mnuRight_Click(int) { }

} // namespace snapvale
