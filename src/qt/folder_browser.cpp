#include "qt/folder_browser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "qt/qt_text.h"

namespace snapvale {

namespace {

// `folder`, or the nearest folder above it that exists; "" when none does.
QString NearestExistingFolder(const QString& folder)
{
    QString path = QDir::cleanPath(folder);
    while (!path.isEmpty() && !QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return {};
        path = parent;
    }
    return path;
}

bool LiesUnderHiddenFolder(const QString& folder)
{
    const QStringList parts = QDir::fromNativeSeparators(folder).split('/', Qt::SkipEmptyParts);
    return std::any_of(parts.begin(), parts.end(), [](const QString& part) {
        return part.startsWith('.') && part != QStringLiteral(".") && part != QStringLiteral("..");
    });
}

} // namespace

std::string QtFolderBrowser::BrowseForFolder(
    QWidget* owner, const std::string& initialFolder, const std::string& title)
{
    const QString initial = PathToQString(initialFolder);
    QFileDialog dialog(owner, TextToQString(title), NearestExistingFolder(initial));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (LiesUnderHiddenFolder(initial))
        dialog.setFilter(dialog.filter() | QDir::Hidden);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog.selectedFiles().constFirst();
    // Qt answers with "/" separators; a root keeps its own trailing one.
    return PathFromQString(QDir::toNativeSeparators(QDir::cleanPath(chosen)));
}

} // namespace snapvale
