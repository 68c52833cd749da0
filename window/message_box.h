// Reports to the user as message boxes: one OK button, the exclamation icon,
// the application title as caption, modal to the window that owns them.
// Window layer, Win32 only.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/notifier.h"

// A message with its placeholder %1 filled with value, as the boxes show it.
std::string FillPlaceholder(std::string_view format, std::string_view value);

class MessageBoxNotifier final : public Notifier {
public:
    // The window that owns the boxes and is disabled while one is shown.
    void SetOwner(HWND owner) { m_owner = owner; }

    void Show(std::string_view text) override;

private:
    HWND m_owner = nullptr;
};
