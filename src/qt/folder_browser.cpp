#include "qt/folder_browser.h"

#include <QDir>
#include <QFileDialog>

#include "qt/qt_text.h"

namespace snapvale {

std::string QtFolderBrowser::BrowseForFolder(
    QWidget* owner, const std::string& initialFolder, const std::string& title)
{
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, TextToQString(title), PathToQString(initialFolder), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return {};
    // Qt answers with "/" separators; a root keeps its own trailing one.
    return PathFromQString(QDir::toNativeSeparators(QDir::cleanPath(chosen)));
}

} // namespace snapvale
