// The driver's side of the end-to-end tests: finding the program's windows,
// sending it messages, and dismissing its message boxes.
#include "tests/e2e/dialog_driver.h"

#include <imm.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
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

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, kActionTimeout, nullptr);
    return text;
}

bool IsDialogWindowOf(HWND window, DWORD processId)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[16] = {};
    GetClassNameW(window, className, static_cast<int>(std::size(className)));
    return owner == processId && std::wstring_view(className) == kDialogClass;
}

// The main dialog is the one with the record-number fields; any other dialog
// window of the program that is shown is a message box, owned or not.
bool IsMainDialog(HWND window)
{
    return GetDlgItem(window, IDC_START) != nullptr;
}

struct WindowSearch {
    DWORD processId;
    bool mainDialog;  // the main dialog, or a message box
    HWND found;
};

BOOL CALLBACK FindDialogWindow(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    if (IsDialogWindowOf(window, search.processId) && IsMainDialog(window) == search.mainDialog &&
        (search.mainDialog || IsWindowVisible(window))) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

struct ButtonCount {
    int buttons;
    bool ok;
};

BOOL CALLBACK CountButton(HWND child, LPARAM parameter)
{
    auto& count = *reinterpret_cast<ButtonCount*>(parameter);
    wchar_t className[16] = {};
    GetClassNameW(child, className, static_cast<int>(std::size(className)));
    if (std::wstring_view(className) == L"Button" && IsWindowVisible(child)) {
        ++count.buttons;
        count.ok = count.ok || GetDlgCtrlID(child) == IDOK;
    }
    return TRUE;
}

RECT PaintedArea(std::initializer_list<HWND> windows);

using Pixels = std::vector<COLORREF>;

// What the screen shows of a window, row by row.
Pixels ScreenPixels(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    const HDC screen = GetDC(nullptr);
    Pixels pixels;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            pixels.push_back(GetPixel(screen, x, y));
        }
    }
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The system icon drawn at a size on a background colour, row by row.
Pixels IconPixels(LPCWSTR icon, int width, int height, COLORREF background)
{
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    const HBRUSH brush = CreateSolidBrush(background);
    const RECT all = {0, 0, width, height};
    FillRect(memory, &all, brush);
    DrawIconEx(memory, 0, 0, LoadIconW(nullptr, icon), width, height, 0, nullptr, DI_NORMAL);
    Pixels pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(GetPixel(memory, x, y));
        }
    }
    DeleteObject(brush);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::size_t Differences(const Pixels& a, const Pixels& b)
{
    std::size_t differences = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        differences += a[i] != b[i] ? 1 : 0;
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
    const Pixels shown = ScreenPixels(icon);
    if (shown.empty()) {
        return false;
    }
    // An icon's corner is transparent: it shows the box's background.
    const auto draw = [&](LPCWSTR which) {
        return IconPixels(which, rect.right - rect.left, rect.bottom - rect.top, shown.front());
    };
    const std::size_t exclamation = Differences(shown, draw(IDI_EXCLAMATION));
    for (const LPCWSTR other : {IDI_HAND, IDI_QUESTION, IDI_ASTERISK, IDI_APPLICATION}) {
        if (Differences(shown, draw(other)) <= exclamation) {
            return false;
        }
    }
    return exclamation * 20 < shown.size();
}

