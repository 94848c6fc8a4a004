#pragma once

// The folder history: the image folders used before, oldest first, each once, and how it is kept
// in the settings file (one key of the "FAVORATES" section per folder). An empty history is held
// as the single entry "", as start-up reads it.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace snapvale {

inline constexpr char kHistorySection[] = "FAVORATES";

// The settings key of entry `index`: "FOLDER0", "FOLDER1", ...
std::string HistoryKey(std::size_t index);

// The stored history, read key by key from FOLDER0 on through `readKey` (which answers "" for a
// missing key); the first missing or empty key ends it, so keys after a gap are never read.
std::vector<std::string> ReadFolderHistory(
    const std::function<std::string(const std::string&)>& readKey);

// Adds `folder` at the end unless the history holds exactly that text already (letter case
// counts). Returns the index the folder got, whose key the caller stores; nothing when it was
// there already.
std::optional<std::size_t> AddToHistory(
    std::vector<std::string>& history, const std::string& folder);

// Empties the history. Returns how many stored keys (FOLDER0 onwards) the caller blanks: one per
// entry that was there, none when the history was empty already.
std::size_t ClearHistory(std::vector<std::string>& history);

// The folders the history menu lists after its clear item, in order; none for an empty history.
std::vector<std::string> HistoryMenuFolders(const std::vector<std::string>& history);

} // namespace snapvale
