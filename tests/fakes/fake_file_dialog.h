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
  std::optional<ChosenFile> OpenFile(WindowHandle owner, const OpenFileRequest& request) override {
    owners.push_back(owner);
    requests.push_back(request);
    if (!answer) return std::nullopt;
    return ChosenFile{*answer, !unstorable};
  }

  std::optional<std::string> answer;  // nothing: the user cancels
  bool unstorable = false;            // the answer has no code page 936 form
  std::vector<WindowHandle> owners;
  std::vector<OpenFileRequest> requests;
};

}  // namespace velmaro
