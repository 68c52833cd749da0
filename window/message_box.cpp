// Message boxes for the core's reports.
#include "window/message_box.h"

#include "platform/wide_text.h"
#include "window/program_title.h"

std::string FillPlaceholder(std::string_view format, std::string_view value)
{
    std::string message(format);
    const std::size_t at = message.find("%1");
    if (at != std::string::npos) {
        message.replace(at, 2, value);
    }
    return message;
}

void MessageBoxNotifier::Show(std::string_view text)
{
    MessageBoxW(m_owner, WideFromUtf8(text).c_str(), ApplicationTitle().c_str(),
                MB_OK | MB_ICONEXCLAMATION);
}
