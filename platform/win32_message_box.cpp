// Message boxes for the core's reports.
#include "platform/win32_message_box.h"

#include "platform/win32_app.h"
#include "platform/win32_text.h"

void MessageBoxNotifier::Show(std::string_view text)
{
    MessageBoxW(m_owner, WideFromUtf8(text).c_str(), ApplicationTitle().c_str(),
                MB_OK | MB_ICONEXCLAMATION);
}
