// The icons as Velmaro.exe ships them, read from the built exe itself: every
// size of each icon loads and shows its picture, MAINICON shares the ENASHUT
// images, and only the images Windows XP never asks for are PNG (which it
// cannot read): 64 and 128 px, and DISSHUT's 48 px, its largest, which only
// the tray of a later Windows above 200 % DPI shows (larger sizes of it are
// that image scaled).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "base/text_win.h"
#include "tests/win32/win32_test_support.h"

namespace velmaro {
namespace {

const int kSizes[] = {16, 24, 32, 48, 64, 128};

struct ExeModule {
  HMODULE module = LoadLibraryExW((TestExeFolder() + L"Velmaro.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ~ExeModule() {
    if (module) FreeLibrary(module);
  }
};

std::string ResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type) {
  HRSRC found = FindResourceW(module, name, type);
  if (!found) return std::string();
  const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
  return std::string(data, SizeofResource(module, found));
}

// The colour of one point of the icon drawn at `size` onto white.
COLORREF PixelOf(HICON icon, int size, double x, double y) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all = {0, 0, size, size};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  COLORREF pixel = GetPixel(dc, static_cast<int>(x * size), static_cast<int>(y * size));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixel;
}

TEST(Win32Icons, EverySizeOfEachIconLoadsWithItsPicture) {
  ExeModule exe;
  ASSERT_TRUE(exe.module);
  struct Case {
    const wchar_t* name;
    COLORREF face;  // the disc between the clock's hands and its rim
  } const cases[] = {
      {L"MAINICON", RGB(46, 160, 67)},
      {L"ENASHUT", RGB(46, 160, 67)},
      {L"DISSHUT", RGB(150, 150, 150)},
  };
  for (const Case& c : cases) {
    for (int size : kSizes) {
      SCOPED_TRACE(testing::Message() << FromWide(c.name) << " " << size);
      HICON icon = static_cast<HICON>(LoadImageW(exe.module, c.name, IMAGE_ICON, size, size, 0));
      ASSERT_TRUE(icon);
      ICONINFO info = {};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      BITMAP colour = {};
      GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof colour, &colour);
      EXPECT_EQ(colour.bmWidth, size);
      if (info.hbmColor) DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
      // A point of the face clear of the hands, the ticks and the stroke.
      EXPECT_EQ(PixelOf(icon, size, 0.3, 0.62), c.face);
      EXPECT_EQ(PixelOf(icon, size, 0.02, 0.02), RGB(255, 255, 255));  // transparent corner
      DestroyIcon(icon);
    }
  }
}

TEST(Win32Icons, MainIconSharesTheEnabledImagesAndOnlyWhatXpNeverAsksForIsPng) {
  ExeModule exe;
  ASSERT_TRUE(exe.module);
  const std::string mainGroup = ResourceBytes(exe.module, L"MAINICON", MAKEINTRESOURCEW(14));
  ASSERT_FALSE(mainGroup.empty());
  EXPECT_EQ(mainGroup, ResourceBytes(exe.module, L"ENASHUT", MAKEINTRESOURCEW(14)));

  struct Icon {
    const wchar_t* name;
    int pngFrom;
  };
  for (const Icon& icon : {Icon{L"ENASHUT", 64}, Icon{L"DISSHUT", 48}}) {
    const wchar_t* name = icon.name;
    std::string group = ResourceBytes(exe.module, name, MAKEINTRESOURCEW(14));
    for (int size : kSizes) {
      SCOPED_TRACE(testing::Message() << FromWide(name) << " " << size);
      int id = LookupIconIdFromDirectoryEx(reinterpret_cast<BYTE*>(&group[0]), TRUE, size, size, 0);
      const std::string image = ResourceBytes(exe.module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));
      ASSERT_GE(image.size(), 8u);
      const bool png = image.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0;
      EXPECT_EQ(png, size >= icon.pngFrom);
    }
  }
}

}  // namespace
}  // namespace velmaro
