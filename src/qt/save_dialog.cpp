#include "qt/save_dialog.h"

#include <iostream>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>

#include "export/save_format.h"
#include "qt/picture_files.h"
#include "qt/picture_image.h"
#include "qt/qt_text.h"

namespace snapvale {

namespace {

// "Name(*.a)|*.a|Other(*.b)|*.b" as Qt writes filters: "Name(*.a);;Other(*.b)".
QString QtFilter(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList names;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        names << parts[i];
    return names.join(QStringLiteral(";;"));
}

// The extension a filter stands for: "bmp" for "Windows Bitmap(*.bmp)".
QString FilterExtension(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    return pattern.match(filter).captured(1);
}

// A name typed without an extension takes the selected filter's, before the dialog checks
// whether the file exists, so the overwrite question is asked about the file that is written.
class PictureSaveDialog final : public QFileDialog
{
public:
    explicit PictureSaveDialog(QWidget* owner)
        : QFileDialog(owner)
    {
        // The platform's own dialogs add it themselves as the user changes the filter.
        connect(this, &QFileDialog::filterSelected, this,
            [this](const QString& filter) { setDefaultSuffix(FilterExtension(filter)); });
    }

    void accept() override
    {
        setDefaultSuffix(FilterExtension(selectedNameFilter()));
        QFileDialog::accept();
    }
};

} // namespace

std::optional<std::string> QtSaveDialog::AskSavePath(
    QWidget* owner, const std::string& proposedName)
{
    PictureSaveDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QtFilter(QString::fromLatin1(kSaveFilter)));
    dialog.setDefaultSuffix(FilterExtension(dialog.selectedNameFilter()));
    if (!lastFolder_.empty())
        dialog.setDirectory(PathToQString(lastFolder_));
    dialog.selectFile(PathToQString(proposedName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // Qt's dialogs give '/' on every system; the program's paths use the system's separator.
    const QString chosen = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    lastFolder_ = PathFromQString(QDir::toNativeSeparators(QFileInfo(chosen).absolutePath()));
    return PathFromQString(chosen);
}

void SavePicture(
    SaveDialog& dialog, QWidget* owner, const QImage& picture, const std::string& proposedName)
{
    const std::optional<std::string> path = dialog.AskSavePath(owner, proposedName);
    if (!path)
        return;
    // The program shows no message box; the one trace of a failed save is this line.
    if (const Status written = WritePictureFile(*path, picture, kJpegQuality); !written)
        std::cerr << "snapvale2: could not write " << *path << ": " << written.reason() << '\n';
}

} // namespace snapvale