SeenMessage Describe(HWND box, HWND dialog)
{
    ButtonCount count = {0, false};
    EnumChildWindows(box, CountButton, reinterpret_cast<LPARAM>(&count));
    return {Utf8FromWide(WindowText(box)),
            Utf8FromWide(WindowText(GetDlgItem(box, kMessageBoxTextId))),
            count.buttons,
            count.ok,
            GetWindow(box, GW_OWNER) == dialog,
            ShowsExclamationIcon(box)};
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

// The system turns a WM_IME_CHAR into a posted WM_CHAR, which the field
// handles only after every sent message. A marker posted behind them, a
// right margin one wider, tells when the field has handled them all: the
// characters themselves change the text, the selection and the modified
// flag, but never the margins. The margin is then set back.
void WaitForPostedMessages(HWND field)
{
    DWORD_PTR margins = 0;
    SendMessageTimeoutW(field, EM_GETMARGINS, 0, 0, SMTO_ABORTIFHUNG, kActionTimeout, &margins);
    const WORD rightMargin = HIWORD(margins);
    const auto wider = static_cast<WORD>(rightMargin + 1);
    PostMessageW(field, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, wider));
    const ULONGLONG deadline = GetTickCount64() + kActionTimeout;
    while (HIWORD(margins) != wider && GetTickCount64() < deadline) {
        Sleep(kPollInterval);
        SendMessageTimeoutW(field, EM_GETMARGINS, 0, 0, SMTO_ABORTIFHUNG, kActionTimeout, &margins);
    }
    SendMessageTimeoutW(field, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, rightMargin),
                        SMTO_ABORTIFHUNG, kActionTimeout, nullptr);
}

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct ObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct ScreenDcReleaser {
    void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};

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
            const ULONGLONG deadline = GetTickCount64() + kPaintTimeout;
            while (!IsPainted(window) && GetTickCount64() < deadline) {
                Sleep(kPollInterval);
            }
            UnionRect(&area, &area, &rect);
        }
    }
    // The program draws through its own display connection.
    Sleep(kDisplaySettle);
    return area;
}

}  // namespace

DialogDriver::DialogDriver(const std::wstring& executable, const std::wstring& folder)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + executable + L"\"";
    if (!CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &m_process)) {
        return;
    }
    const ULONGLONG deadline = GetTickCount64() + kStartTimeout;
    while (GetTickCount64() < deadline && WaitForSingleObject(m_process.hProcess, 0) != 0) {
        for (const SeenMessage& message : DismissMessageBoxes()) {
            m_startup.push_back(message);
        }
        const HWND dialog = FindDialog();
        if (dialog != nullptr && IsWindowVisible(dialog)) {
            m_dialog = dialog;
            return;
        }
        Sleep(kPollInterval);
    }
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

