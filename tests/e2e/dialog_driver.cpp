// The driver's side of the end-to-end tests: finding the program's windows,
// sending it messages, and dismissing its message boxes.
#include "tests/e2e/dialog_driver.h"

#include <imm.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/wide_text.h"
#include "res/resource.h"

namespace {

constexpr DWORD kStartTimeout = 20000;
constexpr DWORD kActionTimeout = 15000;
constexpr DWORD kExitTimeout = 5000;
constexpr DWORD kPollInterval = 10;
constexpr DWORD kPaintTimeout = 2000;
constexpr DWORD kDisplaySettle = 100;

// A message box's text control (its caption is the window text) and its
// icon control.
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kMessageBoxIconId = 0x0440;

const wchar_t kDialogClass[] = L"#32770";

// Sends a message and returns its result, 0 when the window does not answer.
DWORD_PTR Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kActionTimeout, &result);
    return result;
}

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    Send(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return text;
}

struct WindowSearch {
    DWORD processId;
    bool mainDialog;  // the main dialog, or a message box
    HWND found;
};

// The main dialog is the one with the record-number fields; any other dialog
// window of the program that is shown is a message box, owned or not.
BOOL CALLBACK FindDialogWindow(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[16] = {};
    GetClassNameW(window, className, static_cast<int>(std::size(className)));
    if (owner == search.processId && std::wstring_view(className) == kDialogClass &&
        (GetDlgItem(window, IDC_START) != nullptr) == search.mainDialog &&
        (search.mainDialog || IsWindowVisible(window))) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindUnpainted(HWND child, LPARAM parameter)
{
    if (GetUpdateRect(child, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(parameter) = true;
        return FALSE;
    }
    return TRUE;
}

bool IsPainted(HWND window)
{
    bool unpainted = GetUpdateRect(window, nullptr, FALSE) != FALSE;
    EnumChildWindows(window, FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    return !unpainted;
}

// The smallest rectangle around the windows, each painted anew first: a
// window that has just been shown may not have painted all its controls.
RECT PaintedArea(std::initializer_list<HWND> windows)
{
    RECT area = {};
    for (const HWND window : windows) {
        RECT rect;
        if (window != nullptr && IsWindowVisible(window) && GetWindowRect(window, &rect)) {
            RedrawWindow(window, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
            WaitUntil([window] { return IsPainted(window); }, kPaintTimeout);
            UnionRect(&area, &area, &rect);
        }
    }
    // The program draws through its own display connection.
    Sleep(kDisplaySettle);
    return area;
}

using Pixels = std::vector<COLORREF>;

// The pixels of a rectangle of a device context, row by row.
Pixels PixelsOf(HDC dc, const RECT& rect)
{
    Pixels pixels;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            pixels.push_back(GetPixel(dc, x, y));
        }
    }
    return pixels;
}

// How many pixels of a picture of a rectangle differ from the system icon
// drawn there. An icon's corner is transparent: the icon is drawn on the
// picture's first pixel, the background it shows.
std::size_t IconDifferences(const Pixels& shown, const RECT& rect, LPCWSTR icon)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    const HBRUSH brush = CreateSolidBrush(shown.front());
    const RECT all = {0, 0, width, height};
    FillRect(memory, &all, brush);
    DrawIconEx(memory, 0, 0, LoadIconW(nullptr, icon), width, height, 0, nullptr, DI_NORMAL);
    const Pixels drawn = PixelsOf(memory, all);
    DeleteObject(brush);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::size_t differences = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        differences += shown[i] != drawn[i] ? 1 : 0;
    }
    return differences;
}

// The icon of another process cannot be read as an icon, so its picture on
// the screen is compared with each system icon that a message box may show:
// it must be the exclamation icon, and closer to it than to any other.
bool ShowsExclamationIcon(HWND box)
{
    const HWND icon = GetDlgItem(box, kMessageBoxIconId);
    if (icon == nullptr || !IsWindowVisible(icon)) {
        return false;
    }
    PaintedArea({box});
    RECT rect;
    GetWindowRect(icon, &rect);
    const HDC screen = GetDC(nullptr);
    const Pixels shown = PixelsOf(screen, rect);
    ReleaseDC(nullptr, screen);
    if (shown.empty()) {
        return false;
    }
    const std::size_t exclamation = IconDifferences(shown, rect, IDI_EXCLAMATION);
    for (const LPCWSTR other : {IDI_HAND, IDI_QUESTION, IDI_ASTERISK, IDI_APPLICATION}) {
        if (IconDifferences(shown, rect, other) <= exclamation) {
            return false;
        }
    }
    return exclamation * 20 < shown.size();
}

