#include "app/about.h"

#include "lang/texts.h"

namespace velmaro {

Form2Texts AboutTexts() {
  return {Tr(Text::AboutCaption), Tr(Text::AboutName),           Format(Text::AboutVersion, {VELMARO_VERSION}),
          Format(Text::AboutDate, {VELMARO_RELEASE_DATE}), Tr(Text::AboutMakers), "", Tr(Text::ButtonOk)};
}

}  // namespace velmaro
