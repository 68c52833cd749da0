// Modal dialogs built from a dialog template resource: the dialog object is
// bound to its window, forwards the messages it cares about to virtual
// handlers, routes control notifications through a table, and exchanges
// values between its controls and its members. Window layer, Win32 only.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "window/help.h"
#include "window/message_box.h"

class Dialog;

// The help command, sent to a dialog as WM_COMMAND; F1 sends it too.
inline constexpr int kHelpCommandId = 0xE146;

// A button of a dialog (push button, check box, radio button), once the data
// exchange has attached it to its control.
class Button {
public:
    void Attach(HWND window) { m_window = window; }
    void SetCheck(bool checked) const;

private:
    HWND m_window = nullptr;
};

// The longest text an edit field takes, in bytes of code page 932, and the
// message shown when a longer text is read; "%1" in it stands for the number.
struct TextLimit {
    int maxBytes;
    std::string_view messageFormat;
};

// One pass of data exchange between a dialog's controls and its members,
// either showing the members in the controls or reading the controls back.
class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saveAndValidate);

    bool Failed() const { return m_failed; }

    // Attaches the button to the control with that identifier.
    void Control(int controlId, Button& button);

    // Shows value in the edit field, or reads the field's whole text into it.
    // A text read that is longer than the limit shows the limit's message,
    // puts the focus on the field with its text selected, and fails the
    // pass: the exchanges after it do nothing. Otherwise the field then
    // refuses input beyond the limit, as its own text limit and in bytes.
    // The field's text is set only when it differs.
    void Text(int controlId, std::string& value, const TextLimit& limit);

private:
    Dialog& m_dialog;
    bool m_saveAndValidate;
    bool m_failed = false;
};

class Dialog {
public:
    // A dialog without a parent window, built from the template of that
    // identifier in the module's resources, whose help command opens the
    // guides when there is no help file.
    Dialog(HINSTANCE instance, int templateId, const UserGuides& guides);
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog until it ends; returns what it ended with (IDOK,
    // IDCANCEL), or -1 when the window cannot be created.
    INT_PTR DoModal();

    HWND Window() const { return m_window; }
    HWND Item(int controlId) const { return GetDlgItem(m_window, controlId); }

    // Message boxes owned by this dialog.
    Notifier& MessageBoxes() { return m_messageBoxes; }

protected:
    // The controls exist: shows the members in them. Returning true lets the
    // dialog manager put the focus on the first tab stop.
    virtual bool OnInitDialog();

    // IDOK: the default button, or Enter.
    virtual void OnOK() = 0;

    // IDCANCEL (Escape, the close box, the system menu's Close): ends the
    // dialog.
    virtual void OnCancel();

    // Exchanges the members with the controls, in either direction.
    virtual void DoDataExchange(DataExchange& exchange) = 0;

    // Any other command; true when it was handled. By default none is.
    virtual bool OnCommand(int controlId, int notification);

    // WM_PAINT; false, the default, hands it to the default processing.
    virtual bool OnPaint();

    // The image shown while the minimised window is dragged; nullptr, the
    // default, lets the system choose it.
    virtual HICON OnQueryDragIcon();

    // Reads the controls into the members (true) or shows the members in the
    // controls (false). False when a text read was too long.
    bool UpdateData(bool saveAndValidate = true);

    void SetIcon(HICON icon, bool bigIcon) const;
    void EndDialog(INT_PTR result) const;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam);
    void OnHelpKey() const;

    HINSTANCE m_instance;
    int m_templateId;
    UserGuides m_guides;
    HWND m_window = nullptr;
    MessageBoxNotifier m_messageBoxes;
};

// One entry of a dialog class's command table: a notification from any of a
// range of consecutive controls, and the member handler it runs, which is
// given the control's place in the range (0 for the first).
template <class DialogClass>
struct CommandRoute {
    int firstControlId;
    int lastControlId;
    int notification;
    void (DialogClass::*handler)(int place);
};

// Runs the handler that the table names for the notification; false when
// there is none.
template <class DialogClass, std::size_t Count>
bool RouteCommand(DialogClass& dialog, const CommandRoute<DialogClass> (&routes)[Count],
                  int controlId, int notification)
{
    for (const CommandRoute<DialogClass>& route : routes) {
        if (controlId >= route.firstControlId && controlId <= route.lastControlId &&
            route.notification == notification) {
            (dialog.*route.handler)(controlId - route.firstControlId);
            return true;
        }
    }
    return false;
}

// The paint device context of one WM_PAINT, ended when it goes out of scope.
class PaintDc {
public:
    explicit PaintDc(HWND window) : m_window(window) { m_dc = BeginPaint(window, &m_paint); }
    ~PaintDc() { EndPaint(m_window, &m_paint); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC Handle() const { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc;
};

// The wait cursor while a long operation runs; the previous cursor returns
// when it goes out of scope.
class WaitCursor {
public:
    WaitCursor() : m_previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(m_previous); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR m_previous;
};
