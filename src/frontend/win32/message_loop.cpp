// The message loop with the forms' key preview in front of the dialog manager.
#include "frontend/win32/message_loop.h"

#include "frontend/win32/native_form.h"
#include "platform/win32/startup_trace.h"

namespace tarvo::win {

bool routeMessage(MSG& msg) {
    NativeForm* form = NativeForm::fromWindow(msg.hwnd);
    return form && form->preTranslate(msg);
}

void dispatchMessage(MSG& msg) {
    if (routeMessage(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

int runMessageLoop() {
    MSG msg{};
#ifdef TARVO_STARTUP_TRACE
    // The start ends when the queue first runs dry after the first paint.
    pumpMessages();
    startupIdle();
#endif
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) dispatchMessage(msg);
    return static_cast<int>(msg.wParam);
}

void pumpMessages() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        dispatchMessage(msg);
    }
}

}  // namespace tarvo::win
