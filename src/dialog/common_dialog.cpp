// The argument dialog's open-file dialog component.
#include "dialog/common_dialog.h"

namespace tarvo {

void CommonDialog::ShowOpen(FilePicker& picker, const Window* owner) {
    OpenFileRequest request;
    request.owner = owner;
    request.title = kTitle;
    request.filterDescription = kFilter;
    request.initDir = InitDir;
    request.fileName = FileName;
    request.flags = kFlags;
    request.maxPath = kMaxPath;
    if (auto picked = picker.showOpen(request)) {
        FileName = picked->path;
        FileTitle = picked->title;
    } else {
        // Callers read an empty name as "nothing picked"; a stale name would be added again.
        FileName.clear();
        FileTitle.clear();
    }
}

}  // namespace tarvo
