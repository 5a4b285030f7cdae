// The stored words as a person reads them: a trigger text, an action name
// and a countdown verb in the language of the windows. In Simplified Chinese
// they read exactly as stored; a word of no known form reads as stored too.
// What the user enters is always stored in the stored form.
#pragma once

#include <string>

namespace velmaro {

// "每天22时30分" reads "Daily at 22:30", "每天22時30分".
std::string ShownTrigger(const std::string& stored);
// "关闭计算机" reads "Shut down", "關閉電腦".
std::string ShownAction(const std::string& name);
// The countdown verb "关机" reads "shutdown", "關機": a noun a sentence
// can take ("The shutdown was cancelled").
std::string ShownVerb(const std::string& verb);

}  // namespace velmaro
