// The tray icon's command menu, top to bottom. Items are added here as their
// commands are built; ids are the WM_COMMAND ids of the Windows menu.
#pragma once

#include <cstddef>

namespace velmaro {

enum class MenuItem : unsigned {
  Separator = 0,
  n6 = 106,   // log off, its caption completed with the user name at start-up
  n17 = 117,  // exit
};

struct MenuEntry {
  MenuItem item;
  const char* caption;  // code page 936; "&" marks the access key
};

extern const MenuEntry kPopupMenu[];
extern const std::size_t kPopupMenuSize;

extern const char kLogOffCaption[];  // n6's caption before the user name is added

}  // namespace velmaro
