// Runs the fuzz target once on every file below the folders (or files) named on the command
// line, so the seed corpus and past findings stay regression tests without libFuzzer, and counts
// what the decoder made of them: pictures, and files refused for each reason.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "tga/tga_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

const char* Name(snapvale::TGAReason reason)
{
    switch (reason) {
    case snapvale::TGAReason::NotTGA:
        return "not a TGA";
    case snapvale::TGAReason::UnsupportedType:
        return "unsupported type";
    case snapvale::TGAReason::TooLarge:
        return "too large";
    case snapvale::TGAReason::Truncated:
        return "truncated";
    case snapvale::TGAReason::Unreadable:
        break;
    }
    return "unreadable";
}

std::map<std::string, int> tally;

void Replay(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes{ std::istreambuf_iterator<char>(in),
        std::istreambuf_iterator<char>() };
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    const snapvale::TGAResult result = snapvale::DecodeTGAWithReason(bytes);
    ++tally[result.picture ? "picture" : Name(result.failure.reason)];
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
    std::printf("replayed %zu inputs:", count);
    for (const auto& [what, number] : tally)
        std::printf(" %d %s;", number, what.c_str());
    std::printf("\n");
    return count > 0 ? 0 : 1;
}
