// The open-file dialog and the folder picker as the forms use them.
#pragma once

#include <optional>
#include <string>

namespace tarvo {

class Window;

struct OpenFileRequest {
    const Window* owner = nullptr;
    std::string title;
    std::string filterDescription;  // one file type, listing every file
    std::string initDir;            // may be a shell name such as "::{...}"
    std::string fileName;           // initial name in the name box
    unsigned flags = 0;             // 0x1000 file must exist, 0x4 no read-only box
    int maxPath = 260;
};

struct PickedFile {
    std::string path;   // full path of one existing file
    std::string title;  // its last component
};

class FilePicker {
public:
    virtual ~FilePicker() = default;
    // Shows the dialog modally; nullopt when the user cancelled or the dialog failed.
    virtual std::optional<PickedFile> showOpen(const OpenFileRequest& request) = 0;
};

class FolderPicker {
public:
    virtual ~FolderPicker() = default;
    // Shows the shell's folder picker with no owner, rooted at the desktop, and returns the
    // picked folder's path as the shell reports it (a virtual folder gives its parsing name
    // beginning with "::"); empty when cancelled or when anything failed.
    virtual std::string browseForFolder(const std::string& prompt, unsigned options) = 0;
};

}  // namespace tarvo
