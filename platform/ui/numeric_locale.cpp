#include "platform/ui/numeric_locale.h"

#include <clocale>

namespace tidora::ui {

void KeepCNumericLocale() {
  std::setlocale(LC_NUMERIC, "C");
}

}  // namespace tidora::ui
