#pragma once

// How a chosen file name is written, and which name a save proposes.

#include <optional>
#include <string>

#include "catalogue/date_tree.h"

namespace snapvale {

enum class SaveFormat {
    Bitmap,
    Jpeg,
};

inline constexpr int kJpegQuality = 80;
inline constexpr char kRegionFileName[] = "svtemp";
inline constexpr char kSaveFilter[] = "Windows Bitmap(*.bmp)|*.bmp|Jpeg(*.jpg)|*.jpg";

// A name ending in "bmp" in any letter case is a Windows bitmap; every other name, with or
// without an extension, is a JPEG. The rule adds no extension; the save dialog has given a name
// typed without one the selected filter's.
SaveFormat FormatForPath(const std::string& path);

// The name proposed for saving the view while `current` is the tree's current row: the file's
// name up to its first ".". Nothing when the row is not a file row (the root, a date, or none),
// since then there is no file to name the picture after.
std::optional<std::string> ProposedSaveName(const TreeChoice& current);

} // namespace snapvale
