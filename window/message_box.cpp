// Message boxes for the core's reports.
#include "window/message_box.h"

#include "platform/wide_text.h"
#include "window/app.h"

void MessageBoxNotifier::Show(std::string_view text)
{
    MessageBoxW(m_owner, WideFromUtf8(text).c_str(), ApplicationTitle().c_str(),
                MB_OK | MB_ICONEXCLAMATION);
}
