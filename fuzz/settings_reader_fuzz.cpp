// The settings reader on arbitrary settings files.
// Input: the bytes of "tarvek_dconv.ini".
// Checks: ReadSettings gives a value from 0 to 15; with six or more
// characters in the first read (at most nine, up to and including a line
// feed, after the text-stream rules) it is the low four bits of the sixth,
// with exactly five it is 0, and with fewer the default mode 2; the file is
// not changed and no other file appears.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "shell/settings.h"

namespace {

// The mode that the rules give for a file's bytes.
int ExpectedMode(std::string_view bytes)
{
    const std::string characters = DecodeTextStream(bytes);
    std::string read = characters.substr(0, 9);
    read = read.substr(0, read.find('\n') == std::string::npos ? read.size() : read.find('\n') + 1);
    if (read.size() >= 6) {
        return static_cast<unsigned char>(read[5]) & 0x0F;
    }
    return read.size() == 5 ? 0 : kDefaultMode;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    EnterScratchFolder("settings_reader_fuzz");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    WriteWholeFile(kSettingsFileName, bytes);

    const int mode = ReadSettings();

    FUZZ_CHECK(mode >= 0 && mode <= 15);
    FUZZ_CHECK(mode == ExpectedMode(bytes));
    FUZZ_CHECK(ReadWholeFile(kSettingsFileName) == bytes);
    const auto entries = std::filesystem::directory_iterator(".");
    FUZZ_CHECK(std::distance(std::filesystem::begin(entries), std::filesystem::end(entries)) == 1);
    return 0;
}
