// Console reporting: one message a line on stderr, in UTF-8.
#include <cstdio>

#include "platform/notifier.h"

void StderrNotifier::Show(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}
