#include <deque>
#include <filesystem>

#include <QTest>
#include <gtest/gtest.h>

#include "export/jpeg_codec.h"
#include "qt/batch_export.h"
#include "support/main_window_fixture.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempFolder;
using test::WriteScreenshot;
using Names = std::vector<std::string>;

// Answers from a script (Skip when it runs out) and notes what was asked.
class ScriptedQuestion final : public ExistingFileQuestion
{
public:
    ExistingFileAnswer AskAboutExisting(const std::string& target) override
    {
        asked.push_back(fs::path(target).filename().string());
        if (answers.empty())
            return ExistingFileAnswer::Skip;
        const ExistingFileAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<ExistingFileAnswer> answers;
    Names asked;
};

Names Entries(const fs::path& folder)
{
    Names names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void RunToEnd(BatchExport& run)
{
    run.Start();
    ASSERT_TRUE(QTest::qWaitFor([&run] { return run.IsFinished(); }, 120000));
}

// Screenshots of different sizes, so that one written under another's name shows.
std::map<std::string, QImage> WriteShots(const TempFolder& folder, int count, int width)
{
    std::map<std::string, QImage> pictures;
    for (int i = 0; i < count; ++i) {
        const std::string name = "Shot" + std::to_string(100 + i) + ".tga";
        pictures[name] = WriteScreenshot(folder, name, width + i, 48, 2004, 5, 17);
    }
    return pictures;
}

// Each file is the picture, pixel for pixel; an existing file is replaced only when the user
// said so, and after "overwrite all" without asking again; a file that cannot be read is
// reported with its reason and the rest go on.
TEST(BatchExport, WritesEachPictureAndAsksBeforeReplacing)
{
    TempFolder images;
    TempFolder out;
    std::map<std::string, QImage> pictures = WriteShots(images, 5, 64);
    images.Write("broken.tga", "not a picture");
    for (const char* name : { "Shot100.png", "Shot101.png", "Shot102.png" })
        out.Write(name, "earlier");
    Names names{ "broken.tga" };
    for (const auto& [name, picture] : pictures)
        names.push_back(name);

    ScriptedQuestion question;
    question.answers = { ExistingFileAnswer::Skip, ExistingFileAnswer::OverwriteAll };
    BatchExport run(
        images.folder(), names, { out.path().string(), ExportFormat::Png, 80 }, question);
    RunToEnd(run);

    ASSERT_EQ(question.asked.size(), 2u);
    const ExportSummary& summary = run.summary();
    EXPECT_EQ(summary.written, 4);
    EXPECT_EQ(summary.skipped, 1);
    EXPECT_EQ(summary.notDone, 0);
    ASSERT_EQ(summary.failed.size(), 1u);
    EXPECT_EQ(summary.failed[0].source, "broken.tga");
    EXPECT_FALSE(summary.failed[0].reason.empty());
    EXPECT_EQ(Entries(out.path()),
        (Names{ "Shot100.png", "Shot101.png", "Shot102.png", "Shot103.png", "Shot104.png" }));
    const std::string skipped = question.asked.front();
    EXPECT_EQ(ReadFileBytes(out.path() / skipped), "earlier");
    for (const auto& [name, picture] : pictures) {
        const std::string png = ExportFileName(name, ExportFormat::Png);
        if (png == skipped)
            continue;
        SCOPED_TRACE(png);
        const QImage written(QString::fromStdString((out.path() / png).string()), "PNG");
        EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), picture);
    }
}

// Cancelled as the third file is done: the files being written then are finished whole or not
// at all, nothing else starts, and every file left is a whole picture.
TEST(BatchExport, CancelHalfwayLeavesOnlyWholeFiles)
{
    TempFolder images;
    TempFolder out;
    const std::map<std::string, QImage> pictures = WriteShots(images, 24, 320);
    Names names;
    for (const auto& [name, picture] : pictures)
        names.push_back(name);
    ScriptedQuestion question;
    BatchExport run(images.folder(), names, { out.folder(), ExportFormat::Jpeg, 90 }, question);
    QObject::connect(&run, &BatchExport::Progress, [&run](int done, int) {
        if (done == 3)
            run.Cancel();
    });
    RunToEnd(run);

    const ExportSummary& summary = run.summary();
    EXPECT_TRUE(summary.cancelled);
    EXPECT_GE(summary.written, 3);
    EXPECT_LE(summary.written, 3 + BatchExport::kWorkers);
    EXPECT_EQ(summary.written + summary.notDone, 24);
    const Names files = Entries(out.path());
    EXPECT_EQ(files.size(), static_cast<std::size_t>(summary.written));
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        // Read back by our own decoder: Qt may be built without its JPEG reader.
        int width = 0, height = 0;
        std::vector<std::uint32_t> pixels;
        ASSERT_TRUE(DecodeJpeg(test::ReadFileBytes(out.path() / file), width, height, pixels));
        const QImage written(
            reinterpret_cast<const uchar*>(pixels.data()), width, height, QImage::Format_RGB32);
        const QImage& picture = pictures.at(file.substr(0, file.size() - 4) + ".tga");
        ASSERT_EQ(written.size(), picture.size());
        // The last rows are the last bytes written: a file cut short would lose them.
        const int y = picture.height() - 1;
        for (int x = 0; x < picture.width(); x += 37)
            EXPECT_LE(std::abs(qRed(written.pixel(x, y)) - qRed(picture.pixel(x, y))), 24) << x;
    }
}

} // namespace
} // namespace snapvale
