#include "view/TempoDialogState.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace velmio {

void TempoDialogState::Edit(const TempoDialogControls& typed) {
  m_controls.tempoText = typed.tempoText;
  m_controls.startText = typed.startText;
  m_controls.beatsPerBarIndex = typed.beatsPerBarIndex;
  m_controls.beatUnitIndex = typed.beatUnitIndex;
}

void TempoDialogState::ShowStoredValues(const TempoGrid& stored) {
  m_controls.beatsPerBarIndex = IndexOfBeatsPerBar(stored.beatsPerBar);
  m_controls.beatUnitIndex = IndexOfBeatUnit(stored.beatUnit);
  m_controls.tempoText = std::to_string(stored.tempo);
  m_controls.startText = std::to_string(stored.startMs);
}

void TempoDialogState::ShowProposal(const TempoProposal& proposal) {
  m_controls.beatsPerBarIndex = proposal.beatsPerBarIndex;
  m_controls.tempoText = std::to_string(proposal.tempo);
  m_controls.startText = std::to_string(proposal.startMs);
}

std::optional<TempoGrid> TempoDialogState::ReadForOk(const TempoGrid& stored) const {
  TempoGrid grid = stored;
  if (m_controls.beatsPerBarIndex != kNoSelection)
    grid.beatsPerBar = BeatsPerBarOfIndex(m_controls.beatsPerBarIndex);
  if (m_controls.beatUnitIndex != kNoSelection)
    grid.beatUnit = BeatUnitOfIndex(m_controls.beatUnitIndex);
  if (grid.beatsPerBar > grid.beatUnit) return std::nullopt;
  grid.tempo = LeadingInteger(m_controls.tempoText);
  grid.startMs = LeadingInteger(m_controls.startText);
  return grid;
}

int32_t LeadingInteger(const std::string& text) {
  std::size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t value = 0;
  for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
    value = std::min(value * 10 + (text[at] - '0'), kLimit);
  }
  if (negative) value = -value;
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace velmio