HWND DialogDriver::FindDialog() const
{
    WindowSearch search = {m_process.dwProcessId, true, nullptr};
    EnumWindows(FindDialogWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND DialogDriver::FindMessageBox() const
{
    WindowSearch search = {m_process.dwProcessId, false, nullptr};
    EnumWindows(FindDialogWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<SeenMessage> DialogDriver::DismissMessageBoxes()
{
    std::vector<SeenMessage> seen;
    while (const HWND box = FindMessageBox()) {
        const SeenMessage message = Describe(box, FindDialog());
        if (m_watcher) {
            m_watcher(box, message);
        }
        seen.push_back(message);
        PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        const ULONGLONG deadline = GetTickCount64() + kActionTimeout;
        while (IsWindow(box) && GetTickCount64() < deadline) {
            Sleep(kPollInterval);
        }
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
        for (const SeenMessage& message : DismissMessageBoxes()) {
            seen.push_back(message);
        }
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
    SendMessageTimeoutW(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(controlId)), TRUE,
                        SMTO_ABORTIFHUNG, kActionTimeout, nullptr);
}

// Focusing a field selects its text; input then goes where this says.
void DialogDriver::Select(int controlId, int start, int end) const
{
    SendMessageTimeoutW(Control(controlId), EM_SETSEL, static_cast<WPARAM>(start),
                        static_cast<LPARAM>(end), SMTO_ABORTIFHUNG, kActionTimeout, nullptr);
}

std::pair<int, int> DialogDriver::Selection(int controlId) const
{
    DWORD_PTR selection = 0;
    SendMessageTimeoutW(Control(controlId), EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, kActionTimeout,
                        &selection);
    return {LOWORD(selection), HIWORD(selection)};
}

int DialogDriver::TextLimit(int controlId) const
{
    DWORD_PTR limit = 0;
    SendMessageTimeoutW(Control(controlId), EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, kActionTimeout,
                        &limit);
    return static_cast<int>(limit);
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
    SendMessageTimeoutW(Control(controlId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, kActionTimeout, nullptr);
}

bool DialogDriver::IsChecked(int controlId) const
{
    DWORD_PTR state = 0;
    SendMessageTimeoutW(Control(controlId), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kActionTimeout,
                        &state);
    return state == BST_CHECKED;
}

std::vector<SeenMessage> DialogDriver::Click(int controlId)
{
    const HWND button = Control(controlId);
    return Act([button] {
        SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kActionTimeout, nullptr);
    });
}

void DialogDriver::Type(int controlId, std::string_view utf8)
{
    const auto end = static_cast<int>(WindowText(Control(controlId)).size());
    TypeOver(controlId, end, end, utf8);
}

void DialogDriver::TypeOver(int controlId, int start, int end, std::string_view utf8)
{
    Focus(controlId);
    Select(controlId, start, end);
    const HWND field = Control(controlId);
    for (const wchar_t character : WideFromUtf8(utf8)) {
        SendMessageTimeoutW(field, WM_CHAR, character, 1, SMTO_ABORTIFHUNG, kActionTimeout,
                            nullptr);
    }
}

void DialogDriver::ComposeOver(int controlId, int start, int end, std::string_view utf8)
{
    Focus(controlId);
    Select(controlId, start, end);
    const HWND field = Control(controlId);
    const auto send = [field](UINT message, WPARAM wParam, LPARAM lParam) {
        SendMessageTimeoutW(field, message, wParam, lParam, SMTO_ABORTIFHUNG, kActionTimeout,
                            nullptr);
    };
    const std::wstring text = WideFromUtf8(utf8);
    send(WM_IME_STARTCOMPOSITION, 0, 0);
    for (const wchar_t character : text) {
        send(WM_IME_COMPOSITION, character, GCS_COMPSTR | GCS_COMPATTR | GCS_CURSORPOS);
    }
    send(WM_IME_COMPOSITION, text.empty() ? 0 : text.back(), GCS_RESULTSTR);
    for (const wchar_t character : text) {
        send(WM_IME_CHAR, character, 1);
    }
    send(WM_IME_ENDCOMPOSITION, 0, 0);
    WaitForPostedMessages(field);
}

void DialogDriver::Paste(int controlId, std::string_view utf8)
{
    const auto end = static_cast<int>(WindowText(Control(controlId)).size());
    PasteOver(controlId, end, end, utf8);
}

void DialogDriver::PasteOver(int controlId, int start, int end, std::string_view utf8)
{
    const std::wstring text = WideFromUtf8(utf8);
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
    Focus(controlId);
    Select(controlId, start, end);
    SendMessageTimeoutW(Control(controlId), WM_PASTE, 0, 0, SMTO_ABORTIFHUNG, kActionTimeout,
                        nullptr);
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
        const std::vector<SeenMessage> more = Act([this] {
            SendMessageTimeoutW(m_dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kActionTimeout, nullptr);
        });
        if (more.empty()) {
            return seen;
        }
        seen.insert(seen.end(), more.begin(), more.end());
    }
}

// Posted input is handled in order: a posted change of the field's modified
// flag behind the key tells when the program has handled the key.
std::vector<SeenMessage> DialogDriver::PressKey(int controlId, WORD virtualKey)
{
    if (FocusedControlId() != controlId) {
        Focus(controlId);
    }
    const HWND field = Control(controlId);
    SendMessageTimeoutW(field, EM_SETMODIFY, FALSE, 0, SMTO_ABORTIFHUNG, kActionTimeout, nullptr);
    PostKey(field, virtualKey);
    PostMessageW(field, EM_SETMODIFY, TRUE, 0);
    return Act([field] {
        const ULONGLONG deadline = GetTickCount64() + kActionTimeout;
        DWORD_PTR modified = FALSE;
        while (!modified && GetTickCount64() < deadline) {
            SendMessageTimeoutW(field, EM_GETMODIFY, 0, 0, SMTO_ABORTIFHUNG, kActionTimeout,
                                &modified);
            Sleep(kPollInterval);
        }
    });
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
    const HWND dialog = m_dialog;
    return Act([dialog, commandId] {
        SendMessageTimeoutW(dialog, WM_COMMAND, static_cast<WPARAM>(commandId), 0, SMTO_ABORTIFHUNG,
                            kActionTimeout, nullptr);
    });
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
    const std::unique_ptr<HDC__, ScreenDcReleaser> screen(GetDC(nullptr));
    const std::unique_ptr<HDC__, DcDeleter> memory(CreateCompatibleDC(screen.get()));
    const std::unique_ptr<void, ObjectDeleter> bitmap(
        CreateCompatibleBitmap(screen.get(), width, height));
    const HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY);
    SelectObject(memory.get(), previous);

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::string pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), '\0');
    GetDIBits(memory.get(), static_cast<HBITMAP>(bitmap.get()), 0, static_cast<UINT>(height),
              pixels.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}
