// Timing marks of the program's start, for finding where it goes. Built only with the CMake
// option TARVO_STARTUP_TRACE; otherwise every call is empty and compiles to nothing.
//
// Each mark notes the time since the process was created. At the first moment the dialog waits
// for input (its message queue empty after the first paint) the marks are appended to the file
// named by the environment variable TARVO_STARTUP_LOG, one per line:
//     <ms since process creation> <ms since the previous mark> <what just ended>
// scripts/trace-startup.sh builds with the option and reports the medians of many starts.
#pragma once

namespace tarvo::win {

#ifdef TARVO_STARTUP_TRACE
// Notes that `what` (a literal) has just ended.
void startupMark(const char* what);
// The message loop found its queue empty: notes it and writes the marks, the first time only.
void startupIdle();
#else
inline void startupMark(const char*) {}
inline void startupIdle() {}
#endif

}  // namespace tarvo::win
