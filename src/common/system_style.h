// Which desktop's conventions the running program follows: how paths are written, where the
// data files live and how a file is started. Windows unless a front end says otherwise at
// start, so the core behaves exactly as Tarvo.exe wherever nobody asks for another style.
#pragma once

namespace tarvo {

enum class SystemStyle { Windows, Linux };

SystemStyle systemStyle();
void setSystemStyle(SystemStyle style);

// The separator between a path's folders: "\" on Windows, "/" on Linux.
char pathSeparator();

}  // namespace tarvo
