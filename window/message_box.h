// Reports to the user as message boxes: one OK button, the exclamation icon,
// the application title as caption, modal to the window that owns them.
// Window layer, Win32 only.
#pragma once

#include <windows.h>

#include "platform/notifier.h"

class MessageBoxNotifier final : public Notifier {
public:
    // The window that owns the boxes and is disabled while one is shown.
    void SetOwner(HWND owner) { m_owner = owner; }

    void Show(std::string_view text) override;

private:
    HWND m_owner = nullptr;
};
