// The About window `TForm2`: its texts, in code page 936, and the service
// that opens it. The version and the release date are those of the build.
#pragma once

namespace velmaro {

extern const char kForm2Caption[];  // "关于..."
extern const char kForm2Label1[];   // "名称:    Velmaro"
extern const char kForm2Label2[];   // "版本:    " and the version
extern const char kForm2Label5[];   // "时间:    " and the release date
extern const char kForm2Label3[];   // "制作:    " and the makers
extern const char kForm2Label4[];   // empty
extern const char kForm2Button1[];  // "确定(&O)"

// What the menu's "关于(&A)" needs: each call opens one more About window,
// not modal, owned by the application; a closed one is only hidden.
class AboutService {
 public:
  virtual ~AboutService() = default;
  virtual void ShowAbout() = 0;
};

}  // namespace velmaro
