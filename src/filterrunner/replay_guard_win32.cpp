#include <windows.h>

#include "filterproc/protocol.h"
#include "filterrunner/replay_guard.h"

namespace mugwarp::filterrunner {

namespace {

bool isOwnWindow(HWND window) { return window && !(GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD); }

// The dialog class, by atom or by name: a window of it is made only to ask.
bool isDialogClass(LPCSTR name) {
    if (!name) return false;
    if (IS_INTRESOURCE(name)) return LOWORD(reinterpret_cast<ULONG_PTR>(name)) == 0x8002;
    return lstrcmpiA(name, "#32770") == 0;
}

// A top-level window being created visible, a dialog box (a message box is
// one) being created at all, or a top-level window activated asks someone;
// hidden helper windows do none of that. Wine without a display still
// creates the dialog of a message box, which would then return at once.
LRESULT CALLBACK endOnDialog(int code, WPARAM wParam, LPARAM lParam) {
    bool asks = false;
    if (code == HCBT_ACTIVATE) asks = isOwnWindow(reinterpret_cast<HWND>(wParam));
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        asks = create && !(create->style & WS_CHILD) && create->hwndParent != HWND_MESSAGE &&
               ((create->style & WS_VISIBLE) || isDialogClass(create->lpszClass));
    }
    if (asks) TerminateProcess(GetCurrentProcess(), filterproc::kExitAskedForDialog);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

ReplayGuard::ReplayGuard(bool active) {
    if (active) hook_ = SetWindowsHookExA(WH_CBT, endOnDialog, nullptr, GetCurrentThreadId());
}

ReplayGuard::~ReplayGuard() {
    if (hook_) UnhookWindowsHookEx(static_cast<HHOOK>(hook_));
}

}  // namespace mugwarp::filterrunner
