#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "outside/utility.h"

namespace tidora {

class Interaction;

// The application's title: the caption of every validation message.
inline constexpr const char* kDeploycalcTitle = "Deploycalc";

// The controls of the endurance pages. A page holds the ones its instrument type has, in
// layout order (see CDPCPageBase::Controls).
enum class EnduranceControl {
  kTideInterval,         // entry, minutes (all types)
  kTideDurationSeconds,  // entry (types 2, 3)
  kTideDurationMinutes,  // entry (type 4)
  kReferenceEvery,       // entry (type 4)
  kWavesEvery,           // entry (types 1 to 3)
  kSamplesPerBurst,      // entry (types 1 to 3)
  kSampleDuration,       // list (types 1 to 3)
  kContinuousPower,      // check box (type 4)
  kWarmUp,               // entry, minutes (type 4)
  kConductivity,         // check box (all types)
  kFirmware6,            // check box (type 2)
  kStatistics,           // check box (types 2, 3)
  kStatisticsSamples,    // list (types 2, 3)
  kBurstDuration,        // result (types 1 to 3)
  kStatisticsDuration,   // result (types 2, 3)
  kAlkaline,             // result (all types)
  kLithium,              // result (types 2 to 4)
  kMemory,               // result (all types)
  kNote,                 // note line (all types)
  kReferenceNote,        // reference note line (type 4)
};

enum class ControlKind { kEntry, kList, kCheck, kResult, kNote };

// One control of a page as a window shows it.
struct PageControl {
  EnduranceControl id;
  ControlKind kind;
  std::string caption;             // label, box text, or the bare caption of a result
  TextField entry;                 // entries: the text as typed
  std::vector<std::string> items;  // lists
  int selection = -1;              // lists: selected item, -1 for none
  bool checked = false;            // check boxes
  bool enabled = true;
  std::string text;  // results and note lines: what the label shows now
};

// The base of every page: owns the controls, clears and writes results, shows messages.
// A window binds to it unchanged: it builds one widget per control, forwards the user's edits
// through SetEntryText / SelectListItem / SetCheck, and refreshes every widget (text, check,
// enabled) when the change callback runs.
class CDPCPageBase {
 public:
  virtual ~CDPCPageBase() = default;
  CDPCPageBase(const CDPCPageBase&) = delete;
  CDPCPageBase& operator=(const CDPCPageBase&) = delete;

  virtual int GetInstrumentType() const = 0;
  // Clears the results, reads and validates the inputs, computes and writes the results.
  // Problems are shown through the interaction; nothing is returned.
  virtual void Calculate() = 0;
  // Puts the bare captions back and empties the note lines.
  virtual void ClearResults();

  // The tab title: "TGR 41", "TGR 41plus-Quartz", "TGR 41plus-Strain" or "TGR 77 BPR".
  std::string GetTitle() const;
  // The controls in layout order, top to bottom.
  const std::vector<PageControl>& Controls() const { return controls_; }
  bool HasControl(EnduranceControl id) const { return Find(id) != nullptr; }

  // Entries. SetEntryText is the user typing: it clears the results. False when the page has
  // no such entry or it is disabled.
  bool SetEntryText(EnduranceControl id, const std::string& text);
  std::string EntryText(EnduranceControl id) const;
  // Lists. False when the page has no such list, it is disabled or the index is out of range.
  bool SelectListItem(EnduranceControl id, int index);
  // Selects the item whose text is `item`; false when there is none.
  bool SelectListText(EnduranceControl id, const std::string& item);
  int ListSelection(EnduranceControl id) const;
  std::vector<std::string> ListItems(EnduranceControl id) const;
  // Check boxes: a click that sets the box to `checked`, running its handler. False when the
  // page has no such box or it is disabled.
  bool SetCheck(EnduranceControl id, bool checked);
  bool IsChecked(EnduranceControl id) const;
  bool IsEnabled(EnduranceControl id) const;

  // What a result label or note line shows now ("" when the page has no such control).
  std::string ShownText(EnduranceControl id) const;
  std::string NoteLine() const { return ShownText(EnduranceControl::kNote); }
  std::string ReferenceNoteLine() const { return ShownText(EnduranceControl::kReferenceNote); }
  // True once a calculation has written its results, until they are cleared.
  bool ResultsShown() const { return resultsShown_; }
  // The result labels that hold a result, in page order, then the note line and the
  // reference note line when they are not empty.
  std::vector<std::string> ResultLines() const;

  // Runs after every change of a control's text, check or enabled state.
  void SetChangeCallback(std::function<void()> callback) { onChange_ = std::move(callback); }

