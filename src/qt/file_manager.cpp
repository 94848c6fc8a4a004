#include "qt/file_manager.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QUrl>

#include "qt/qt_text.h"

namespace snapvale {

bool ShowInFileManager(const std::string& folder, const std::string& file)
{
    const QString folderPath = PathToQString(folder);
#ifdef Q_OS_WIN
    if (!file.empty()) {
        // Explorer reads "/select," and the path as one word of its own command line, which
        // QProcess's quoting of each argument would split.
        const QString path =
            QDir::toNativeSeparators(QDir(folderPath).filePath(PathToQString(file)));
        QProcess explorer;
        explorer.setProgram(QStringLiteral("explorer.exe"));
        explorer.setNativeArguments(QStringLiteral("/select,\"%1\"").arg(path));
        if (explorer.startDetached())
            return true;
    }
#else
    Q_UNUSED(file);
#endif
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folderPath));
}

} // namespace snapvale
