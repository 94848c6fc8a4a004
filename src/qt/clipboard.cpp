#include "qt/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace snapvale {

void PutImageOnClipboard(const QImage& image)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(image);
}

} // namespace snapvale
