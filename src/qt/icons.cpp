#include "qt/icons.h"

#include <QSize>
#include <QString>

namespace snapvale {

QIcon RowIcon(const char* themeName, const char* resource)
{
    QIcon own;
    own.addFile(QStringLiteral(":/icons/%1.png").arg(resource), QSize(16, 16));
    own.addFile(QStringLiteral(":/icons/%1@2x.png").arg(resource), QSize(32, 32));
    return QIcon::fromTheme(QString::fromLatin1(themeName), own);
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : { 16, 24, 32, 48, 64, 128, 256 })
        icon.addFile(
            QStringLiteral(":/hicolor/%1x%1/apps/snapvale2.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace snapvale
