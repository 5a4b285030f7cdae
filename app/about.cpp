#include "app/about.h"

namespace velmaro {

// Four spaces after each colon, as one string per label.
const char kForm2Caption[] = "关于...";
const char kForm2Label1[] = "名称:    Velmaro";
const char kForm2Label2[] = "版本:    " VELMARO_VERSION;
const char kForm2Label5[] = "时间:    " VELMARO_RELEASE_DATE;
const char kForm2Label3[] = "制作:    Velmaro 团队";
const char kForm2Label4[] = "";
const char kForm2Button1[] = "确定(&O)";

}  // namespace velmaro
