// File types on Win32: the default verb's command through AssocQueryStringW, and the shell's
// notice that associations changed (SHChangeNotify).
#pragma once

#include "platform/file_types.h"

namespace tarvo::win {

// Both functions are looked up at their first use, not imported: the dialog's start loads no
// library for a question asked only when OK is pressed, and shlwapi is not loaded at all
// until then.
class WinFileTypes final : public FileTypes {
public:
    std::optional<std::string> defaultCommand(const std::string& filePath) override;
    void associationsChanged() override;
};

}  // namespace tarvo::win
