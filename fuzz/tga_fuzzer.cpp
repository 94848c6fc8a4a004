// Feeds arbitrary bytes to the TGA decoder by every route a file takes: in memory in one pass,
// from a file through the full read buffer and through one barely large enough (so pieces break at
// every odd place), and through the bitmap steps of the reference decoder in tests/support.
// Besides the sanitizers' checks, all routes must give the same picture or all none, the decoder's
// routes must give the same reason for none, and a picture must be as large as its header says
// and fully opaque.

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
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "support/tga_reference.h"
#include "tga/tga_loader.h"

namespace {

// One file for the run's inputs. On Linux it is a file in memory that no folder names (the
// decoder opens it through /proc/self/fd), so nothing is left behind however the run ends, a
// crash or a timeout included, and the disk never sets the fuzzer's pace. Elsewhere it is a file
// in the temporary folder, removed when the run ends.
class ScratchFile
{
public:
    ScratchFile()
    {
#ifdef _WIN32
        path_ = std::filesystem::temp_directory_path()
            / ("tga_fuzz_" + std::to_string(::_getpid()) + ".tga");
#else
        fd_ = ::memfd_create("tga_fuzz", MFD_CLOEXEC);
        if (fd_ < 0)
            std::abort();
        path_ = "/proc/self/fd/" + std::to_string(fd_);
#endif
    }
    ~ScratchFile()
    {
#ifdef _WIN32
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
#else
        ::close(fd_);
#endif
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::filesystem::path& Write(const std::uint8_t* data, std::size_t size)
    {
#ifdef _WIN32
        std::FILE* file = ::_wfopen(path_.c_str(), L"wb"); // the path's own wide name
        if (!file || (size != 0 && std::fwrite(data, 1, size, file) != size)
            || std::fclose(file) != 0)
            std::abort();
#else
        if (::ftruncate(fd_, 0) != 0)
            std::abort();
        for (std::size_t done = 0; done < size;) {
            const ssize_t written = ::pwrite(fd_, data + done, size - done, off_t(done));
            if (written <= 0)
                std::abort();
            done += std::size_t(written);
        }
#endif
        return path_;
    }

private:
    std::filesystem::path path_;
#ifndef _WIN32
    int fd_ = -1;
#endif
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

bool Same(const snapvale::TGAResult& a, const snapvale::TGAResult& b)
{
    return Same(a.picture, b.picture) && (a.picture || a.failure.reason == b.failure.reason);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static ScratchFile scratch;
    static std::vector<std::uint8_t> smallBuffer(snapvale::kTGAMinReadBufferSize + 3);

    const std::span<const std::uint8_t> file(data, size);
    const snapvale::TGAResult result = snapvale::DecodeTGAWithReason(file);

    const std::filesystem::path& path = scratch.Write(data, size);
    if (!Same(result, snapvale::LoadTGAWithReason(path))
        || !Same(result, snapvale::LoadTGAWithReason(path, smallBuffer)))
        std::abort();
    if (!Same(result.picture, snapvale::test::DecodeTGAInSteps(file)))
        std::abort();

    const std::optional<snapvale::TGAHeader> header = snapvale::ReadTGAHeader(file);
    if (!result.picture) {
        // Too large is said only of a header that claims more than the limit (the colour map
        // or the image ID may have been refused before the size was looked at).
        if (result.failure.reason == snapvale::TGAReason::TooLarge
            && !(header && snapvale::CheckHeader(*header)
                && std::size_t(header->Width) * std::size_t(header->Height)
                    > snapvale::kMaxPicturePixels))
            std::abort();
        return 0;
    }
    const snapvale::Picture& picture = *result.picture;
    if (!header || picture.width() != header->Width || picture.height() != header->Height)
        std::abort();
    std::uint32_t all = 0xFFFFFFFFu;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            all &= picture.pixel(x, y);
    if ((all >> 24) != 0xFF)
        std::abort();
    return 0;
}
