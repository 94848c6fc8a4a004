#include "catalogue/folder_history.h"

#include <algorithm>

namespace snapvale {

namespace {

// An empty history is held as the single entry "".
bool IsHistoryEmpty(const std::vector<std::string>& history)
{
    return history.empty() || history[0].empty();
}

} // namespace

std::string HistoryKey(std::size_t index) { return kHistoryKeyPrefix + std::to_string(index); }

std::vector<std::string> FolderHistoryFromStored(std::vector<std::string> stored)
{
    if (stored.empty())
        stored.emplace_back();
    return stored;
}

std::optional<std::size_t> AddToHistory(
    std::vector<std::string>& history, const std::string& folder)
{
    if (IsHistoryEmpty(history)) {
        history = { folder };
        return 0;
    }
    if (std::find(history.begin(), history.end(), folder) != history.end())
        return std::nullopt;
    history.push_back(folder);
    return history.size() - 1;
}

std::size_t ClearHistory(std::vector<std::string>& history)
{
    const std::size_t stored = IsHistoryEmpty(history) ? 0 : history.size();
    history = { "" };
    return stored;
}

std::span<const std::string> HistoryMenuFolders(const std::vector<std::string>& history)
{
    if (IsHistoryEmpty(history))
        return {};
    return history;
}

} // namespace snapvale
