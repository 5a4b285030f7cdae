// The tray icon's menu `PopupMenu1`, top to bottom, one row per item:
//   CLICK(name, id, caption, handler)       calls MainUnit::handler
//   POWER(name, id, caption, operation)     runs the PowerOperation at once
//   SEPARATOR(name)                         a line
// `id` is the item's WM_COMMAND id, `caption` its text, with "&" marking the
// access key. n6's caption is completed with the user name at start-up;
// n1 is checked while monitoring is on; N21 is enabled while there are
// postponed countdowns; N23 while the quick timer is set, its caption then
// completed with what it does ("取消定时（23:15 关机）").
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "actions/power_actions.h"
#include "lang/texts.h"

#define VELMARO_POPUP_MENU(CLICK, POWER, SEPARATOR)      \
  CLICK(n1, 101, MenuMonitoring, N1Click)                \
  CLICK(N21, 122, MenuCancelPostponed, N21Click)              \
  CLICK(N23, 124, MenuCancelTimer, N23Click)              \
  SEPARATOR(N2)                                          \
  CLICK(N24, 125, MenuQuickTimer, N24Click)                 \
  CLICK(n4, 104, MenuSettings, n4Click)                    \
  CLICK(N22, 123, MenuRecord, N22Click)              \
  SEPARATOR(N5)                                          \
  POWER(n6, 106, MenuLogOff, LogOff)                     \
  POWER(n7, 107, MenuStandBy, StandBy)                    \
  POWER(n8, 108, MenuHibernate, Hibernate)                  \
  POWER(n9, 109, MenuRestart, Restart)                    \
  POWER(n10, 110, MenuShutDown, PowerOff)                  \
  POWER(n18, 118, MenuFastRestart, FastRestart)           \
  POWER(n19, 119, MenuFastShutDown, FastPowerOff)          \
  CLICK(n11, 111, MenuOpenTray, n11Click)              \
  CLICK(n12, 112, MenuCloseTray, n12Click)              \
  CLICK(n13, 113, MenuMonitorOff, n13Click)            \
  CLICK(L1, 120, MenuCleanup, L1Click)            \
  SEPARATOR(N14)                                         \
  CLICK(N20, 121, MenuUpdate, N20Click)              \
  CLICK(n15, 115, MenuAbout, n15Click)                  \
  CLICK(n16, 116, MenuHelp, n16Click)                  \
  CLICK(n17, 117, MenuExit, n17Click)

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
  Text caption;  // "&" marks the access key
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
