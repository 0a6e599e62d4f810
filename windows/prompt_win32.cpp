// The Windows build of our samples asks through a small dialog of its own,
// laid out in memory, so the modules need no resource beyond their PiPL.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "prompt.h"

namespace filters {

namespace {

constexpr WORD kEditId = 100;
constexpr WORD kPreviewId = 101;

struct Request {
    const char* title;
    const char* label;
    int* value;
    int low;
    int high;
    const Preview* preview;
    int shown;  // the value the preview shows: the last valid one typed
};

// The filter draws the preview for the value in the edit field (or the last
// valid one while a number is being typed) over the pane's own background.
void drawPreview(HWND dialog, const DRAWITEMSTRUCT& item, Request& r) {
    BOOL ok = FALSE;
    const int typed = int(GetDlgItemInt(dialog, kEditId, &ok, TRUE));
    if (ok && typed >= r.low && typed <= r.high) r.shown = typed;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    const RECT& pane = item.rcItem;
    (*r.preview)(r.shown, item.hDC, pane.left, pane.top, pane.right - pane.left, pane.bottom - pane.top);
}

// A dialog template: header, then items, each DWORD-aligned, texts as UTF-16.
class DialogTemplate {
public:
    DialogTemplate(const char* title, short width, short height, WORD items) {
        align(4);
        put(DWORD(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU));
        put(DWORD(0));
        put(items);
        put(short(0)), put(short(0)), put(width), put(height);
        put(WORD(0)), put(WORD(0));  // no menu, the default class
        text(title);
        put(WORD(8));
        text("MS Shell Dlg");
    }
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls, const char* caption) {
        align(4);
        put(DWORD(style | WS_CHILD | WS_VISIBLE));
        put(DWORD(0));
        put(x), put(y), put(cx), put(cy);
        put(id);
        put(WORD(0xFFFF)), put(cls);
        text(caption);
        put(WORD(0));
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    template <typename T>
    void put(T v) {
        static_assert(sizeof(T) % 2 == 0);
        const auto* w = reinterpret_cast<const WORD*>(&v);
        words_.insert(words_.end(), w, w + sizeof(T) / 2);
    }
    void text(const char* s) {
        const int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(n), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, s, -1, wide.data(), n);
        for (wchar_t c : wide) words_.push_back(WORD(c));  // n counts the terminating zero
    }
    void align(std::size_t bytes) {
        while ((words_.size() * 2) % bytes) words_.push_back(0);
    }

    std::vector<WORD> words_;
};

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        const auto* r = reinterpret_cast<const Request*>(lParam);
        SetDlgItemInt(dialog, kEditId, UINT(*r->value), TRUE);
        return TRUE;
    }
    case WM_DRAWITEM:
        if (wParam == kPreviewId) {
            auto* r = reinterpret_cast<Request*>(GetWindowLongPtrW(dialog, DWLP_USER));
            drawPreview(dialog, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), *r);
            return TRUE;
        }
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE) {
            if (HWND pane = GetDlgItem(dialog, kPreviewId)) InvalidateRect(pane, nullptr, FALSE);
            return TRUE;
        }
        if (LOWORD(wParam) == IDOK) {
            auto* r = reinterpret_cast<Request*>(GetWindowLongPtrW(dialog, DWLP_USER));
            BOOL ok = FALSE;
            const int v = int(GetDlgItemInt(dialog, kEditId, &ok, TRUE));
            if (!ok || v < r->low || v > r->high) {
                const std::string range = "Enter a whole number from " + std::to_string(r->low) + " to " +
                                          std::to_string(r->high) + ".";
                MessageBoxA(dialog, range.c_str(), r->title, MB_OK | MB_ICONWARNING);
                return TRUE;
            }
            *r->value = v;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

Prompt askInteger(std::intptr_t parentWindow, const char* title, const char* label, int& value, int low, int high,
                  const Preview& preview) {
    if (parentWindow == 0) return Prompt::NoDisplay;
    constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;
    // With a preview, a square pane sits between the field and the buttons.
    const short paneHeight = preview ? 150 : 0;
    const short buttonsTop = short(40 + paneHeight);
    DialogTemplate t(title, 180, short(62 + paneHeight), preview ? 5 : 4);
    t.item(SS_LEFT, 7, 9, 90, 10, 0xFFFF, kStatic, label);
    t.item(ES_NUMBER | ES_LEFT | WS_BORDER | WS_TABSTOP, 100, 7, 73, 13, kEditId, kEdit, "");
    if (preview) t.item(SS_OWNERDRAW | WS_BORDER, 7, 28, 166, short(paneHeight + 4), kPreviewId, kStatic, "");
    t.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 69, buttonsTop, 50, 14, IDOK, kButton, "OK");
    t.item(BS_PUSHBUTTON | WS_TABSTOP, 123, buttonsTop, 50, 14, IDCANCEL, kButton, "Cancel");
    Request request{title, label, &value, low, high, preview ? &preview : nullptr, value};
    const INT_PTR r = DialogBoxIndirectParamW(nullptr, t.get(), reinterpret_cast<HWND>(parentWindow), dialogProc,
                                              reinterpret_cast<LPARAM>(&request));
    if (r == -1) return Prompt::NoDisplay;  // no display to show it on
    return r == IDOK ? Prompt::Chosen : Prompt::Cancelled;
}

}  // namespace filters
