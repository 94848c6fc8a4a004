// Feeds arbitrary bytes to the TGA decoder by every route a file takes: in memory in one pass,
// from a file on disk through the full read buffer and through one barely large enough (so
// pieces break at every odd place), and in steps through the bitmap. Besides the sanitizers'
// checks, all routes must give the same picture or all none, and a picture must be as large as
// its header says and fully opaque.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include "tga/tga_loader.h"

namespace {

// One file for the run's inputs, removed when the run ends. It lives in memory where the system
// offers a folder for that: rewriting a file on disk for every input would make the disk the
// fuzzer's pace.
class ScratchFile
{
public:
    ScratchFile()
        : path_(Folder() / ("tga_fuzz_" + std::to_string(ProcessId()) + ".tga"))
    {
    }
    ~ScratchFile()
    {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    const std::filesystem::path& Write(const std::uint8_t* data, std::size_t size)
    {
#ifdef _WIN32
        std::FILE* file = ::_wfopen(path_.c_str(), L"wb"); // the path's own wide name
#else
        std::FILE* file = std::fopen(path_.c_str(), "wb");
#endif
        if (!file || (size != 0 && std::fwrite(data, 1, size, file) != size)
            || std::fclose(file) != 0)
            std::abort();
        return path_;
    }

private:
    static long ProcessId()
    {
#ifdef _WIN32
        return ::_getpid();
#else
        return ::getpid();
#endif
    }

    static std::filesystem::path Folder()
    {
        std::error_code error;
        if (std::filesystem::is_directory("/dev/shm", error))
            return "/dev/shm";
        return std::filesystem::temp_directory_path();
    }

    std::filesystem::path path_;
};

bool Same(const std::optional<snapvale::Picture>& a, const std::optional<snapvale::Picture>& b)
{
    if (!a || !b)
        return !a && !b;
    return a->width() == b->width() && a->height() == b->height()
        && std::memcmp(a->data(), b->data(),
               static_cast<std::size_t>(a->width()) * static_cast<std::size_t>(a->height()) * 4)
        == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static ScratchFile scratch;
    static std::vector<std::uint8_t> smallBuffer(snapvale::kTGAMinReadBufferSize + 3);

    const std::span<const std::uint8_t> file(data, size);
    const std::optional<snapvale::Picture> picture = snapvale::DecodeTGA(file);

    const std::filesystem::path& path = scratch.Write(data, size);
    if (!Same(picture, snapvale::LoadTGA(path))
        || !Same(picture, snapvale::LoadTGA(path, smallBuffer)))
        std::abort();
    std::optional<snapvale::Picture> stepped;
    if (const std::optional<snapvale::TGABitmap> bitmap = snapvale::DecodeTGABitmap(file))
        stepped = snapvale::CreatePictureFromDIB(bitmap->pixels.bytes(), bitmap->info);
    if (!Same(picture, stepped))
        std::abort();

    if (!picture)
        return 0;
    const std::optional<snapvale::TGAHeader> header = snapvale::ReadTGAHeader(file);
    if (!header || picture->width() != header->Width || picture->height() != header->Height)
        std::abort();
    std::uint32_t all = 0xFFFFFFFFu;
    for (int y = 0; y < picture->height(); ++y)
        for (int x = 0; x < picture->width(); ++x)
            all &= picture->pixel(x, y);
    if ((all >> 24) != 0xFF)
        std::abort();
    return 0;
}
