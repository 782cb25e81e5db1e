#pragma once

namespace tidora::ui {

// QApplication takes the whole locale from the environment, decimal comma included. The C
// library's number formatting and scanning (setup files, page fields, printf formats) must
// keep the "C" form, so every program calls this right after QApplication starts.
void KeepCNumericLocale();

}  // namespace tidora::ui
