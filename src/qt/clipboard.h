#pragma once

// The system clipboard.

#include <string>

#include <QImage>

namespace snapvale {

// Empties the clipboard and puts `image` on it as a bitmap.
void PutImageOnClipboard(const QImage& image);

// Puts the screenshot file at `path` on the clipboard as ScreenshotMimeData offers it (the file
// for file managers, the picture for programs that paste pictures), and in the form GNOME's file
// managers paste files from.
void PutFileOnClipboard(const std::string& path, const QImage& picture = {});

} // namespace snapvale
