// The byte limit of an edit field: a subclass that refuses a typed character
// that would not fit, and compares the text before and after each other
// message through which the user inserts text, cutting back what was
// inserted to the part that fits. An input method's composition is not the
// user's text until it is committed, so only its committed result is cut.
#include "window/byte_limited_edit.h"

#include <commctrl.h>

#include <imm.h>

#include <algorithm>
#include <string>

#include "window/cp932_bytes.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;
// A later call finds the field's state through this window property: the
// 64-bit import library of the common controls lacks GetWindowSubclass.
constexpr const wchar_t* kFieldStateProperty = L"tarvek_dconv.byte_limit";

// The messages through which typing, pasting, input methods and undo insert
// text. A text set with WM_SETTEXT is not limited; a composition's result
// is handled on its own.
bool InsertsText(UINT message)
{
    switch (message) {
        case WM_CHAR:
        case WM_KEYDOWN:
        case WM_PASTE:
        case WM_UNDO:
        case WM_IME_CHAR:
        case EM_REPLACESEL:
        case EM_UNDO:
            return true;
        default:
            return false;
    }
}

// A character message that puts its character into the text, rather than a
// control character such as Backspace or Ctrl+V.
bool TypesCharacter(UINT message, WPARAM character)
{
    return (message == WM_CHAR || message == WM_IME_CHAR) && character >= L' ';
}

struct Selection {
    std::size_t start;
    std::size_t end;
};

// A field's limit and, while an input method composes in it, its text and
// selection as they were when the composition began: an input method may
// show the composition inside the field, and that is not yet the user's.
struct FieldState {
    int maxBytes;
    bool composing;
    std::wstring textBeforeComposition;
    Selection selectionBeforeComposition;
};

Selection EditSelection(HWND edit, std::size_t textLength)
{
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const std::size_t first = std::min<std::size_t>(std::min(start, end), textLength);
    return {first,
            std::min<std::size_t>(std::max<std::size_t>(std::max(start, end), first), textLength)};
}

// The length of the longest start of text whose bytes fit room, never
// dividing a surrogate pair.
std::size_t FittingLength(std::wstring_view text, int room)
{
    std::size_t length = 0;
    while (length < text.size()) {
        const std::size_t step =
            IS_HIGH_SURROGATE(text[length]) && length + 1 < text.size() ? 2 : 1;
        if (Cp932ByteCount(text.substr(0, length + step)) > room) {
            break;
        }
        length += step;
    }
    return length;
}

// Whether the typed character, replacing the selection, keeps the text
// within the limit: a field refuses the whole character otherwise, whatever
// is selected.
bool TypedCharacterFits(HWND edit, wchar_t character, int maxBytes)
{
    const std::wstring text = EditText(edit);
    const Selection selection = EditSelection(edit, text.size());
    const std::wstring result =
        text.substr(0, selection.start) + character + text.substr(selection.end);
    return Cp932ByteCount(result) <= maxBytes;
}

