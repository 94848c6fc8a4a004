#pragma once

// The dialogs of exporting a date's screenshots: where and how to write them, the progress with
// its cancel button, the question about a file that exists, and the summary at the end.

#include <optional>
#include <string>
#include <vector>

#include <QDialog>

#include "qt/batch_export.h"

class QButtonGroup;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace snapvale {

class FolderBrowser;

// The export's options: the folder (typed, pasted or browsed), PNG or JPEG, and the JPEG quality.
class ExportDialog : public QDialog
{
    Q_OBJECT

public:
    ExportDialog(QWidget* owner, FolderBrowser& browser, const ExportSettings& initial, int count);

    // The options as the dialog shows them.
    ExportSettings Settings() const;

private:
    void Browse();
    void UpdateControls();

    FolderBrowser& browser_;
    QLineEdit* txtFolder = nullptr;
    QRadioButton* optPng = nullptr;
    QRadioButton* optJpeg = nullptr;
    QSpinBox* spnQuality = nullptr;
    QPushButton* cmdOK = nullptr;
};

// Asks with a message box over `owner`: skip, overwrite, or overwrite all. Closing the box skips.
class ExistingFileBox final : public ExistingFileQuestion
{
public:
    explicit ExistingFileBox(QWidget* owner);
    ExistingFileAnswer AskAboutExisting(const std::string& target) override;

private:
    QWidget* owner_;
};

// The summary's text: how many were written, skipped and left, and each failure with its reason.
QString ExportSummaryText(const ExportSummary& summary);

// Runs the export of `names` in `sourceFolder` over `owner`: the options dialog, starting from
// `last`, which keeps the options chosen for the next export; then the export with a progress
// dialog that can cancel it; then the summary. Returns when it is all over; the window stays
// responsive meanwhile. Nothing happens for an empty `names` or when the options are cancelled.
void RunExport(QWidget* owner, FolderBrowser& browser, ExistingFileQuestion& question,
    ExportSettings& last, const std::string& sourceFolder, const std::vector<std::string>& names);

} // namespace snapvale
