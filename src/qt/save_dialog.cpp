#include "qt/save_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

#include "export/save_format.h"
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

} // namespace

std::optional<std::string> QtSaveDialog::AskSavePath(
    QWidget* owner, const std::string& proposedName)
{
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QtFilter(QString::fromLatin1(kSaveFilter)));
    if (!lastFolder_.empty())
        dialog.setDirectory(PathToQString(lastFolder_));
    dialog.selectFile(PathToQString(proposedName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    lastFolder_ = PathFromQString(QFileInfo(chosen).absolutePath());
    return PathFromQString(chosen);
}

} // namespace snapvale
