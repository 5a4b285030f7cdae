#pragma once

#include "platform/file_dialog.h"

namespace velmaro {

// GetOpenFileNameW; paths converted with code page 936.
class Win32FileDialog : public FileDialogService {
 public:
  std::optional<ChosenFile> OpenFile(WindowHandle owner, const OpenFileRequest& request) override;
};

}  // namespace velmaro
