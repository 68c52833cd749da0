// Reading and writing the settings file as a text stream.
#include "shell/settings.h"

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/text_stream.h"

namespace {

// One read takes at most this many characters, stopping after a line feed.
constexpr std::size_t kReadLimit = 9;

// The mode digit stands right after the prefix.
constexpr std::size_t kModeOffset = std::string_view(kSettingsPrefix).size();

}  // namespace

int ReadSettings()
{
    TextInputFile file;
    if (!file.Open(kSettingsFileName)) {
        WriteSettings(kDefaultMode);
        return kDefaultMode;
    }
    char line[kReadLimit + 1];
    const std::size_t length = file.ReadLine(line, kReadLimit);
    if (length < kModeOffset) {
        return kDefaultMode;
    }
    // With exactly five characters the mode position holds the closing NUL.
    return static_cast<unsigned char>(line[kModeOffset]) & 0x0F;
}

void WriteSettings(int mode)
{
    TextOutputFile file;
    if (!file.Create(kSettingsFileName)) {
        return;
    }
    std::string content = kSettingsPrefix;
    content += static_cast<char>('0' + mode);
    content += '\r';
    file.Write(content);
    file.Close();
}
