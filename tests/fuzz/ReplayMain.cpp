// The main of a fuzz target outside a fuzzing tree: runs the target once on each file named on the
// command line (a folder stands for the files in it), as libFuzzer does when it is given files.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::filesystem::is_directory(argv[i])) {
            for (const auto& entry : std::filesystem::directory_iterator(argv[i]))
                if (entry.is_regular_file()) files.push_back(entry.path().string());
        } else {
            files.emplace_back(argv[i]);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: %s INPUT-FILE-OR-FOLDER...\n", argv[0]);
        return 2;
    }
    for (const std::string& file : files) {
        if (!std::filesystem::is_regular_file(file)) {
            std::fprintf(stderr, "%s: no such file\n", file.c_str());
            return 2;
        }
        std::fprintf(stderr, "Running: %s\n", file.c_str());
        const std::string input = linkmend::fuzz::ReadWholeFile(file);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    }
    std::fprintf(stderr, "Executed %zu inputs\n", files.size());
    return 0;
}