// Cuts the part of after that was inserted into before, at the selection
// that before had, down to what fits the limit, and puts the caret behind
// the kept part. A key that changes nothing (an arrow, a copy), a change
// that inserts nothing (a deletion) and a text that fits stay as they are:
// a longer text that the program put there is never cut by them.
void KeepWithinLimit(HWND edit, const std::wstring& before, Selection selection,
                     const std::wstring& after, int maxBytes)
{
    if (after == before || Cp932ByteCount(after) <= maxBytes) {
        return;
    }
    // The insertion starts no later than the selection did, and the text
    // behind the selection follows it unchanged.
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t prefix = 0;
    while (prefix < shorter && prefix < selection.start && before[prefix] == after[prefix]) {
        ++prefix;
    }
    std::size_t suffix = 0;
    while (suffix < shorter - prefix && suffix < before.size() - selection.end &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    if (prefix + suffix >= after.size()) {
        return;
    }
    const std::wstring head = after.substr(0, prefix);
    const std::wstring tail = after.substr(after.size() - suffix);
    const std::wstring inserted = after.substr(prefix, after.size() - prefix - suffix);
    const int room = maxBytes - Cp932ByteCount(head + tail);
    const std::size_t kept = room > 0 ? FittingLength(inserted, room) : 0;
    SetWindowTextW(edit, (head + inserted.substr(0, kept) + tail).c_str());
    const auto caret = static_cast<WPARAM>(prefix + kept);
    SendMessageW(edit, EM_SETSEL, caret, static_cast<LPARAM>(caret));
}

// Runs the message, then cuts back what it inserted into before.
LRESULT InsertWithinLimit(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                          const std::wstring& before, Selection selection, int maxBytes)
{
    const LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
    KeepWithinLimit(edit, before, selection, EditText(edit), maxBytes);
    return result;
}

void RememberTextBeforeComposition(HWND edit, FieldState& field)
{
    field.textBeforeComposition = EditText(edit);
    field.selectionBeforeComposition = EditSelection(edit, field.textBeforeComposition.size());
}

// The committed result of a composition, cut against the text as it was
// before the composition began; a composition that goes on begins anew
// from the text as it now is.
LRESULT CommitComposition(HWND edit, WPARAM wParam, LPARAM lParam, FieldState& field)
{
    if (!field.composing) {
        RememberTextBeforeComposition(edit, field);
    }
    const LRESULT result =
        InsertWithinLimit(edit, WM_IME_COMPOSITION, wParam, lParam, field.textBeforeComposition,
                          field.selectionBeforeComposition, field.maxBytes);
    if (field.composing) {
        RememberTextBeforeComposition(edit, field);
    }
    return result;
}

LRESULT CALLBACK ByteLimitProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data)
{
    FieldState& field = *reinterpret_cast<FieldState*>(data);
    switch (message) {
        case WM_NCDESTROY:
            RemoveWindowSubclass(edit, ByteLimitProc, kSubclassId);
            RemovePropW(edit, kFieldStateProperty);
            delete &field;
            return DefSubclassProc(edit, message, wParam, lParam);
        case WM_IME_STARTCOMPOSITION:
            RememberTextBeforeComposition(edit, field);
            field.composing = true;
            return DefSubclassProc(edit, message, wParam, lParam);
        case WM_IME_ENDCOMPOSITION:
            field.composing = false;
            return DefSubclassProc(edit, message, wParam, lParam);
        case WM_IME_COMPOSITION:
            // What is still being composed passes uncut.
            if ((lParam & GCS_RESULTSTR) == 0) {
                return DefSubclassProc(edit, message, wParam, lParam);
            }
            return CommitComposition(edit, wParam, lParam, field);
        default:
            break;
    }
    if (!InsertsText(message)) {
        return DefSubclassProc(edit, message, wParam, lParam);
    }
    if (TypesCharacter(message, wParam) &&
        !TypedCharacterFits(edit, static_cast<wchar_t>(wParam), field.maxBytes)) {
        return 0;
    }
    const std::wstring before = EditText(edit);
    return InsertWithinLimit(edit, message, wParam, lParam, before,
                             EditSelection(edit, before.size()), field.maxBytes);
}

}  // namespace

std::wstring EditText(HWND edit)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

void LimitEditBytes(HWND edit, int maxBytes)
{
    if (auto* limited = static_cast<FieldState*>(GetPropW(edit, kFieldStateProperty))) {
        limited->maxBytes = maxBytes;
        return;
    }
    auto* field = new FieldState{maxBytes, false, {}, {0, 0}};
    if (!SetWindowSubclass(edit, ByteLimitProc, kSubclassId, reinterpret_cast<DWORD_PTR>(field))) {
        delete field;
        return;
    }
    // Without the property a later call could not find the state again.
    if (!SetPropW(edit, kFieldStateProperty, field)) {
        RemoveWindowSubclass(edit, ByteLimitProc, kSubclassId);
        delete field;
    }
}
