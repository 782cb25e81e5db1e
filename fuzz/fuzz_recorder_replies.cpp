// What comes over the serial line is outside input: status replies, date/time answers and
// memory images of any content must be parsed and converted without reading past their end.
// QuaylinkW.ini is outside input too.
#include <cstddef>
#include <cstdint>
#include <string>

#include "recorder/instrument.h"
#include "terminal/comm_settings.h"
#include "testing/test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  tidora::InstrumentInfo info;
  tidora::ParseStatus(text, info, true);
  tidora::MakeStatusText(text);
  tidora::MakeCoefficientText(text);
  tidora::ClockSettingSupported(text);
  tidora::DateTimeReplyError(text);
  tidora::ExpectedLineCount(info);
  for (int r : {5, 8, 17}) {
    info.recordSize = r;
    info.tgr77 = r == 17;
    info.tgr41plus = !info.tgr77;
    info.conductivity = r == 8;
    tidora::ImageToHexLines(data, size, info);
  }
  static const std::string path = [] {
    static tidora::testing::TempDir dir;
    return dir.file("QuaylinkW.ini");
  }();
  tidora::testing::WriteFile(path, text);
  tidora::CommSettings s;
  tidora::ReadCommSettings(s, path, tidora::ScreenSize{});
  return 0;
}