SeenMessage Describe(HWND box, HWND dialog)
{
    SeenMessage message = {Utf8FromWide(WindowText(box)),
                           Utf8FromWide(WindowText(GetDlgItem(box, kMessageBoxTextId))),
                           0,
                           false,
                           GetWindow(box, GW_OWNER) == dialog,
                           ShowsExclamationIcon(box)};
    HWND button = nullptr;
    while ((button = FindWindowExW(box, button, L"Button", nullptr)) != nullptr) {
        if (IsWindowVisible(button)) {
            ++message.buttonCount;
            message.okButton = message.okButton || GetDlgCtrlID(button) == IDOK;
        }
    }
    return message;
}

// Keyboard input as the program's message loop receives it from the
// system: posted, so that the dialog manager sees it first.
void PostKey(HWND window, WORD virtualKey)
{
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    const auto down = static_cast<LPARAM>(1 | (scanCode << 16));
    const auto up = static_cast<LPARAM>(down | (1U << 30) | (1U << 31));
    PostMessageW(window, WM_KEYDOWN, virtualKey, down);
    PostMessageW(window, WM_KEYUP, virtualKey, up);
}

// Waits until the field has handled the input posted to it so far: a marker
// posted behind it, a right margin one wider, tells, since input changes the
// text, the selection and the modified flag but never the margins. The
// margin is then set back.
void WaitForPostedMessages(HWND field)
{
    const WORD rightMargin = HIWORD(Send(field, EM_GETMARGINS));
    const auto wider = static_cast<WORD>(rightMargin + 1);
    PostMessageW(field, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, wider));
    WaitUntil([field, wider] { return HIWORD(Send(field, EM_GETMARGINS)) == wider; },
              kActionTimeout);
    Send(field, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, rightMargin));
}

// The text as the clipboard's only content.
void PutOnClipboard(const std::wstring& text)
{
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
            std::memcpy(GlobalLock(memory), text.c_str(), bytes);
            GlobalUnlock(memory);
            SetClipboardData(CF_UNICODETEXT, memory);
        }
        CloseClipboard();
    }
}

}  // namespace

void WaitUntil(const std::function<bool()>& holds, DWORD milliseconds)
{
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    while (!holds() && GetTickCount64() < deadline) {
        Sleep(kPollInterval);
    }
}

DialogDriver::DialogDriver(const std::wstring& executable, const std::wstring& folder)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + executable + L"\"";
    if (!CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &m_process)) {
        return;
    }
    WaitUntil(
        [this] {
            const std::vector<SeenMessage> seen = DismissMessageBoxes();
            m_startup.insert(m_startup.end(), seen.begin(), seen.end());
            const HWND dialog = FindDialog();
            m_dialog = dialog != nullptr && IsWindowVisible(dialog) ? dialog : nullptr;
            return m_dialog != nullptr || WaitForSingleObject(m_process.hProcess, 0) == 0;
        },
        kStartTimeout);
}

