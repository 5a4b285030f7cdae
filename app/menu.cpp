#include "app/menu.h"

#include "app/main_unit.h"

namespace velmaro {

std::string MenuText(const std::string& text) {
  std::string shown;
  for (char c : text) {
    shown += c;
    // "&" is a single byte in code page 936: never the second byte of a
    // double-byte character, whose second bytes start at 0x40.
    if (c == '&') shown += '&';
  }
  return shown;
}

#define VELMARO_MENU_CLICK(name, id, caption, handler) {MenuItem::name, Text::caption, &MainUnit::handler, std::nullopt},
#define VELMARO_MENU_POWER(name, id, caption, operation) {MenuItem::name, Text::caption, nullptr, PowerOperation::operation},
#define VELMARO_MENU_SEPARATOR(name) {MenuItem::Separator, Text::Empty, nullptr, std::nullopt},
const MenuEntry kPopupMenu[] = {
    VELMARO_POPUP_MENU(VELMARO_MENU_CLICK, VELMARO_MENU_POWER, VELMARO_MENU_SEPARATOR)};
#undef VELMARO_MENU_CLICK
#undef VELMARO_MENU_POWER
#undef VELMARO_MENU_SEPARATOR
const std::size_t kPopupMenuSize = sizeof kPopupMenu / sizeof kPopupMenu[0];

const MenuEntry* FindMenuEntry(MenuItem item) {
  if (item == MenuItem::Separator) return nullptr;
  for (const MenuEntry& entry : kPopupMenu) {
    if (entry.item == item) return &entry;
  }
  return nullptr;
}

}  // namespace velmaro
