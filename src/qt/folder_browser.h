#pragma once

// Choosing a folder in the desktop's folder browser.

#include <string>

class QWidget;

namespace snapvale {

class FolderBrowser
{
public:
    virtual ~FolderBrowser() = default;
    // Shows the browser modally over `owner`, opening at `initialFolder` (none when empty),
    // with `title` (none when empty); only folders can be chosen. Returns the chosen folder's
    // full path without a trailing separator, except for a root, or "" when the user cancelled.
    virtual std::string BrowseForFolder(
        QWidget* owner, const std::string& initialFolder, const std::string& title) = 0;
};

// Qt's folder dialog. It opens at the initial folder or, when that is gone, at the nearest
// folder above it that is there, and shows hidden folders when the initial folder lies under
// one: a game installed by Wine sits under ~/.wine, which a first start must be able to reach.
// The dialog's own switch shows or hides them too.
class QtFolderBrowser final : public FolderBrowser
{
public:
    std::string BrowseForFolder(
        QWidget* owner, const std::string& initialFolder, const std::string& title) override;
};

} // namespace snapvale