DialogDriver::~DialogDriver()
{
    if (m_process.hProcess == nullptr) {
        return;
    }
    if (IsRunning()) {
        DismissMessageBoxes();
        PostMessageW(m_dialog, WM_COMMAND, IDCANCEL, 0);
        if (!WaitForExit(kExitTimeout)) {
            TerminateProcess(m_process.hProcess, 1);
            WaitForExit(kExitTimeout);
        }
    }
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

bool DialogDriver::IsRunning() const
{
    return m_dialog != nullptr && WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

bool DialogDriver::WaitForExit(DWORD milliseconds) const
{
    return WaitForSingleObject(m_process.hProcess, milliseconds) == WAIT_OBJECT_0;
}

HWND DialogDriver::FindDialog(bool mainDialog) const
{
    WindowSearch search = {m_process.dwProcessId, mainDialog, nullptr};
    EnumWindows(FindDialogWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<SeenMessage> DialogDriver::DismissMessageBoxes()
{
    std::vector<SeenMessage> seen;
    while (const HWND box = FindDialog(false)) {
        const SeenMessage message = Describe(box, FindDialog());
        if (m_watcher) {
            m_watcher(box, message);
        }
        seen.push_back(message);
        PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        WaitUntil([box] { return !IsWindow(box); }, kActionTimeout);
    }
    return seen;
}

std::vector<SeenMessage> DialogDriver::Act(const std::function<void()>& action)
{
    std::atomic<bool> done = false;
    std::thread worker([&] {
        action();
        done = true;
    });
    std::vector<SeenMessage> seen;
    for (;;) {
        // Read the flag first: boxes found after the action returned are
        // the last ones it showed.
        const bool finished = done;
        const std::vector<SeenMessage> more = DismissMessageBoxes();
        seen.insert(seen.end(), more.begin(), more.end());
        if (finished) {
            break;
        }
        Sleep(kPollInterval);
    }
    worker.join();
    return seen;
}

HWND DialogDriver::Control(int controlId) const
{
    return GetDlgItem(m_dialog, controlId);
}

// The dialog manager moves the focus, as the Tab key would.
void DialogDriver::Focus(int controlId) const
{
    Send(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(controlId)), TRUE);
}

std::pair<int, int> DialogDriver::Selection(int controlId) const
{
    const DWORD_PTR selection = Send(Control(controlId), EM_GETSEL);
    return {LOWORD(selection), HIWORD(selection)};
}

int DialogDriver::TextLimit(int controlId) const
{
    return static_cast<int>(Send(Control(controlId), EM_GETLIMITTEXT));
}

std::string DialogDriver::Title() const
{
    return Utf8FromWide(WindowText(m_dialog));
}

std::string DialogDriver::Text(int controlId) const
{
    return Utf8FromWide(WindowText(Control(controlId)));
}

void DialogDriver::SetText(int controlId, std::string_view utf8) const
{
    const std::wstring text = WideFromUtf8(utf8);
    Send(Control(controlId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool DialogDriver::IsChecked(int controlId) const
{
    return Send(Control(controlId), BM_GETCHECK) == BST_CHECKED;
}

std::vector<SeenMessage> DialogDriver::Click(int controlId)
{
    return Act([this, controlId] { Send(Control(controlId), BM_CLICK); });
}

void DialogDriver::Enter(int controlId, Entry entry, std::string_view utf8, int start, int end)
{
    const HWND field = Control(controlId);
    const std::wstring text = WideFromUtf8(utf8);
    if (entry == Entry::kPasted) {
        PutOnClipboard(text);
    }
    if (start == kTextEnd) {
        start = end = static_cast<int>(WindowText(field).size());
    }
    // Focusing a field selects its text; input then goes where this says.
    Focus(controlId);
    Send(field, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
    if (entry == Entry::kPasted) {
        Send(field, WM_PASTE);
    } else if (entry == Entry::kTyped) {
        for (const wchar_t character : text) {
            Send(field, WM_CHAR, character, 1);
        }
    } else {
        Send(field, WM_IME_STARTCOMPOSITION);
        for (const wchar_t character : text) {
            Send(field, WM_IME_COMPOSITION, character, GCS_COMPSTR | GCS_COMPATTR | GCS_CURSORPOS);
        }
        Send(field, WM_IME_COMPOSITION, text.empty() ? 0 : text.back(), GCS_RESULTSTR);
        for (const wchar_t character : text) {
            Send(field, WM_IME_CHAR, character, 1);
        }
        Send(field, WM_IME_ENDCOMPOSITION);
        // Each WM_IME_CHAR became a posted WM_CHAR, which the field handles
        // only after every sent message.
        WaitForPostedMessages(field);
    }
}

// A posted key has no reply to wait for: the first message box tells that
// the program has taken it, and a message sent afterwards returns only when
// the program is waiting for input again, in its dialog or in a next box.
std::vector<SeenMessage> DialogDriver::PressKeyForMessages(int controlId, WORD virtualKey)
{
    Focus(controlId);
    PostKey(Control(controlId), virtualKey);
    std::vector<SeenMessage> seen;
    const ULONGLONG deadline = GetTickCount64() + kActionTimeout;
    while (seen.empty() && GetTickCount64() < deadline && IsRunning()) {
        seen = DismissMessageBoxes();
        Sleep(kPollInterval);
    }
    for (;;) {
        const std::vector<SeenMessage> more = Act([this] { Send(m_dialog, WM_NULL); });
        if (more.empty()) {
            return seen;
        }
        seen.insert(seen.end(), more.begin(), more.end());
    }
}

std::vector<SeenMessage> DialogDriver::PressKey(int controlId, WORD virtualKey)
{
    if (FocusedControlId() != controlId) {
        Focus(controlId);
    }
    const HWND field = Control(controlId);
    PostKey(field, virtualKey);
    return Act([field] { WaitForPostedMessages(field); });
}

void DialogDriver::PressKeyAsInput(int controlId, WORD virtualKey)
{
    SetForegroundWindow(m_dialog);
    Focus(controlId);
    INPUT keys[2] = {};
    for (INPUT& key : keys) {
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = virtualKey;
        key.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

std::vector<SeenMessage> DialogDriver::Command(int commandId)
{
    return Act([this, commandId] { Send(m_dialog, WM_COMMAND, static_cast<WPARAM>(commandId)); });
}

bool DialogDriver::PressKeyToExit(int controlId, WORD virtualKey)
{
    Focus(controlId);
    PostKey(Control(controlId), virtualKey);
    return WaitForExit(kExitTimeout);
}

bool DialogDriver::CloseToExit()
{
    PostMessageW(m_dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    return WaitForExit(kExitTimeout);
}

int DialogDriver::FocusedControlId() const
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(m_process.dwThreadId, &info) || info.hwndFocus == nullptr) {
        return 0;
    }
    return GetDlgCtrlID(info.hwndFocus);
}

bool SaveScreenshot(std::initializer_list<HWND> windows, const std::wstring& path)
{
    const RECT area = PaintedArea(windows);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER header = {
        sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const int stride = (width * 3 + 3) & ~3;
    std::string pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), '\0');
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof header;
    const BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(offset + pixels.size()), 0, 0,
                                   offset};
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}
