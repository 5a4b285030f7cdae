#include "platform/file_dialog_win.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "base/text_win.h"
#include "platform/system_library_win.h"

namespace velmaro {

std::optional<ChosenFile> Win32FileDialog::OpenFile(WindowHandle owner, const OpenFileRequest& request) {
  // "description|pattern|..." becomes the dialog's pairs of zero-terminated
  // strings; a "|" byte is never the second byte of a double-byte character
  // in these fixed texts, and the wide form has no such bytes at all.
  WideString filter = ToWide(request.filter);
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.append(2, L'\0');
  const WideString title = ToWide(request.title);
  const WideString directory = ToWide(request.initialDirectory);
  std::vector<wchar_t> file(32768, L'\0');

  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = reinterpret_cast<HWND>(owner);
  dialog.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
  // The current folder stays where it was: the program runs elevated and
  // must not start looking for libraries in a folder the user browsed to.
  dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  const auto getOpenFileName = FileDialog().GetOpenFileNameW;
  if (!getOpenFileName || !getOpenFileName(&dialog)) return std::nullopt;
  const std::optional<std::string> path = StorablePath(file.data());
  if (!path) return ChosenFile{FromWide(WideString(file.data())), false};
  return ChosenFile{*path, true};
}

std::unique_ptr<FileDialogService> MakeSystemFileDialog() { return std::make_unique<Win32FileDialog>(); }

}  // namespace velmaro
