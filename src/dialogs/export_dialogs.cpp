#include "dialogs/export_dialogs.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "base/twips.h"
#include "dialogs/typed_folder.h"
#include "qt/folder_browser.h"
#include "qt/qt_text.h"
#include "qt/ui_font.h"

namespace snapvale {

namespace {

const QString kTitle = QStringLiteral("画像の書き出し");

} // namespace

ExportDialog::ExportDialog(
    QWidget* owner, FolderBrowser& browser, const ExportSettings& initial, int count)
    : QDialog(owner)
    , browser_(browser)
{
    setObjectName("ExportDialog");
    setFont(JapaneseUiFont());
    setWindowTitle(kTitle);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* what = new QLabel(QStringLiteral("%1 枚の画像を書き出します。").arg(count), this);
    txtFolder = new QLineEdit(PathToQString(initial.folder), this);
    txtFolder->setObjectName("txtFolder");
    txtFolder->setMinimumWidth(320);
    auto* cmdFolder = new QPushButton(QStringLiteral("..."), this);
    cmdFolder->setObjectName("cmdFolder");
    cmdFolder->setAutoDefault(false);
    // As narrow as the options dialog's button of the same kind.
    cmdFolder->setFixedWidth(TwipsToPixels(615));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(txtFolder, 1);
    folderRow->addWidget(cmdFolder);

    optPng = new QRadioButton(QStringLiteral("PNG (劣化なし)"), this);
    optPng->setObjectName("optPng");
    optJpeg = new QRadioButton(QStringLiteral("JPEG"), this);
    optJpeg->setObjectName("optJpeg");
    (initial.format == ExportFormat::Png ? optPng : optJpeg)->setChecked(true);
    spnQuality = new QSpinBox(this);
    spnQuality->setObjectName("spnQuality");
    spnQuality->setRange(1, 100);
    spnQuality->setValue(initial.quality);
    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(optPng);
    formatRow->addWidget(optJpeg);
    formatRow->addWidget(new QLabel(QStringLiteral("画質"), this));
    formatRow->addWidget(spnQuality);
    formatRow->addStretch(1);

    auto* buttons = new QDialogButtonBox(this);
    cmdOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole)
        ->setObjectName("cmdCancel");

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("書き出し先フォルダ"), folderRow);
    form->addRow(QStringLiteral("形式"), formatRow);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(what);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(cmdFolder, &QPushButton::clicked, this, &ExportDialog::Browse);
    connect(optJpeg, &QRadioButton::toggled, this, &ExportDialog::UpdateControls);
    connect(txtFolder, &QLineEdit::textChanged, this, &ExportDialog::UpdateControls);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    UpdateControls();
}

ExportSettings ExportDialog::Settings() const
{
    return { TypedFolder(txtFolder->text()),
        optJpeg->isChecked() ? ExportFormat::Jpeg : ExportFormat::Png, spnQuality->value() };
}

void ExportDialog::Browse()
{
    const std::string chosen =
        browser_.BrowseForFolder(this, TypedFolder(txtFolder->text()), "書き出し先フォルダを選択");
    if (!chosen.empty())
        txtFolder->setText(PathToQString(chosen));
}

void ExportDialog::UpdateControls()
{
    spnQuality->setEnabled(optJpeg->isChecked());
    cmdOK->setEnabled(!TypedFolder(txtFolder->text()).empty());
}

ExistingFileBox::ExistingFileBox(QWidget* owner)
    : owner_(owner)
{
}

ExistingFileAnswer ExistingFileBox::AskAboutExisting(const std::string& target)
{
    QMessageBox box(QMessageBox::Question, kTitle,
        QStringLiteral("「%1」はすでにあります。上書きしますか?")
            .arg(QFileInfo(PathToQString(target)).fileName()),
        QMessageBox::NoButton, owner_);
    QPushButton* overwrite = box.addButton(QStringLiteral("上書き"), QMessageBox::AcceptRole);
    QPushButton* all = box.addButton(QStringLiteral("すべて上書き"), QMessageBox::AcceptRole);
    QPushButton* skip = box.addButton(QStringLiteral("スキップ"), QMessageBox::RejectRole);
    box.setDefaultButton(skip);
    box.setEscapeButton(skip);
    box.exec();
    if (box.clickedButton() == overwrite)
        return ExistingFileAnswer::Overwrite;
    if (box.clickedButton() == all)
        return ExistingFileAnswer::OverwriteAll;
    return ExistingFileAnswer::Skip;
}

QString ExportSummaryText(const ExportSummary& summary)
{
    QStringList lines{ QStringLiteral("%1 枚を書き出しました。").arg(summary.written) };
    if (summary.skipped > 0)
        lines << QStringLiteral("%1 枚は同じ名前のファイルがあるためスキップしました。")
                     .arg(summary.skipped);
    if (summary.notDone > 0)
        lines << QStringLiteral("%1 枚は中止したため書き出していません。").arg(summary.notDone);
    if (!summary.failed.empty()) {
        lines << QStringLiteral("%1 枚は書き出せませんでした:").arg(summary.failed.size());
        for (const ExportFailure& failure : summary.failed)
            lines << PathToQString(failure.source) + QStringLiteral(": ")
                    + TextToQString(failure.reason);
    }
    return lines.join('\n');
}

void RunExport(QWidget* owner, FolderBrowser& browser, ExistingFileQuestion& question,
    ExportSettings& last, const std::string& sourceFolder, const std::vector<std::string>& names)
{
    if (names.empty())
        return;
    const int count = static_cast<int>(names.size());
    {
        ExportDialog options(owner, browser, last, count);
        if (options.exec() != QDialog::Accepted)
            return;
        last = options.Settings();
    }

    BatchExport run(sourceFolder, names, last, question);
    QProgressDialog progress(owner);
    progress.setObjectName("ExportProgress");
    progress.setWindowTitle(kTitle);
    progress.setLabelText(QStringLiteral("書き出し中… 0 / %1").arg(count));
    progress.setCancelButtonText(QStringLiteral("キャンセル"));
    progress.setRange(0, count);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(0);
    // Queued: a modal progress dialog runs the event loop inside setValue, which must not
    // happen inside the export's own handling of a finished file. A count still on its way when
    // the export has finished is dropped: setValue would show the dialog again over the summary.
    bool over = false;
    QObject::connect(
        &run, &BatchExport::Progress, &progress,
        [&progress, &over](int done, int total) {
            if (over)
                return;
            progress.setValue(done);
            progress.setLabelText(QStringLiteral("書き出し中… %1 / %2").arg(done).arg(total));
        },
        Qt::QueuedConnection);
    QObject::connect(&progress, &QProgressDialog::canceled, &run, &BatchExport::Cancel);
    QEventLoop loop;
    QObject::connect(&run, &BatchExport::Finished, &loop, &QEventLoop::quit);
    run.Start();
    progress.show();
    // Asked after show(), which may run events of its own, so that an export that finished
    // meanwhile does not leave the loop waiting for a Finished already gone.
    if (!run.IsFinished())
        loop.exec();
    over = true;
    progress.hide();

    QMessageBox summary(
        QMessageBox::Information, kTitle, ExportSummaryText(run.summary()), QMessageBox::Ok, owner);
    summary.setObjectName("ExportSummary");
    summary.exec();
}

} // namespace snapvale
