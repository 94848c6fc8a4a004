#include "qt/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include "qt/screenshot_mime.h"

namespace snapvale {

void PutImageOnClipboard(const QImage& image)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(image);
}

void PutFileOnClipboard(const std::string& path, const QImage& picture)
{
    QMimeData* data = ScreenshotMimeData(path, picture);
    // Nautilus and its kin paste files only from this form: "copy", then one URL a line.
    data->setData(QStringLiteral("x-special/gnome-copied-files"),
        "copy\n" + data->urls().constFirst().toEncoded());
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace snapvale
