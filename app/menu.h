// Command ids of the tray icon's menu `PopupMenu1` (the WM_COMMAND ids of the
// Windows menu), named after the menu items.
#pragma once

namespace velmaro {

enum class MenuItem : unsigned {
  Separator = 0,
  n1 = 101,   // monitoring on or off, checked while on
  n4 = 104,   // the settings dialog
  n6 = 106,   // log off, its caption completed with the user name at start-up
  n7 = 107,   // stand by
  n8 = 108,   // hibernate
  n9 = 109,   // restart
  n10 = 110,  // power off
  n11 = 111,  // open the CD tray
  n12 = 112,  // close the CD tray
  n13 = 113,  // monitor off
  n15 = 115,  // the About window
  n16 = 116,  // the help file
  n17 = 117,  // exit
  n18 = 118,  // fast restart
  n19 = 119,  // fast power off
  L1 = 120,   // clean system junk
  N20 = 121,  // the download page
  N21 = 122,  // drop the postponed countdowns, enabled while there are any
  N22 = 123,  // the record of what ran
};

extern const char kLogOffCaption[];  // n6's caption before the user name is added

}  // namespace velmaro
