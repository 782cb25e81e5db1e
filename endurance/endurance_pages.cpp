#include "endurance/endurance_pages.h"

#include <cmath>
#include <cstdio>

#include "datafile/textio.h"
#include "endurance/endurance_model.h"
#include "platform/interaction.h"

namespace tidora {

using namespace endurance;
using Id = EnduranceControl;

namespace {

// Result captions and patterns.
constexpr const char* kBurstCaption = "Wave burst duration (seconds) =";
constexpr const char* kStatisticsCaption = "Wave statistics duration (seconds) =";
constexpr const char* kAlkalineCaption = "Nominal alkaline battery endurance (days) =";
constexpr const char* kLithiumCaption = "Nominal lithium battery endurance (days) =";
constexpr const char* kMemory8Caption = "8 MB Memory endurance (days) = ";
constexpr const char* kMemory32Caption = "32 MB Memory endurance (days) = ";
constexpr const char* kBurstPattern = "Wave burst duration (seconds) = %1.0lf";
constexpr const char* kStatisticsPattern = "Wave statistics duration (seconds) = %1.0lf";
constexpr const char* kAlkalinePattern = "Nominal alkaline battery endurance (days) = %1.1lf";
constexpr const char* kLithiumPattern = "Nominal lithium battery endurance (days) = %1.1lf";
constexpr const char* kMemory8Pattern = "8 MB Memory endurance (days) = %1.1lf";
constexpr const char* kMemory32Pattern = "32 MB Memory endurance (days) = %1.1lf";

constexpr const char* kMemoryError = "Error calculating memory endurance.";
constexpr const char* kTwoYearWarning =
    "Warning: deployments longer than 2 years are not recommended with alkaline batteries.";
constexpr const char* kReferenceDisabled = "Reference frequency measurement is disabled ";
constexpr const char* kSamplesMessage =
    "Wave Samples per Burst must be a multiple of 4 greater than 0.";

const std::vector<std::string> kSampleDurations = {"1.00", "0.75", "0.50", "0.25"};
const std::vector<std::string> kStatisticsSampleCounts = {"16384", "8192", "4096",
                                                          "2048",  "1024", "512"};

const char* TitleOf(int type) {
  switch (type) {
    case 1:
      return "TGR 41";
    case 2:
      return "TGR 41plus-Quartz";
    case 3:
      return "TGR 41plus-Strain";
    case 4:
      return "TGR 77 BPR";
  }
  return "";
}

struct Row {
  Id id;
  ControlKind kind;
  const char* caption;
  const char* types;  // the instrument types that have the row, as digits
};

// The page layout, top to bottom; each page takes the rows of its type.
const Row kRows[] = {
    {Id::kTideInterval, ControlKind::kEntry, "Tide measurement interval (minutes) =", "1234"},
    {Id::kTideDurationSeconds, ControlKind::kEntry, "Tide measurement duration (seconds) =", "23"},
    {Id::kTideDurationMinutes, ControlKind::kEntry, "Tide measurement duration (minutes) =", "4"},
    {Id::kReferenceEvery, ControlKind::kEntry,
     "Measure reference frequency every N tide samples, N =", "4"},
    {Id::kWavesEvery, ControlKind::kEntry, "Measure waves every N tide samples, N =", "123"},
    {Id::kSamplesPerBurst, ControlKind::kEntry, "Wave samples per burst =", "123"},
    {Id::kSampleDuration, ControlKind::kList, "Wave sample duration (seconds) =", "123"},
    {Id::kContinuousPower, ControlKind::kCheck, "Pressure sensor is continuously powered", "4"},
    {Id::kWarmUp, ControlKind::kEntry, "Pressure sensor warm up (minutes) = ", "4"},
    {Id::kConductivity, ControlKind::kCheck, "Conductivity", "1234"},
    {Id::kFirmware6, ControlKind::kCheck, "Firmware version 6.0 or greater", "2"},
    {Id::kStatistics, ControlKind::kCheck, "Output real-time wave statistics", "23"},
    {Id::kStatisticsSamples, ControlKind::kList,
     "Real-time wave statistics samples per burst =", "23"},
    {Id::kBurstDuration, ControlKind::kResult, kBurstCaption, "123"},
    {Id::kStatisticsDuration, ControlKind::kResult, kStatisticsCaption, "23"},
    {Id::kAlkaline, ControlKind::kResult, kAlkalineCaption, "1234"},
    {Id::kLithium, ControlKind::kResult, kLithiumCaption, "234"},
    {Id::kMemory, ControlKind::kResult, nullptr, "1234"},
    {Id::kNote, ControlKind::kNote, "", "1234"},
    {Id::kReferenceNote, ControlKind::kNote, "", "4"},
};

std::string FormatValue(const char* pattern, double value) {
  return FormatC(pattern, value);
}

// "%lf" reading of an entry. Text that is not a finite number ("nan", "inf", an overflow)
// counts as no number, so it cannot slip past the range rules.
double ScanNumber(const std::string& text) {
  double v = 0;
  FieldScanner s(text);
  if (!s.Double(v) || !std::isfinite(v)) return 0;
  return v;
}

bool IsWholeMultipleOf4(double s) {
  return s > 0 && std::trunc(s) == s && std::fmod(s, 4.0) == 0;
}

}  // namespace

// ---- CDPCPageBase ----

CDPCPageBase::CDPCPageBase(Interaction& ui, int type) : ui_(ui), type_(type) {
  char digit = static_cast<char>('0' + type);
  for (const Row& r : kRows) {
    if (std::string(r.types).find(digit) == std::string::npos) continue;
    PageControl c{r.id, r.kind, r.caption ? r.caption : "", {}, {}, -1, false, true, {}};
    if (r.id == Id::kMemory) c.caption = type == 1 ? kMemory8Caption : kMemory32Caption;
    if (r.kind == ControlKind::kResult) c.text = c.caption;
    controls_.push_back(std::move(c));
  }
  if (PageControl* d = Find(Id::kSampleDuration)) {
    d->items = kSampleDurations;
    d->selection = 3;  // 0.25
  }
  if (PageControl* q = Find(Id::kStatisticsSamples)) {
    q->items = kStatisticsSampleCounts;
    q->selection = 5;  // 512
  }
}

std::string CDPCPageBase::GetTitle() const {
  return TitleOf(type_);
}

PageControl* CDPCPageBase::Find(EnduranceControl id) {
  for (PageControl& c : controls_)
    if (c.id == id) return &c;
  return nullptr;
}

const PageControl* CDPCPageBase::Find(EnduranceControl id) const {
  for (const PageControl& c : controls_)
    if (c.id == id) return &c;
  return nullptr;
}

void CDPCPageBase::Changed() {
  if (onChange_) onChange_();
}

void CDPCPageBase::ClearResults() {
  for (PageControl& c : controls_) {
    if (c.kind == ControlKind::kResult) c.text = c.caption;
    if (c.kind == ControlKind::kNote) c.text.clear();
  }
  resultsShown_ = false;
  Changed();
}

bool CDPCPageBase::SetEntryText(EnduranceControl id, const std::string& text) {
  PageControl* c = Find(id);
  if (!c || c->kind != ControlKind::kEntry || !c->enabled) return false;
  c->entry.SetText(text);
  ClearResults();
  return true;
}

std::string CDPCPageBase::EntryText(EnduranceControl id) const {
  const PageControl* c = Find(id);
  return c && c->kind == ControlKind::kEntry ? c->entry.GetText() : std::string();
}

bool CDPCPageBase::SelectListItem(EnduranceControl id, int index) {
  PageControl* c = Find(id);
  if (!c || c->kind != ControlKind::kList || !c->enabled) return false;
  if (index < 0 || index >= static_cast<int>(c->items.size())) return false;
  c->selection = index;
  ClearResults();
  return true;
}

bool CDPCPageBase::SelectListText(EnduranceControl id, const std::string& item) {
  const PageControl* c = Find(id);
  if (!c) return false;
  for (size_t i = 0; i < c->items.size(); ++i)
    if (c->items[i] == item) return SelectListItem(id, static_cast<int>(i));
  return false;
}

int CDPCPageBase::ListSelection(EnduranceControl id) const {
  const PageControl* c = Find(id);
  return c ? c->selection : -1;
}

std::vector<std::string> CDPCPageBase::ListItems(EnduranceControl id) const {
  const PageControl* c = Find(id);
  return c ? c->items : std::vector<std::string>();
}

bool CDPCPageBase::SetCheck(EnduranceControl id, bool checked) {
  PageControl* c = Find(id);
  if (!c || c->kind != ControlKind::kCheck || !c->enabled) return false;
  c->checked = checked;
  OnCheckChanged(id);
  Changed();
  return true;
}

bool CDPCPageBase::IsChecked(EnduranceControl id) const {
  const PageControl* c = Find(id);
  return c && c->checked;
}

bool CDPCPageBase::IsEnabled(EnduranceControl id) const {
  const PageControl* c = Find(id);
  return c && c->enabled;
}

std::string CDPCPageBase::ShownText(EnduranceControl id) const {
  const PageControl* c = Find(id);
  return c ? c->text : std::string();
}

std::vector<std::string> CDPCPageBase::ResultLines() const {
  std::vector<std::string> lines;
  for (const PageControl& c : controls_)
    if (c.kind == ControlKind::kResult && c.text != c.caption) lines.push_back(c.text);
  for (const PageControl& c : controls_)
    if (c.kind == ControlKind::kNote && !c.text.empty()) lines.push_back(c.text);
  return lines;
}

double CDPCPageBase::EntryValue(EnduranceControl id) const {
  return ScanNumber(EntryText(id));
}

double CDPCPageBase::ListValue(EnduranceControl id) const {
  const PageControl* c = Find(id);
  if (!c || c->selection < 0 || c->selection >= static_cast<int>(c->items.size())) return 0;
  return ScanNumber(c->items[static_cast<size_t>(c->selection)]);
}

void CDPCPageBase::ShowMessage(const std::string& text) {
  ui_.Message(text, kDeploycalcTitle, MsgIcon::None, MsgButtons::Ok);
}

void CDPCPageBase::WriteResult(EnduranceControl id, const char* pattern, double value) {
  SetShownText(id, FormatValue(pattern, value));
  resultsShown_ = true;
}

void CDPCPageBase::SetShownText(EnduranceControl id, const std::string& text) {
  if (PageControl* c = Find(id)) {
    c->text = text;
    Changed();
  }
}

void CDPCPageBase::SetEnabled(EnduranceControl id, bool enabled) {
  if (PageControl* c = Find(id)) c->enabled = enabled;
}

void CDPCPageBase::SetChecked(EnduranceControl id, bool checked) {
  if (PageControl* c = Find(id)) c->checked = checked;
}

// The conductivity box only makes the shown results stale.
void CDPCPageBase::OnCheckChanged(EnduranceControl) {
  ClearResults();
}

// ---- TGR 41 ----

C41Page::C41Page(Interaction& ui) : CDPCPageBase(ui, 1) {}

void C41Page::Calculate() {
  ClearResults();
  double im = EntryValue(Id::kTideInterval);
  double n = EntryValue(Id::kWavesEvery);
  double s = EntryValue(Id::kSamplesPerBurst);
  double d = ListValue(Id::kSampleDuration);
  bool conductivity = IsChecked(Id::kConductivity);

  double tides = TideSamplesPerDayFromMinutes(im);
  double conductivitySamples = conductivity ? tides : 0.0;
  // A zero interval has no daily sample count; it is reported as the memory error the burst
  // count guard reports, instead of endurance figures of nothing.
  if (std::fabs(n) < kBurstCountEpsilon || !std::isfinite(tides)) {
    SetShownText(Id::kNote, kMemoryError);
    return;
  }
  double bursts = EventsPerDay(tides, n);
  if (!IsWholeMultipleOf4(s)) {
    ShowMessage(kSamplesMessage);
    return;
  }
  double bytes = Tgr41MemoryBytesPerDay(tides, conductivitySamples, bursts, s);
  if (std::fabs(bytes) < kTgr41MemoryUseEpsilon) {
    SetShownText(Id::kNote, kMemoryError);
    return;
  }
  WriteResult(Id::kMemory, kMemory8Pattern, MemoryEnduranceDays(kTgr41MemoryBytes, bytes));
  double burst = BurstDuration(s, d);
  WriteResult(Id::kBurstDuration, kBurstPattern, burst);
  double charge = Tgr41ChargePerDay(tides, bursts, burst, conductivity);
  WriteResult(Id::kAlkaline, kAlkalinePattern, Tgr41AlkalineEnduranceDays(charge));
}

// ---- TGR 41plus ----

C41PlusPage::C41PlusPage(Interaction& ui, int type) : CDPCPageBase(ui, type) {
  SetChecked(Id::kFirmware6, true);
  SetEnabled(Id::kStatisticsSamples, false);
}

void C41PlusPage::OnCheckChanged(EnduranceControl id) {
  bool firmware = !HasControl(Id::kFirmware6) || IsChecked(Id::kFirmware6);
  if (id == Id::kFirmware6) {
    if (!firmware) SetChecked(Id::kStatistics, false);
    SetEnabled(Id::kStatistics, firmware);
  }
  if (id == Id::kFirmware6 || id == Id::kStatistics)
    SetEnabled(Id::kStatisticsSamples, IsChecked(Id::kStatistics) && firmware);
  ClearResults();
}

void C41PlusPage::ReadInputs() {
  intervalMinutes_ = EntryValue(Id::kTideInterval);
  tideDuration_ = EntryValue(Id::kTideDurationSeconds);
  wavesEvery_ = EntryValue(Id::kWavesEvery);
  conductivity_ = IsChecked(Id::kConductivity);
  // The strain page has no firmware box: its recorders all run the newer firmware.
  firmware_ = !HasControl(Id::kFirmware6) || IsChecked(Id::kFirmware6);
  statistics_ = IsChecked(Id::kStatistics);
  samplesTyped_ = EntryValue(Id::kSamplesPerBurst);
  samples_ = std::trunc(samplesTyped_);
  statisticsSamples_ = RealTimeStatistics() ? ListValue(Id::kStatisticsSamples) : 0.0;
  sampleDuration_ = ListValue(Id::kSampleDuration);
}

bool C41PlusPage::ValidateWithGap(double gap, bool durationMayEqualInterval,
                                  const RuleTexts& texts) {
  double interval = kSecondsPerMinute * intervalMinutes_;
  double burst = BurstDuration(samples_, sampleDuration_);
  const char* failed = nullptr;
  if (wavesEvery_ < 1) {
    failed = "Burst interval must be greater than or equal to 1.";
  } else if (wavesEvery_ > 10000) {
    failed = "Burst interval must be less than or equal to 10000.";
  } else if (interval < 60) {
    failed = "Tide interval must be greater than or equal to one minute.";
  } else if (interval > 43200) {
    failed = "Tide interval must be less than or equal to 12 hours.";
  } else if (tideDuration_ < 10) {
    failed = "Tide duration must be greater than or equal to 10 seconds.";
  } else if (!(durationMayEqualInterval && tideDuration_ == interval) &&
             tideDuration_ > interval - gap) {
    failed = texts.tideIdle;
  } else if (!IsWholeMultipleOf4(samples_)) {
    failed = kSamplesMessage;
  } else if (RealTimeStatistics() && statisticsSamples_ > samples_) {
    failed = "Samples per burst for statistics must be <= wave samples per burst.";
  } else {
    double busy = RealTimeStatistics() ? burst + StatisticsDuration(statisticsSamples_) : burst;
    if (busy > interval - gap)
      failed = RealTimeStatistics() ? texts.burstWithStatistics : texts.burstOnly;
  }
  if (failed) ShowMessage(failed);
  return failed == nullptr;
}

void C41PlusPage::WriteDurations() {
  WriteResult(Id::kBurstDuration, kBurstPattern, BurstDuration(samples_, sampleDuration_));
  WriteResult(Id::kStatisticsDuration, kStatisticsPattern,
              RealTimeStatistics() ? StatisticsDuration(statisticsSamples_) : 0.0);
}

void C41PlusPage::WriteBatteryEndurance(double alkalineDays, double lithiumDays) {
  WriteResult(Id::kAlkaline, kAlkalinePattern, alkalineDays);
  WriteResult(Id::kLithium, kLithiumPattern, lithiumDays);
  SetShownText(Id::kNote, alkalineDays > kTwoYearsDays ? kTwoYearWarning : "");
}

void C41PlusPage::WriteMemoryEndurance(bool firmware6) {
  double tides = TideSamplesPerDayFromMinutes(intervalMinutes_);
  if (std::fabs(wavesEvery_) < kBurstCountEpsilon) {
    SetShownText(Id::kNote, kMemoryError);
    return;
  }
  double bursts = EventsPerDay(tides, wavesEvery_);
  double bytes = Plus41MemoryBytesPerDay(samplesTyped_, bursts, tides, firmware6, conductivity_);
  if (std::fabs(bytes) < kMemoryUseEpsilon) {
    SetShownText(Id::kNote, kMemoryError);
    return;
  }
  WriteResult(Id::kMemory, kMemory32Pattern, MemoryEnduranceDays(kMemoryBytes, bytes));
}

CQuartz::CQuartz(Interaction& ui) : C41PlusPage(ui, 2) {}

bool CQuartz::ValidateInputs() {
  return ValidateWithGap(
      20, true,
      {"Tide interval - tide duration must be greater than or equal to 20 seconds, or tide "
       "duration must equal time interval.",
       "burst duration + statistics duration - tide interval must be greater than or equal to 20 "
       "seconds.",
       "burst duration time - tide interval must be greater than or equal to 20 seconds."});
}

void CQuartz::Calculate() {
  ClearResults();
  ReadInputs();
  if (!ValidateInputs()) return;
  WriteDurations();
  double interval = kSecondsPerMinute * intervalMinutes_;
  double tides = TideSamplesPerDayFromSeconds(interval);
  double bursts = EventsPerDay(tides, wavesEvery_);
  double tideEnergy = QuartzTideSampleEnergy(tideDuration_, interval, conductivity_);
  double burstEnergy =
      QuartzBurstEnergy(BurstDuration(samples_, sampleDuration_),
                        StatisticsDuration(statisticsSamples_), RealTimeStatistics());
  double daily = QuartzDailyEnergy(burstEnergy, bursts, tideEnergy, tides);
  WriteBatteryEndurance(AlkalineEnduranceDays(daily), LithiumEnduranceDays(daily));
  WriteMemoryEndurance(firmware_);
}

CStrain::CStrain(Interaction& ui) : C41PlusPage(ui, 3) {}

bool CStrain::ValidateInputs() {
  return ValidateWithGap(
      10, false,
      {"Tide interval - tide duration must be greater than or equal to 10 seconds.",
       "burst duration + statistics duration - tide interval must be greater than or equal to 10 "
       "seconds.",
       "burst duration time - tide interval must be greater than or equal to 10 seconds."});
}

double CStrain::DailyEnergy() const {
  return StrainDailyEnergy(kSecondsPerMinute * intervalMinutes_, tideDuration_, wavesEvery_,
                           BurstDuration(samples_, sampleDuration_), statisticsSamples_,
                           RealTimeStatistics(), conductivity_);
}

void CStrain::Calculate() {
  ClearResults();
  ReadInputs();
  if (!ValidateInputs()) return;
  WriteDurations();
  double daily = DailyEnergy();
  WriteBatteryEndurance(AlkalineEnduranceDays(daily),
                        LithiumEnduranceDaysWithoutSelfDischarge(daily));
  WriteMemoryEndurance(true);
}

// ---- TGR 77 BPR ----

C77Page::C77Page(Interaction& ui) : CDPCPageBase(ui, 4) {
  SetChecked(Id::kContinuousPower, true);
  SetEnabled(Id::kWarmUp, false);
}

void C77Page::OnCheckChanged(EnduranceControl id) {
  if (id == Id::kContinuousPower) SetEnabled(Id::kWarmUp, !IsChecked(Id::kContinuousPower));
  ClearResults();
}

void C77Page::ReadInputs() {
  interval_ = kSecondsPerMinute * EntryValue(Id::kTideInterval);
  tideDuration_ = kSecondsPerMinute * EntryValue(Id::kTideDurationMinutes);
  warmUp_ = kSecondsPerMinute * EntryValue(Id::kWarmUp);
  referenceEvery_ = EntryValue(Id::kReferenceEvery);
  conductivity_ = IsChecked(Id::kConductivity);
  continuouslyPowered_ = IsChecked(Id::kContinuousPower);
}

bool C77Page::ValidateInputs() {
  std::vector<std::string> failed;
  if (interval_ < 60) failed.push_back(FormatValue("Tide interval must be >= %1.0f minute", 1));
  if (interval_ > 3600) failed.push_back(FormatValue("Tide interval must be < %1.0f minutes", 60));
  if (tideDuration_ < 60) failed.push_back(FormatValue("Tide duration must be >= %1.0f minute", 1));
  if (continuouslyPowered_) {
    if (tideDuration_ != interval_ && tideDuration_ > interval_ - 60)
      failed.push_back("tide duration be = tide interval\nor < tide interval - one minute");
  } else {
    if (warmUp_ < 300) failed.push_back("Pressure sensor warmup must be >= 5 minutes");
    if (tideDuration_ + warmUp_ > interval_ - 60)
      failed.push_back("tide duration + warmup must be <= tide interval - one minute");
  }
  if (referenceEvery_ < kSecondsPerDay / interval_)
    failed.push_back("reference frequency measurement interval must be >= one day");
  if (referenceEvery_ > 30 * kSecondsPerDay / interval_)
    failed.push_back("reference frequency measurement interval must be <= one month");
  for (const std::string& m : failed) ShowMessage(m);
  return failed.empty();
}

void C77Page::Calculate() {
  ClearResults();
  ReadInputs();
  if (!ValidateInputs()) return;
  double tides = TideSamplesPerDayFromSeconds(interval_);
  double references = EventsPerDay(tides, referenceEvery_);
  double tideEnergy =
      BprTideSampleEnergy(interval_, tideDuration_, warmUp_, continuouslyPowered_, conductivity_);
  double daily = BprDailyEnergy(references, tideEnergy, tides);
  double alkaline = AlkalineEnduranceDays(daily);
  WriteResult(Id::kAlkaline, kAlkalinePattern, alkaline);
  WriteResult(Id::kLithium, kLithiumPattern, LithiumEnduranceDays(daily));
  SetShownText(Id::kNote, alkaline > kTwoYearsDays ? kTwoYearWarning : "");
  WriteResult(
      Id::kMemory, kMemory32Pattern,
      MemoryEnduranceDays(kMemoryBytes, BprMemoryBytesPerDay(tides, references, conductivity_)));
  SetShownText(Id::kReferenceNote,
               ReferenceFrequencyDisabled(interval_, tideDuration_, warmUp_, continuouslyPowered_)
                   ? kReferenceDisabled
                   : "");
}

std::unique_ptr<CDPCPageBase> MakeEndurancePage(int type, Interaction& ui) {
  switch (type) {
    case 1:
      return std::make_unique<C41Page>(ui);
    case 2:
      return std::make_unique<CQuartz>(ui);
    case 3:
      return std::make_unique<CStrain>(ui);
    case 4:
      return std::make_unique<C77Page>(ui);
  }
  return nullptr;
}

}  // namespace tidora
