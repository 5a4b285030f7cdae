// The About window with real windows under Wine, and the help command's
// silence when the help file is missing.
#include "app/about_window_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/help.h"
#include "base/text_win.h"
#include "platform/shell_win.h"
#include "tests/fakes/fake_session.h"
#include "tests/win32/win32_test_support.h"
#include "ui/controls_win.h"

namespace velmaro {
namespace {

// The FileVersion text of the shipped exe's version resource.
WideString ExeFileVersion() {
  const WideString exe = TestExeFolder() + L"Velmaro.exe";
  DWORD ignored = 0;
  std::vector<BYTE> block(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
  if (block.empty() || !GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) {
    return L"";
  }
  wchar_t* text = nullptr;
  UINT length = 0;
  VerQueryValueW(block.data(), L"\\StringFileInfo\\080404b0\\FileVersion", reinterpret_cast<void**>(&text), &length);
  return text ? WideString(text) : WideString();
}

TEST(Win32About, EachUseOpensOneMoreWindowLaidOutAsItsForm) {
  AboutWindows about(nullptr);
  about.ShowAbout();
  HWND first = about.Form2()->Handle();
  about.ShowAbout();
  HWND second = about.Form2()->Handle();
  ASSERT_TRUE(first && second);
  EXPECT_NE(first, second);

  const Form2Texts texts = AboutTexts();
  struct Label {
    int id;
    std::string text;
    int x96, y96;
  } const labels[] = {
      {TForm2::IDC_LABEL1, texts.label1, 82, 64},  {TForm2::IDC_LABEL2, texts.label2, 82, 96},
      {TForm2::IDC_LABEL5, texts.label5, 81, 126}, {TForm2::IDC_LABEL3, texts.label3, 82, 154},
      {TForm2::IDC_LABEL4, texts.label4, 82, 183},
  };
  for (HWND window : {first, second}) {
    const int dpi = WindowDpi(window);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(WindowText(window), ToWide("关于..."));
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX);
    RECT frame;
    GetWindowRect(window, &frame);
    EXPECT_EQ(frame.right - frame.left, ScaleForDpi(327, dpi));
    EXPECT_EQ(frame.bottom - frame.top, ScaleForDpi(292, dpi));

    for (const Label& label : labels) {
      HWND control = GetDlgItem(window, label.id);
      EXPECT_EQ(WindowText(control), ToWide(label.text)) << label.id;
      RECT box;
      GetWindowRect(control, &box);
      MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
      EXPECT_EQ(box.left, ScaleForDpi(label.x96, dpi)) << label.id;
      EXPECT_EQ(box.top, ScaleForDpi(label.y96, dpi)) << label.id;
      LOGFONTW font = {};
      GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
      EXPECT_EQ(font.lfHeight, ScaleForDpi(-15, dpi)) << label.id;
    }
    EXPECT_EQ(WindowText(GetDlgItem(window, TForm2::IDC_BUTTON1)), ToWide("确定(&O)"));
  }
  // The version shown is the one the exe carries.
  EXPECT_EQ(WindowText(GetDlgItem(first, TForm2::IDC_LABEL2)), ToWide("版本:    ") + ExeFileVersion());

  // OK and the close box hide an About window; the other one stays.
  SendMessageW(GetDlgItem(second, TForm2::IDC_BUTTON1), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowVisible(second));
  EXPECT_TRUE(IsWindowVisible(first));
  SendMessageW(first, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(first));

  // The next one releases the closed ones.
  about.ShowAbout();
  EXPECT_FALSE(IsWindow(first) || IsWindow(second));
  EXPECT_TRUE(IsWindowVisible(about.Form2()->Handle()));
}

BOOL CALLBACK CountVisible(HWND window, LPARAM count) {
  if (IsWindowVisible(window)) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

int VisibleTopLevelWindows() {
  int count = 0;
  EnumWindows(CountVisible, reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST(Win32Help, AMissingHelpFileShowsNothing) {
  const WideString folder = MakeScratchFolder(L"velmaro help");
  FakeSession session;
  session.path = FromWide(folder) + "Velmaro.exe";
  Win32Shell shell;
  const int before = VisibleTopLevelWindows();
  // A message box of the shell would be modal: the call would not return.
  OpenHelpFile(shell, session, 0);
  Sleep(1500);
  EXPECT_EQ(VisibleTopLevelWindows(), before);
  RemoveScratchFolder(folder);
}

}  // namespace
}  // namespace velmaro
