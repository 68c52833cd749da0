// The dialog object, its window procedure, and data exchange.
#include "window/dialog.h"

#include <string>

#include "platform/wide_text.h"
#include "window/byte_limited_edit.h"
#include "window/cp932_bytes.h"
#include "window/help.h"
#include "window/message_box.h"

namespace {

// Help contexts of dialogs: this base plus the dialog's template identifier.
constexpr DWORD kDialogHelpContextBase = 0x20000;

bool IsKeyDown(int virtualKey)
{
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

}  // namespace

void Button::SetCheck(bool checked) const
{
    SendMessageW(m_window, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

DataExchange::DataExchange(Dialog& dialog, bool saveAndValidate)
    : m_dialog(dialog), m_saveAndValidate(saveAndValidate)
{
}

void DataExchange::Control(int controlId, Button& button)
{
    if (!m_failed) {
        button.Attach(m_dialog.Item(controlId));
    }
}

void DataExchange::Text(int controlId, std::string& value, const TextLimit& limit)
{
    if (m_failed) {
        return;
    }
    const HWND field = m_dialog.Item(controlId);
    if (m_saveAndValidate) {
        const std::wstring text = EditText(field);
        value = Utf8FromWide(text);
        if (Cp932ByteCount(text) > limit.maxBytes) {
            m_dialog.MessageBoxes().Show(
                FillPlaceholder(limit.messageFormat, std::to_string(limit.maxBytes)));
            SetFocus(field);
            SendMessageW(field, EM_SETSEL, 0, -1);
            m_failed = true;
            return;
        }
    } else {
        // A field whose text would not change keeps its caret and selection.
        const std::wstring text = WideFromUtf8(value);
        if (EditText(field) != text) {
            SetWindowTextW(field, text.c_str());
        }
    }
    // The field's own limit, which other programs can read, and the byte
    // count on top of it, since the field counts characters.
    SendMessageW(field, EM_LIMITTEXT, static_cast<WPARAM>(limit.maxBytes), 0);
    LimitEditBytes(field, limit.maxBytes);
}

Dialog::Dialog(HINSTANCE instance, int templateId, const UserGuides& guides)
    : m_instance(instance), m_templateId(templateId), m_guides(guides)
{
}

INT_PTR Dialog::DoModal()
{
    const INT_PTR result = DialogBoxParamW(m_instance, MAKEINTRESOURCEW(m_templateId), nullptr,
                                           DialogProc, reinterpret_cast<LPARAM>(this));
    m_window = nullptr;
    m_messageBoxes.SetOwner(nullptr);
    return result;
}

bool Dialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void Dialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

bool Dialog::OnCommand(int, int)
{
    return false;
}

bool Dialog::OnPaint()
{
    return false;
}

HICON Dialog::OnQueryDragIcon()
{
    return nullptr;
}

bool Dialog::UpdateData(bool saveAndValidate)
{
    DataExchange exchange(*this, saveAndValidate);
    DoDataExchange(exchange);
    return !exchange.Failed();
}

void Dialog::SetIcon(HICON icon, bool bigIcon) const
{
    SendMessageW(m_window, WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL,
                 reinterpret_cast<LPARAM>(icon));
}

void Dialog::EndDialog(INT_PTR result) const
{
    ::EndDialog(m_window, result);
}

// F1 with Shift, Ctrl and Alt up gives the help command.
void Dialog::OnHelpKey() const
{
    if (IsKeyDown(VK_SHIFT) || IsKeyDown(VK_CONTROL) || IsKeyDown(VK_MENU)) {
        return;
    }
    SendMessageW(m_window, WM_COMMAND, kHelpCommandId, 0);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        dialog->m_window = window;
        dialog->m_messageBoxes.SetOwner(window);
        return dialog->OnInitDialog() ? TRUE : FALSE;
    }
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return dialog != nullptr ? dialog->HandleMessage(message, wParam) : FALSE;
}

INT_PTR Dialog::HandleMessage(UINT message, WPARAM wParam)
{
    switch (message) {
        case WM_COMMAND: {
            const int controlId = LOWORD(wParam);
            if (controlId == IDOK) {
                OnOK();
                return TRUE;
            }
            if (controlId == IDCANCEL) {
                OnCancel();
                return TRUE;
            }
            if (OnCommand(controlId, HIWORD(wParam))) {
                return TRUE;
            }
            // The help command opens the dialog's help topic.
            if (controlId == kHelpCommandId) {
                ShowHelp(m_window, kDialogHelpContextBase + static_cast<DWORD>(m_templateId),
                         m_guides);
                return TRUE;
            }
            return FALSE;
        }
        case WM_PAINT:
            return OnPaint() ? TRUE : FALSE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
        case WM_HELP:
            OnHelpKey();
            return TRUE;
        default:
            return FALSE;
    }
}
