// The program's message loop: every message of a built form first passes its key preview,
// the controls' key handlers and the dialog manager.
#pragma once

#include <windows.h>

namespace tarvo::win {

// Key preview, key handlers and dialog keys for one message; true when it was handled there
// and must not be translated or dispatched.
bool routeMessage(MSG& msg);
// routeMessage, else TranslateMessage and DispatchMessage.
void dispatchMessage(MSG& msg);
// Runs until WM_QUIT and returns its exit code.
int runMessageLoop();
// Handles every message waiting now (tests); a WM_QUIT found is put back and ends the pump.
void pumpMessages();

}  // namespace tarvo::win