 protected:
  CDPCPageBase(Interaction& ui, int type);

  // An entry's number as "%lf" reads it: 0 when the text does not begin with a number.
  double EntryValue(EnduranceControl id) const;
  // The selected list item's number; 0 with no selection.
  double ListValue(EnduranceControl id) const;
  // A validation message: a plain box with the application's title and an OK button.
  void ShowMessage(const std::string& text);
  // Writes a result label from its pattern.
  void WriteResult(EnduranceControl id, const char* pattern, double value);
  void SetShownText(EnduranceControl id, const std::string& text);
  void SetEnabled(EnduranceControl id, bool enabled);
  void SetChecked(EnduranceControl id, bool checked);
  // A box handler: what happens after the user clicks the box `id`.
  virtual void OnCheckChanged(EnduranceControl id);
  void Changed();

  PageControl* Find(EnduranceControl id);
  const PageControl* Find(EnduranceControl id) const;

  Interaction& ui_;

 private:
  int type_;
  std::vector<PageControl> controls_;
  bool resultsShown_ = false;
  std::function<void()> onChange_;
};

// TGR 41 (type 1).
class C41Page : public CDPCPageBase {
 public:
  explicit C41Page(Interaction& ui);
  int GetInstrumentType() const override { return 1; }
  void Calculate() override;
};

// What the two TGR 41plus pages share: the firmware and statistics boxes, the statistics list,
// and the inputs ReadInputs reads.
class C41PlusPage : public CDPCPageBase {
 public:
  void ReadInputs();
  virtual bool ValidateInputs() = 0;

 protected:
  C41PlusPage(Interaction& ui, int type);
  void OnCheckChanged(EnduranceControl id) override;
  // Statistics in use: the statistics and firmware flags both set.
  bool RealTimeStatistics() const { return statistics_ && firmware_; }
  // Rules shared by both sensors; `gap` is the idle time a tide interval needs, and the
  // messages are the sensor's own.
  struct RuleTexts {
    const char* tideIdle;
    const char* burstWithStatistics;
    const char* burstOnly;
  };
  bool ValidateWithGap(double gap, bool durationMayEqualInterval, const RuleTexts& texts);
  void WriteDurations();
  void WriteBatteryEndurance(double alkalineDays, double lithiumDays);
  // Memory endurance, with the firmware flag that chooses the record layout.
  void WriteMemoryEndurance(bool firmware6);

  double intervalMinutes_ = 0;  // Im
  double tideDuration_ = 0;     // b, seconds
  double wavesEvery_ = 0;       // N
  bool conductivity_ = false;
  bool firmware_ = true;
  bool statistics_ = false;
  double samples_ = 0;            // S, truncated to a whole number
  double samplesTyped_ = 0;       // S as typed
  double statisticsSamples_ = 0;  // Q, 0 without statistics
  double sampleDuration_ = 0;     // d, seconds
};

// TGR 41plus with a quartz sensor (type 2).
class CQuartz : public C41PlusPage {
 public:
  explicit CQuartz(Interaction& ui);
  int GetInstrumentType() const override { return 2; }
  bool ValidateInputs() override;
  void Calculate() override;
};

// TGR 41plus with a strain-gauge sensor (type 3).
class CStrain : public C41PlusPage {
 public:
  explicit CStrain(Interaction& ui);
  int GetInstrumentType() const override { return 3; }
  bool ValidateInputs() override;
  void Calculate() override;
  double DailyEnergy() const;
};

// TGR 77 BPR (type 4).
class C77Page : public CDPCPageBase {
 public:
  explicit C77Page(Interaction& ui);
  int GetInstrumentType() const override { return 4; }
  void ReadInputs();
  // Checks every rule and shows each failing rule's message in order.
  bool ValidateInputs();
  void Calculate() override;

 protected:
  void OnCheckChanged(EnduranceControl id) override;

 private:
  double interval_ = 0;        // I, seconds
  double tideDuration_ = 0;    // b, seconds
  double warmUp_ = 0;          // w, seconds
  double referenceEvery_ = 0;  // M
  bool conductivity_ = false;
  bool continuouslyPowered_ = true;
};

// The order of the pages in the calculator's sheet, by instrument type.
inline constexpr int kEndurancePageOrder[] = {2, 3, 1, 4};

// The page of an instrument type (1 to 4); nullptr for any other number.
std::unique_ptr<CDPCPageBase> MakeEndurancePage(int type, Interaction& ui);

}  // namespace tidora
