// Runs the fuzz target once on every file below the folders (or files) named on the command
// line, so the seed corpus and past findings stay regression tests without libFuzzer.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void Replay(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes{ std::istreambuf_iterator<char>(in),
        std::istreambuf_iterator<char>() };
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

} // namespace

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path root(argv[i]);
        std::error_code error;
        if (fs::is_regular_file(root, error)) {
            Replay(root);
            ++count;
            continue;
        }
        if (!fs::is_directory(root, error)) {
            std::fprintf(stderr, "not found: %s\n", argv[i]);
            return 1;
        }
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file()) {
                Replay(entry.path());
                ++count;
            }
    }
    std::printf("replayed %zu inputs\n", count);
    return count > 0 ? 0 : 1;
}
