// Scratch folder, text-stream model and file helpers of the fuzz targets.
#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

void EnterScratchFolder(const char* targetName)
{
    std::error_code error;
    const fs::path base =
        fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path folder =
        base / (std::string(targetName) + "-" + std::to_string(static_cast<long>(getpid())));
    fs::remove_all(folder, error);
    fs::create_directories(folder);
    fs::current_path(folder);
    // Removed when the run ends normally; a finding leaves it for a look.
    static const fs::path scratch = folder;
    std::atexit([] {
        std::error_code ignored;
        fs::current_path("/", ignored);
        fs::remove_all(scratch, ignored);
    });
}

std::string DecodeTextStream(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\x1A'));
    std::string characters;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            continue;  // the LF that follows stands for both
        }
        characters += bytes[i];
    }
    return characters;
}

std::string ReadWholeFile(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteWholeFile(const char* name, std::string_view bytes)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void PropertyFailed(const char* property, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, property);
    std::abort();
}
