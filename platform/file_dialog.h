// The common file-open dialog.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/shell.h"

namespace velmaro {

struct OpenFileRequest {
  std::string title;             // empty: the system's own title
  std::string filter;            // "description|pattern|...", empty: every file
  std::string initialDirectory;  // empty: the system's choice
};

struct ChosenFile {
  // The full path in code page 936; its short 8.3 form where the long one has
  // characters outside the code page.
  std::string path;
  // False when neither form fits the code page: `path` then has "?" in their
  // place and names no file.
  bool storable = true;
};

class FileDialogService {
 public:
  virtual ~FileDialogService() = default;
  // Shows the modal dialog; the chosen file, or nothing when the user cancels.
  virtual std::optional<ChosenFile> OpenFile(WindowHandle owner, const OpenFileRequest& request) = 0;
};

// The running system's file dialog (Windows builds only).
std::unique_ptr<FileDialogService> MakeSystemFileDialog();

}  // namespace velmaro
