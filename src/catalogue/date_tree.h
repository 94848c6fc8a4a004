#pragma once

// The date tree in the catalogue's own terms: what a row of the tree stands for, and the steps
// from one file of a date to another. The window and the tree's model tell rows apart by these
// values, never by the text a row shows.

#include <cstddef>
#include <optional>
#include <string>

#include "catalogue/folder_scan.h"

namespace snapvale {

// The root row's caption, above the dates.
inline constexpr char kTreeRootText[] = "Lineageﾌｫﾙﾀﾞ";

// What a row of the date tree stands for.
struct TreeChoice
{
    enum class Kind { None, Root, Date, File };

    Kind kind = Kind::None;
    std::string date; // a date row's key, or the key of a file row's date
    std::string file; // a file row's bare name

    bool IsDate() const { return kind == Kind::Date; }
    bool IsFile() const { return kind == Kind::File; }
    friend bool operator==(const TreeChoice&, const TreeChoice&) = default;
};

// A step from the file shown to another file of its date.
enum class FileStep { Next, Previous, First, Last };

// The file (an index into FileNames) that `step` leads to from the file called `name`, among the
// files of its date; nothing when there is no such file or the step would leave the date, since a
// day's files end at its first and last (no wrap into the next date).
std::optional<std::size_t> StepFile(
    const Catalogue& catalogue, const std::string& name, FileStep step);

} // namespace snapvale
