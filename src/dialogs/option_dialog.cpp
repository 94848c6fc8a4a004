#include "dialogs/option_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "base/twips.h"
#include "dialogs/typed_folder.h"
#include "qt/folder_browser.h"
#include "qt/qt_text.h"
#include "qt/ui_font.h"

namespace snapvale {

namespace {

QRect Twips(int left, int top, int width, int height)
{
    return { TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height) };
}

frmOption* activeDialog = nullptr;

} // namespace

frmOption::frmOption(QWidget* owner, FolderBrowser& browser)
    : QDialog(owner)
    , browser_(browser)
{
    setObjectName("frmOption");
    setFont(JapaneseUiFont());
    setWindowTitle(QStringLiteral("オプション"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
        | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(TwipsToPixels(6480), TwipsToPixels(1320));

    Label1 = new QLabel(QStringLiteral("画像フォルダ"), this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(Twips(120, 120, 1005, 180));
    // The caption keeps its place and grows to fit, as labels sized to their text do.
    Label1->adjustSize();
    txtFolder = new QLineEdit(this);
    txtFolder->setObjectName("txtFolder");
    txtFolder->setGeometry(Twips(120, 360, 5655, 270));
    cmdFolder = new QPushButton(QStringLiteral("..."), this);
    cmdFolder->setObjectName("cmdFolder");
    cmdFolder->setGeometry(Twips(5760, 360, 615, 270));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setGeometry(Twips(4080, 840, 1095, 375));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName("cmdCancel");
    cmdCancel->setGeometry(Twips(5280, 840, 1095, 375));

    // Enter is "OK" wherever the focus is; Escape is "Cancel" (keyPressEvent).
    for (QPushButton* button : { cmdFolder, cmdOK, cmdCancel })
        button->setAutoDefault(false);
    cmdOK->setDefault(true);
    setTabOrder(txtFolder, cmdFolder);
    setTabOrder(cmdFolder, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(cmdFolder, &QPushButton::clicked, this, &frmOption::cmdFolder_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmOption::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOption::cmdCancel_Click);
    // A typed or pasted folder counts as one browsed to.
    connect(txtFolder, &QLineEdit::textEdited, this,
        [this](const QString& text) { selectedFolder_ = TypedFolder(text); });
}

std::string frmOption::ShowForm(QWidget* owner, FolderBrowser& browser, const std::string& sFol)
{
    frmOption dialog(owner, browser);
    dialog.selectedFolder_ = sFol;
    dialog.txtFolder->setText(PathToQString(sFol));
    dialog.cancelled_ = false;
    frmOption* const outer = activeDialog;
    activeDialog = &dialog;
    dialog.exec();
    activeDialog = outer;
    return dialog.cancelled_ ? std::string() : dialog.selectedFolder_;
}

frmOption* frmOption::Active() { return activeDialog; }

void frmOption::cmdFolder_Click()
{
    const std::string path =
        browser_.BrowseForFolder(this, selectedFolder_, "Lineageフォルダを選択");
    if (path.empty())
        return;
    selectedFolder_ = path;
    txtFolder->setText(PathToQString(path));
}

void frmOption::cmdOK_Click()
{
    if (!selectedFolder_.empty())
        accept();
}

void frmOption::cmdCancel_Click()
{
    cancelled_ = true;
    reject();
}

void frmOption::keyPressEvent(QKeyEvent* event)
{
    // QDialog would take Escape for reject(), which the close box also calls, and which applies
    // the folder; Escape is a cancel.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        cmdCancel_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace snapvale
