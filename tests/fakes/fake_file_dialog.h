// A file-open dialog that answers with a chosen path, or cancels, and
// records what it was asked.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_dialog.h"

namespace velmaro {

class FakeFileDialog : public FileDialogService {
 public:
  std::optional<std::string> OpenFile(WindowHandle owner, const OpenFileRequest& request) override {
    owners.push_back(owner);
    requests.push_back(request);
    return answer;
  }

  std::optional<std::string> answer;  // nothing: the user cancels
  std::vector<WindowHandle> owners;
  std::vector<OpenFileRequest> requests;
};

}  // namespace velmaro
