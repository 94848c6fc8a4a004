#pragma once

// Writes a set of screenshots as PNG or JPEG files into one folder, on worker threads of its own:
// each file decoded, encoded and written atomically off the UI thread, the progress and the
// questions handed to the UI thread. A file already at a target is never replaced without an
// answer from the user, and a cancel leaves only whole files behind.

#include <atomic>
#include <deque>
#include <string>
#include <vector>

#include <QObject>
#include <QThreadPool>

namespace snapvale {

enum class ExportFormat {
    Png,
    Jpeg,
};

struct ExportSettings
{
    std::string folder; // where the files go, with or without a trailing separator
    ExportFormat format = ExportFormat::Png;
    int quality = 80; // JPEG quality, 1 to 100
};

enum class ExistingFileAnswer {
    Skip,
    Overwrite,
    OverwriteAll, // this file and every later one
};

// Asked on the UI thread whenever a target file exists; a dialog in the program, a script in
// tests. The export goes on for other files while the question is open.
class ExistingFileQuestion
{
public:
    virtual ~ExistingFileQuestion() = default;
    virtual ExistingFileAnswer AskAboutExisting(const std::string& target) = 0;
};

struct ExportFailure
{
    std::string source; // the screenshot's bare name
    std::string reason; // in Japanese
};

struct ExportSummary
{
    int written = 0;
    int skipped = 0; // existing targets the user kept
    int notDone = 0; // left when the export was cancelled
    std::vector<ExportFailure> failed;
    bool cancelled = false;
};

// The file name a screenshot is exported under: its name up to the extension, and the format's
// (".png", ".jpg").
std::string ExportFileName(const std::string& sourceName, ExportFormat format);

class BatchExport : public QObject
{
    Q_OBJECT

public:
    static constexpr int kWorkers = 2;

    // Exports the screenshots `names` of `sourceFolder` (ending in a separator) as `settings`
    // say, asking `question` about files that exist; `question` must outlive the export.
    BatchExport(std::string sourceFolder, std::vector<std::string> names, ExportSettings settings,
        ExistingFileQuestion& question, QObject* parent = nullptr);
    // Cancels, and waits for the files being written.
    ~BatchExport() override;

    void Start();
    // Starts no further file: the ones being written are finished whole, the rest are counted
    // as not done. Finished follows once the running ones are done.
    void Cancel();

    int total() const { return static_cast<int>(names_.size()); }
    // Files written, skipped or failed so far.
    int done() const
    {
        return summary_.written + summary_.skipped + static_cast<int>(summary_.failed.size());
    }
    bool IsFinished() const { return finished_; }
    const ExportSummary& summary() const { return summary_; }

signals:
    void Progress(int done, int total);
    // Once, when every file is done, skipped, failed or, after a cancel, left.
    void Finished();

private:
    enum class Outcome {
        Written,
        Exists,
        Failed,
        Cancelled,
    };
    struct Job
    {
        int index; // into names_
        bool overwrite; // replace what is at the target: the user said so
    };
    struct Result
    {
        int index;
        Outcome outcome;
        std::string reason; // for Failed
    };

    // On a worker: the whole work of one job.
    Result Run(const Job& job) const;
    std::string TargetOf(int index) const;

    void StartJobs();
    void JobDone(const Result& result);
    // Asks about the waiting files one at a time; the question's own event loop may deliver
    // more results meanwhile, which wait their turn.
    void AskAboutExisting();
    void FinishIfDone();
    void ReportProgress();

    std::string sourceFolder_;
    std::vector<std::string> names_;
    ExportSettings settings_;
    ExistingFileQuestion& question_;
    QThreadPool pool_;
    std::deque<Job> queue_;
    // Files whose target exists, waiting for the user's answer in turn.
    std::deque<int> waiting_;
    int running_ = 0;
    bool asking_ = false;
    bool started_ = false;
    bool finished_ = false;
    // Read by the workers: no new file is written after a cancel, and after "overwrite all"
    // existing files are replaced without a question.
    std::atomic<bool> cancelled_ = false;
    std::atomic<bool> overwriteAll_ = false;
    ExportSummary summary_;
};

} // namespace snapvale
