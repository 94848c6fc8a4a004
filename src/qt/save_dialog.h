#pragma once

// Asking where to save a picture.

#include <optional>
#include <string>

class QImage;
class QWidget;

namespace snapvale {

class SaveDialog
{
public:
    virtual ~SaveDialog() = default;
    // Shows the save dialog modally over `owner` with `proposedName` filled in and the two
    // picture filters (bitmap first, JPEG second); a name given without an extension gets the
    // selected filter's (".bmp" or ".jpg"), one with an extension is kept as it is; asks before
    // replacing an existing file. Returns the chosen full path, or nothing when the user
    // cancelled.
    virtual std::optional<std::string> AskSavePath(
        QWidget* owner, const std::string& proposedName) = 0;
};

// Qt's file dialog.
class QtSaveDialog final : public SaveDialog
{
public:
    std::optional<std::string> AskSavePath(
        QWidget* owner, const std::string& proposedName) override;

private:
    // The dialog opens in the folder of the last save, as a common dialog does.
    std::string lastFolder_;
};

// Asks `dialog` where to save `picture` and writes it there, as a Windows bitmap or as a JPEG by
// the chosen name (FormatForPath), replacing any file atomically. Cancel writes nothing. The
// program shows no message box: a write that fails leaves what was on disk and one line naming
// the file on standard error.
void SavePicture(
    SaveDialog& dialog, QWidget* owner, const QImage& picture, const std::string& proposedName);

} // namespace snapvale
