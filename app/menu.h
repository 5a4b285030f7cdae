// The tray icon's menu `PopupMenu1`, top to bottom, one row per item:
//   CLICK(name, id, caption, handler)       calls MainUnit::handler
//   POWER(name, id, caption, operation)     runs the PowerOperation at once
//   SEPARATOR(name)                         a line
// `id` is the item's WM_COMMAND id, `caption` code page 936 with "&" marking
// the access key. n6's caption is completed with the user name at start-up;
// n1 is checked while monitoring is on; N21 is enabled while there are
// postponed countdowns; N23 while the quick timer is set, its caption then
// completed with what it does ("取消定时（23:15 关机）").
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "actions/power_actions.h"

#define VELMARO_POPUP_MENU(CLICK, POWER, SEPARATOR)      \
  CLICK(n1, 101, "启用监控(&E)", N1Click)                \
  CLICK(N21, 122, "取消推迟(&D)", N21Click)              \
  CLICK(N23, 124, "取消定时(&N)", N23Click)              \
  SEPARATOR(N2)                                          \
  CLICK(N24, 125, "定时(&T)…", N24Click)                 \
  CLICK(n4, 104, "设置(&S)", n4Click)                    \
  CLICK(N22, 123, "运行记录(&L)", N22Click)              \
  SEPARATOR(N5)                                          \
  POWER(n6, 106, "注销(&L)", LogOff)                     \
  POWER(n7, 107, "待机(&W)", StandBy)                    \
  POWER(n8, 108, "休眠(&S)", Hibernate)                  \
  POWER(n9, 109, "重启(&R)", Restart)                    \
  POWER(n10, 110, "关机(&U)", PowerOff)                  \
  POWER(n18, 118, "快速重启(&I)", FastRestart)           \
  POWER(n19, 119, "快速关机(&Q)", FastPowerOff)          \
  CLICK(n11, 111, "打开光驱(&O)", n11Click)              \
  CLICK(n12, 112, "关闭光驱(&C)", n12Click)              \
  CLICK(n13, 113, "关闭显示器(&M)", n13Click)            \
  CLICK(L1, 120, "清理系统垃圾(&Z)", L1Click)            \
  SEPARATOR(N14)                                         \
  CLICK(N20, 121, "软件更新(&P)", N20Click)              \
  CLICK(n15, 115, "关于(&A)", n15Click)                  \
  CLICK(n16, 116, "帮助(&H)", n16Click)                  \
  CLICK(n17, 117, "退出(&X)", n17Click)

namespace velmaro {

#define VELMARO_MENU_ID(name, id, caption, does) name = id,
#define VELMARO_MENU_NO_ID(name)
enum class MenuItem : unsigned {
  Separator = 0,
  VELMARO_POPUP_MENU(VELMARO_MENU_ID, VELMARO_MENU_ID, VELMARO_MENU_NO_ID)
};

#undef VELMARO_MENU_ID
#define VELMARO_MENU_ID(name, id, caption, does) id,
constexpr unsigned kMenuIds[] = {VELMARO_POPUP_MENU(VELMARO_MENU_ID, VELMARO_MENU_ID, VELMARO_MENU_NO_ID)};
#undef VELMARO_MENU_ID
#undef VELMARO_MENU_NO_ID

// A WM_COMMAND id is a WORD, and 0 is no command; two items with one id
// would both run the first's command.
constexpr bool MenuIdsAreDistinct() {
  for (unsigned i = 0; i < sizeof kMenuIds / sizeof kMenuIds[0]; ++i) {
    if (kMenuIds[i] == 0 || kMenuIds[i] > 0xFFFF) return false;
    for (unsigned j = 0; j < i; ++j) {
      if (kMenuIds[j] == kMenuIds[i]) return false;
    }
  }
  return true;
}
static_assert(MenuIdsAreDistinct(), "every menu item needs an id of its own, from 1 to 0xFFFF");

// Whether `id` belongs to a menu item.
constexpr bool IsMenuId(unsigned id) {
  for (unsigned menuId : kMenuIds) {
    if (menuId == id) return true;
  }
  return false;
}

class MainUnit;

// A row of the tray menu: a separator has neither a handler nor an operation.
struct MenuEntry {
  MenuItem item;
  const char* caption;  // code page 936; "&" marks the access key
  void (MainUnit::*click)();
  std::optional<PowerOperation> power;
};
extern const MenuEntry kPopupMenu[];
extern const std::size_t kPopupMenuSize;
// The row of `item`, or null for a separator or an id of no item.
const MenuEntry* FindMenuEntry(MenuItem item);

// `text` as a menu caption shows it: every "&" doubled, so that a user name
// such as "R&D" marks no access key.
std::string MenuText(const std::string& text);

}  // namespace velmaro
