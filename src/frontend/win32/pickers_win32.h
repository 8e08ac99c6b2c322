// The open-file dialog (GetOpenFileNameW) and the shell's folder picker (SHBrowseForFolderW).
#pragma once

#include "platform/pickers.h"

namespace tarvo::win {

class WinFilePicker final : public FilePicker {
  public:
    std::optional<PickedFile> showOpen(const OpenFileRequest& request) override;
};

class WinFolderPicker final : public FolderPicker {
  public:
    std::string browseForFolder(const std::string& prompt, unsigned options) override;
};

}  // namespace tarvo::win
