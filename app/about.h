// The About window `TForm2`: its texts, and the service that opens it. The
// version and the release date are those of the build.
#pragma once

#include <string>

namespace velmaro {

// The window's texts in the language in force: "关于..."; "名称:    Velmaro";
// "版本:    " and the version; "时间:    " and the release date; "制作:    "
// and the makers; an empty label; "确定(&O)".
struct Form2Texts {
  std::string caption, label1, label2, label5, label3, label4, button1;
};
Form2Texts AboutTexts();

// What the menu's "关于(&A)" needs: each call opens one more About window,
// not modal, owned by the application; a closed one is only hidden.
class AboutService {
 public:
  virtual ~AboutService() = default;
  virtual void ShowAbout() = 0;
};

}  // namespace velmaro
