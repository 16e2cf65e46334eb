// Runs a fuzz target over saved inputs, so that the regular test suite
// replays the corpus without libFuzzer: each argument is a file or a folder
// of files.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

bool replay(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    std::vector<char> bytes { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
    const size_t size = bytes.size();
    bytes.push_back(0); // libFuzzer never passes a null pointer, not even for the empty input
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), size);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    int count = 0;
    bool ok = argc > 1;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (!std::filesystem::is_directory(path)) {
            ok = replay(path) && ok;
            ++count;
            continue;
        }
        for (const auto &entry : std::filesystem::directory_iterator(path)) {
            if (entry.is_regular_file()) {
                ok = replay(entry.path()) && ok;
                ++count;
            }
        }
    }
    std::printf("%d inputs replayed\n", count);
    return ok && count > 0 ? 0 : 1;
}
