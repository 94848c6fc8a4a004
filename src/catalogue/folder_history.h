#pragma once

// The folder history: the image folders used before, oldest first, each once, and how it is kept
// in the settings file (one key of the "FAVORATES" section per folder). An empty history is held
// as the single entry "", as start-up reads it.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace snapvale {

inline constexpr char kHistorySection[] = "FAVORATES";
// An entry's key is this prefix followed by its index in decimal: "FOLDER0", "FOLDER1", ...
inline constexpr char kHistoryKeyPrefix[] = "FOLDER";

// The settings key of entry `index`.
std::string HistoryKey(std::size_t index);

// The history that `stored` holds: the values of the keys FOLDER0, FOLDER1, ... in order, up to
// the first key that is missing or empty, so that keys after a gap are never read (as a settings
// file's series of kHistoryKeyPrefix gives them). None stored is the empty history.
std::vector<std::string> FolderHistoryFromStored(std::vector<std::string> stored);

// Adds `folder` at the end unless the history holds exactly that text already (letter case
// counts). Returns the index the folder got, whose key the caller stores; nothing when it was
// there already.
std::optional<std::size_t> AddToHistory(
    std::vector<std::string>& history, const std::string& folder);

// Empties the history. Returns how many stored keys (FOLDER0 onwards) the caller blanks: one per
// entry that was there, none when the history was empty already.
std::size_t ClearHistory(std::vector<std::string>& history);

// The folders the history menu lists after its clear item, in order; none for an empty history.
// A view of `history`, valid while it is unchanged: the history may be long.
std::span<const std::string> HistoryMenuFolders(const std::vector<std::string>& history);

} // namespace snapvale
