#include "dialogs/typed_folder.h"

#include <QDir>
#include <QUrl>

#include "qt/qt_text.h"

namespace snapvale {

std::string TypedFolder(const QString& text)
{
    QString path = text.trimmed();
    if (path.size() >= 2 && path.startsWith('"') && path.endsWith('"'))
        path = path.mid(1, path.size() - 2).trimmed();
    if (path.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
        const QUrl url(path);
        if (url.isLocalFile())
            path = QDir::toNativeSeparators(url.toLocalFile());
    }
    return PathFromQString(path);
}

} // namespace snapvale
