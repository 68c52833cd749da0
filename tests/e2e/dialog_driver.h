// Drives a running tarvek_dconv.exe from a second Win32 process through its
// real controls: sets and reads field texts, clicks buttons, types, pastes
// and presses keys, and reads and dismisses every message box it shows. For
// the end-to-end tests and the scripted demo walk.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One message box as the driver found it, before dismissing it.
struct SeenMessage {
    std::string caption;   // UTF-8
    std::string text;      // UTF-8
    int buttonCount;       // push buttons in the box
    bool okButton;         // one of them is IDOK
    bool ownedByDialog;    // the program's dialog owns the box
    bool exclamationIcon;  // it shows the exclamation icon, not another one
};

// Called with each message box just before the driver dismisses it.
using MessageBoxWatcher = std::function<void(HWND box, const SeenMessage& message)>;

class DialogDriver {
public:
    // Starts the program in folder and waits until its dialog is shown,
    // dismissing the message boxes that appear on the way (Startup() has
    // them). IsRunning() is false when no dialog came up.
    DialogDriver(const std::wstring& executable, const std::wstring& folder);

    // Ends the program if it still runs: Escape, and if that does not end it
    // within a few seconds, termination.
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    bool IsRunning() const;
    const std::vector<SeenMessage>& Startup() const { return m_startup; }
    HWND Dialog() const { return m_dialog; }

    void WatchMessageBoxes(MessageBoxWatcher watcher) { m_watcher = std::move(watcher); }

    // The window's or a control's text, UTF-8.
    std::string Title() const;
    std::string Text(int controlId) const;
    void SetText(int controlId, std::string_view utf8) const;
    bool IsChecked(int controlId) const;

    // Clicks a button; returns the message boxes its handler showed.
    std::vector<SeenMessage> Click(int controlId);

    // How text goes into a field: typed character by character, pasted from
    // the clipboard, or as an input method does it: it starts a composition,
    // shows it growing by one character at a time, commits it and sends its
    // characters as WM_IME_CHAR, as the system does for a committed text.
    enum class Entry { kTyped, kPasted, kComposed };
    static constexpr int kTextEnd = -1;

    // Focuses the field and enters the text over its characters start to
    // end, or, with start kTextEnd, behind its text.
    void Enter(int controlId, Entry entry, std::string_view utf8, int start = kTextEnd,
               int end = kTextEnd);

    // A field's selection, start to end (equal for a bare caret), and the
    // text limit it reports.
    std::pair<int, int> Selection(int controlId) const;
    int TextLimit(int controlId) const;

    // Focuses the control and presses a key as keyboard input that goes
    // through the program's message loop; returns the message boxes that
    // followed, waiting for at least one.
    std::vector<SeenMessage> PressKeyForMessages(int controlId, WORD virtualKey);

    // Presses a key in an edit field (focusing it first unless it has the
    // focus) and waits until the program has handled it; returns the message
    // boxes it showed meanwhile.
    std::vector<SeenMessage> PressKey(int controlId, WORD virtualKey);

    // Presses a key as keyboard input from the system, with the dialog in
    // the foreground and the focus on the control: some keys, F1 among
    // them, act only so, not as posted messages. Does not wait.
    void PressKeyAsInput(int controlId, WORD virtualKey);

    // Sends a command to the dialog as WM_COMMAND and waits until it is
    // handled; returns the message boxes it showed.
    std::vector<SeenMessage> Command(int commandId);

    // Presses a key that is expected to end the program, or closes the
    // window through its close box, and waits for the process to end.
    bool PressKeyToExit(int controlId, WORD virtualKey);
    bool CloseToExit();

    // The control that has the keyboard focus, 0 for none.
    int FocusedControlId() const;

private:
    HWND Control(int controlId) const;
    void Focus(int controlId) const;
    bool WaitForExit(DWORD milliseconds) const;

    // Runs action on its own thread while this one dismisses message boxes,
    // until the action has returned.
    std::vector<SeenMessage> Act(const std::function<void()>& action);

    // Dismisses every message box that is up; returns them.
    std::vector<SeenMessage> DismissMessageBoxes();

    // The main dialog, or else a shown message box, of the program.
    HWND FindDialog(bool mainDialog = true) const;

    PROCESS_INFORMATION m_process{};
    HWND m_dialog = nullptr;
    std::vector<SeenMessage> m_startup;
    MessageBoxWatcher m_watcher;
};

// Has the windows painted, then saves what the screen shows around them as
// a 24-bit BMP file.
bool SaveScreenshot(std::initializer_list<HWND> windows, const std::wstring& path);

// Polls until the condition holds or the time is up.
void WaitUntil(const std::function<bool()>& holds, DWORD milliseconds);
