#pragma once
// What the tempo dialog "テンポ、拍子の設定" shows: the texts of its two edit
// boxes, the selections of its two metre lists, its message line and whether
// it is shown. The view writes it (stored values, estimates) and reads it
// when OK is pressed; the window mirrors it in its controls and hands the
// user's edits back. UI thread.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/TempoEstimator.h"
#include "engine/TempoGrid.h"

namespace velmio {

inline constexpr char kTempoMessageInitial[] = "値を推定しました。適宜修正して下さい。";
inline constexpr char kTempoMessageEstimated[] = "推定値です。適宜修正して下さい。";
inline constexpr char kTempoMessageStored[] = "以前の設定値を表示しています。";
inline constexpr char kTempoMetreRefused[] = "エラー：　分子＞分母";

// No list entry is selected: the text typed into the list's edit field
// matches none of its items.
constexpr int32_t kNoSelection = -1;

struct TempoDialogControls {
  std::string tempoText = "0";
  std::string startText = "0";
  int32_t beatsPerBarIndex = 2;  // in "2", "3", "4", "6"
  int32_t beatUnitIndex = 1;     // in "2", "4", "8"
  std::string message = kTempoMessageInitial;
  bool visible = false;

  bool operator==(const TempoDialogControls&) const = default;
};

class TempoDialogState {
 public:
  const TempoDialogControls& Controls() const { return m_controls; }

  // The user's edits: the two texts and the two selections (the message and
  // the visibility are the view's).
  void Edit(const TempoDialogControls& typed);
  void SetVisible(bool visible) { m_controls.visible = visible; }
  void SetMessage(const std::string& text) { m_controls.message = text; }

  // Writes the stored values into the controls.
  void ShowStoredValues(const TempoGrid& stored);
  // Writes an estimate into the tempo and start boxes and the bar list; the
  // beat unit is left as it is.
  void ShowProposal(const TempoProposal& proposal);

  // The grid OK stores from the controls: a list without a selection keeps
  // the stored value. Nothing when the beats per bar exceed the beat unit.
  std::optional<TempoGrid> ReadForOk(const TempoGrid& stored) const;

 private:
  TempoDialogControls m_controls;
};

// The number an edit box's text gives: leading blanks skipped, an optional
// sign, then decimal digits up to the first other character; 0 without
// digits. Kept to the int32 range.
int32_t LeadingInteger(const std::string& text);

}  // namespace velmio
