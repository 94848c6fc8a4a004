#include "qt/batch_export.h"

#include <QDir>

#include "export/jpeg_codec.h"
#include "os/file_replace.h"
#include "qt/picture_files.h"
#include "qt/picture_image.h"
#include "qt/qt_text.h"

namespace snapvale {

namespace {

// Why a file could not be written where it was to go, as far as the folder tells.
std::string WriteFailureReason(const std::string& target)
{
    FileSystem& fs = FileSystem::Default();
    switch (fs.AskWriteAccess(FolderOf(target))) {
    case WriteAccess::Missing:
        return "書き出し先のフォルダがありません。";
    case WriteAccess::ReadOnly:
        return "書き出し先のフォルダに書き込む権限がありません。";
    case WriteAccess::Writable:
        break;
    }
    if (fs.AskWriteAccess(target) == WriteAccess::ReadOnly)
        return "同じ名前の読み取り専用のファイルがあります。";
    return "ファイルを書き込めませんでした。";
}

} // namespace

std::string ExportFileName(const std::string& sourceName, ExportFormat format)
{
    const std::size_t dot = sourceName.rfind('.');
    const std::string stem =
        dot == std::string::npos || dot == 0 ? sourceName : sourceName.substr(0, dot);
    return stem + (format == ExportFormat::Png ? ".png" : ".jpg");
}

BatchExport::BatchExport(std::string sourceFolder, std::vector<std::string> names,
    ExportSettings settings, ExistingFileQuestion& question, QObject* parent)
    : QObject(parent)
    , sourceFolder_(std::move(sourceFolder))
    , names_(std::move(names))
    , settings_(std::move(settings))
    , question_(question)
{
    pool_.setMaxThreadCount(kWorkers);
}

BatchExport::~BatchExport()
{
    cancelled_ = true;
    queue_.clear();
    // Running jobs post their results to this object, which must outlive them.
    pool_.waitForDone();
}

std::string BatchExport::TargetOf(int index) const
{
    const QString name =
        PathToQString(ExportFileName(names_[static_cast<std::size_t>(index)], settings_.format));
    return PathFromQString(
        QDir::toNativeSeparators(QDir(PathToQString(settings_.folder)).filePath(name)));
}

void BatchExport::Start()
{
    if (started_)
        return;
    started_ = true;
    for (int i = 0; i < total(); ++i)
        queue_.push_back({ i, false });
    StartJobs();
    FinishIfDone();
}

void BatchExport::Cancel()
{
    if (finished_ || cancelled_)
        return;
    cancelled_ = true;
    summary_.cancelled = true;
    summary_.notDone += static_cast<int>(queue_.size() + waiting_.size());
    queue_.clear();
    waiting_.clear();
    FinishIfDone();
}

BatchExport::Result BatchExport::Run(const Job& job) const
{
    Result result{ job.index, Outcome::Cancelled, {} };
    const std::string target = TargetOf(job.index);
    if (cancelled_)
        return result;
    const bool replace = job.overwrite || overwriteAll_;
    // A target seen before the work costs no decoding; one that appears meanwhile is still
    // never replaced, since the file is written under a name no other file has.
    if (!replace && FileSystem::Default().AskWriteAccess(target) != WriteAccess::Missing) {
        result.outcome = Outcome::Exists;
        return result;
    }
    const QImage picture =
        LoadTGAImage(sourceFolder_ + names_[static_cast<std::size_t>(job.index)]);
    if (picture.isNull()) {
        result.outcome = Outcome::Failed;
        result.reason = "TGA画像として読めませんでした。";
        return result;
    }
    const std::string bytes = settings_.format == ExportFormat::Png
        ? EncodePng(picture)
        : EncodeJpeg(PixelsOf(picture), settings_.quality);
    if (bytes.empty()) {
        result.outcome = Outcome::Failed;
        result.reason = "画像を変換できませんでした。";
        return result;
    }
    // Cancelled while encoding: nothing more is written.
    if (cancelled_)
        return result;
    if (replace) {
        const Status written = ReplaceFileContents(target, bytes);
        result.outcome = written ? Outcome::Written : Outcome::Failed;
        result.reason = written.reason();
    } else {
        switch (WriteNewFileContents(target, bytes)) {
        case NewFileStatus::Written:
            result.outcome = Outcome::Written;
            break;
        case NewFileStatus::TargetExists:
            result.outcome = Outcome::Exists;
            break;
        case NewFileStatus::Failed:
            result.outcome = Outcome::Failed;
            break;
        }
    }
    if (result.outcome == Outcome::Failed && result.reason.empty())
        result.reason = WriteFailureReason(target);
    return result;
}

void BatchExport::StartJobs()
{
    while (!queue_.empty() && running_ < kWorkers) {
        const Job job = queue_.front();
        queue_.pop_front();
        ++running_;
        pool_.start([this, job] {
            const Result result = Run(job);
            QMetaObject::invokeMethod(
                this, [this, result] { JobDone(result); }, Qt::QueuedConnection);
        });
    }
}

void BatchExport::JobDone(const Result& result)
{
    --running_;
    switch (result.outcome) {
    case Outcome::Written:
        ++summary_.written;
        ReportProgress();
        break;
    case Outcome::Failed:
        summary_.failed.push_back(
            { names_[static_cast<std::size_t>(result.index)], result.reason });
        ReportProgress();
        break;
    case Outcome::Cancelled:
        ++summary_.notDone;
        break;
    case Outcome::Exists:
        if (cancelled_)
            ++summary_.notDone;
        else
            waiting_.push_back(result.index);
        break;
    }
    StartJobs();
    AskAboutExisting();
    FinishIfDone();
}

void BatchExport::AskAboutExisting()
{
    if (asking_)
        return;
    asking_ = true;
    while (!waiting_.empty() && !cancelled_) {
        const int index = waiting_.front();
        waiting_.pop_front();
        ExistingFileAnswer answer = ExistingFileAnswer::Overwrite;
        if (!overwriteAll_)
            answer = question_.AskAboutExisting(TargetOf(index));
        if (cancelled_) {
            ++summary_.notDone;
            break;
        }
        if (answer == ExistingFileAnswer::Skip) {
            ++summary_.skipped;
            ReportProgress();
            continue;
        }
        if (answer == ExistingFileAnswer::OverwriteAll)
            overwriteAll_ = true;
        // Answered files go first: the user is waiting to see them done.
        queue_.push_front({ index, true });
        StartJobs();
    }
    asking_ = false;
}

void BatchExport::FinishIfDone()
{
    if (finished_ || !started_ || running_ > 0 || !queue_.empty() || !waiting_.empty() || asking_)
        return;
    finished_ = true;
    emit Finished();
}

void BatchExport::ReportProgress() { emit Progress(done(), total()); }

} // namespace snapvale
