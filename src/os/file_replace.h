#pragma once

// Replacing a file's contents so that readers see either the old file or the complete new one,
// never a half-written one.

#include <filesystem>
#include <string_view>

namespace snapvale {

// Writes `bytes` to a temporary file in `target`'s folder, flushes it to disk and renames it over
// `target`. An existing target keeps its permissions. Returns false, leaving whatever was at
// `target` untouched and no temporary file behind, when any step fails. A target or folder whose
// permission bits allow nobody to write counts as read-only and is refused, even for a user (such
// as root) whom the system would let write.
bool ReplaceFileContents(const std::filesystem::path& target, std::string_view bytes);

} // namespace snapvale
