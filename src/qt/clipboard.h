#pragma once

// The system clipboard.

#include <QImage>

namespace snapvale {

// Empties the clipboard and puts `image` on it as a bitmap.
void PutImageOnClipboard(const QImage& image);

} // namespace snapvale
