#include "dialogs/win/Template.h"

#include "dialogs/win/FocusRefresh.h"

namespace {

HINSTANCE ownModule() {
    return GetModuleHandleW(nullptr);
}

} // namespace

Template::~Template() {
    if (window && IsWindow(window)) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (modeless)
            DestroyWindow(window);
    }
}

INT_PTR Template::create(int resourceId, HWND parent, bool createModeless, bool show) {
    if (window && IsWindow(window)) {
        SetForegroundWindow(window);
        return 0;
    }
    // The program's windows and their message boxes keep the keys under Wine.
    FocusRefresh::watchThread();
    window = nullptr;
    modeless = createModeless ? 1 : 0;
    activeSinceCreate = 0;
    if (modeless) {
        window = CreateDialogParamW(ownModule(), MAKEINTRESOURCEW(resourceId), parent,
                                    staticDialogProc, reinterpret_cast<LPARAM>(this));
        if (window && show) {
            ShowWindow(window, SW_SHOW);
            SetForegroundWindow(window);
        }
        return 0;
    }
    return DialogBoxParamW(ownModule(), MAKEINTRESOURCEW(resourceId), parent, staticDialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void Template::close(INT_PTR result) {
    if (onClosing && window)
        onClosing(result);
    if (!modeless) {
        EndDialog(window, result);
    } else if (window) {
        DestroyWindow(window);
        window = nullptr;
    }
}

INT_PTR Template::dialogProc(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

LRESULT Template::defaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

INT_PTR CALLBACK Template::staticDialogProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        reinterpret_cast<Template*>(lParam)->window = window;
    }
    auto* object = reinterpret_cast<Template*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!object)
        return 0;
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && !object->activeSinceCreate) {
        object->activeSinceCreate = 1;
        if (object->onActive)
            object->onActive();
    }
    INT_PTR result = object->dialogProc(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // However the window ended (close, its owner, the system), the object
        // must not keep a handle that may be reused for another window.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (object->window == window)
            object->window = nullptr;
    }
    return result;
}
