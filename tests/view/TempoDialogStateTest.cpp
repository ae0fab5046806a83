// What OK reads from the tempo dialog's controls.
#include <gtest/gtest.h>

#include "view/TempoDialogState.h"

namespace velmio {
namespace {

TEST(TempoDialogState, OkRefusesMoreBeatsPerBarThanTheBeatUnit) {
  struct Case {
    int32_t beatsIndex, unitIndex;
    bool accepted;
  };
  // Beats 2, 3, 4, 6 over units 2, 4, 8.
  const Case cases[] = {
      {1, 0, false}, {2, 0, false}, {3, 0, false}, {3, 1, false},  // 3/2 4/2 6/2 6/4
      {3, 2, true},  {1, 1, true},  {2, 1, true},  {0, 0, true},   // 6/8 3/4 4/4 2/2
  };
  for (const Case& c : cases) {
    TempoDialogState state;
    TempoDialogControls typed;
    typed.tempoText = "90";
    typed.beatsPerBarIndex = c.beatsIndex;
    typed.beatUnitIndex = c.unitIndex;
    state.Edit(typed);
    const std::optional<TempoGrid> grid = state.ReadForOk(TempoGrid{});
    ASSERT_EQ(grid.has_value(), c.accepted) << c.beatsIndex << "/" << c.unitIndex;
    if (grid) {
      EXPECT_EQ(grid->beatsPerBar, BeatsPerBarOfIndex(c.beatsIndex));
      EXPECT_EQ(grid->beatUnit, BeatUnitOfIndex(c.unitIndex));
      EXPECT_EQ(grid->tempo, 90);
    }
  }
}

TEST(TempoDialogState, TypedListTextMatchingNoItemKeepsTheStoredValue) {
  const TempoGrid stored{100, 3, 8, 20};
  TempoDialogState state;
  TempoDialogControls typed;
  typed.tempoText = "110";
  typed.startText = "30";
  typed.beatsPerBarIndex = kNoSelection;
  typed.beatUnitIndex = kNoSelection;
  state.Edit(typed);
  const std::optional<TempoGrid> grid = state.ReadForOk(stored);
  ASSERT_TRUE(grid);
  EXPECT_EQ(*grid, (TempoGrid{110, 3, 8, 30}));
  // The stored value still takes part in the check: 6 over a stored 4 is refused.
  typed.beatsPerBarIndex = 3;
  state.Edit(typed);
  EXPECT_FALSE(state.ReadForOk(TempoGrid{100, 3, 4, 20}));
}

TEST(TempoDialogState, StoredValuesOutsideTheListsSelectTheFirstEntry) {
  TempoDialogState state;
  state.ShowStoredValues(TempoGrid{-12, 5, 16, 700});
  EXPECT_EQ(state.Controls().beatsPerBarIndex, 0);
  EXPECT_EQ(state.Controls().beatUnitIndex, 0);
  EXPECT_EQ(state.Controls().tempoText, "-12");
  EXPECT_EQ(state.Controls().startText, "700");
}

TEST(TempoDialogState, EditTextsReadAsTheirLeadingNumber) {
  const std::pair<const char*, int32_t> cases[] = {
      {"120", 120},
      {"  96 bpm", 96},
      {"+7", 7},
      {"-250", -250},
      {"abc", 0},
      {"", 0},
      {"12.9", 12},
      {"- 5", 0},
      {"\t 42x", 42},
      {"99999999999", 2147483647},
      {"-99999999999", -2147483647 - 1},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(LeadingInteger(text), value) << text;
}

}  // namespace
}  // namespace velmio
