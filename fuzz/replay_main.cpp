// Runs a libFuzzer harness over every file of its seed corpus, for builds without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    int files = 0;
    auto run = [&files](const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        ++files;
    };
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(argv[i], ec)) {
            run(argv[i]);
            continue;
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i], ec))
            if (entry.is_regular_file())
                run(entry.path());
        if (ec)
            std::fprintf(stderr, "%s: %s\n", argv[i], ec.message().c_str());
    }
    std::printf("%d corpus files ran\n", files);
    return files > 0 ? 0 : 1;
}
