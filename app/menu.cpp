#include "app/menu.h"

namespace velmaro {

const char kLogOffCaption[] = "注销(&L)";

const MenuEntry kPopupMenu[] = {
    {MenuItem::n17, "退出(&X)"},
};
const std::size_t kPopupMenuSize = sizeof kPopupMenu / sizeof kPopupMenu[0];

}  // namespace velmaro
