#pragma once

// A screenshot file handed to another program, by drag and drop or through the clipboard: the
// file itself for file managers, chat windows and upload boxes, and its picture for programs
// that take pictures.

#include <string>

#include <QImage>
#include <QMimeData>

namespace snapvale {

// Offers the file at `path` as its file URL (text/uri-list) and as a picture
// (application/x-qt-image, which Qt also offers as image/png and the like). The picture is
// `picture` when the caller has it decoded already; otherwise the file is decoded only when a
// program asks for a picture, so a drag to a file manager costs no decoding. The caller owns the
// result, or hands it to QDrag or the clipboard, which take it over.
QMimeData* ScreenshotMimeData(const std::string& path, const QImage& picture = {});

} // namespace snapvale
