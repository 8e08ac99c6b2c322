// The argument dialog's open-file dialog component: its stored settings, the state kept
// between uses (start folder, file name, file title), and ShowOpen.
#pragma once

#include <string>

#include "platform/pickers.h"

namespace tarvo {

class CommonDialog {
public:
    static constexpr const char* kTitle = "Browse Files...";
    static constexpr const char* kFilter = "All Files";
    static constexpr unsigned kFlags = 0x1004;  // file must exist, no read-only box
    static constexpr int kMaxPath = 260;
    // The shell's name for the My Computer view.
    static constexpr const char* kMyComputer = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

    std::string InitDir;
    std::string FileName;
    std::string FileTitle;

    // Shows the dialog modal to owner. Afterwards FileName holds the picked full path and
    // FileTitle its last component; both are empty when nothing was picked.
    void ShowOpen(FilePicker& picker, const class Window* owner);
};

}  // namespace tarvo
