// The common file-open dialog.
#pragma once

#include <optional>
#include <string>

#include "platform/shell.h"

namespace velmaro {

struct OpenFileRequest {
  std::string title;             // empty: the system's own title
  std::string filter;            // "description|pattern|...", empty: every file
  std::string initialDirectory;  // empty: the system's choice
};

class FileDialogService {
 public:
  virtual ~FileDialogService() = default;
  // Shows the modal dialog; the chosen file's full path (code page 936), or
  // nothing when the user cancels.
  virtual std::optional<std::string> OpenFile(WindowHandle owner, const OpenFileRequest& request) = 0;
};

}  // namespace velmaro
