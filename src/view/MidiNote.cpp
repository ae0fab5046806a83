// The view's MIDI operations: the note of a clicked pitch row and the
// instrument chosen in the settings.
#include "view/TestView.h"

namespace velmio {

void CTestView::OnLButtonDown(int32_t /*x*/, int32_t y) {
  // The column does not matter: the keyboard strip and the space beyond the
  // last frame sound their row's note too.
  if (m_midiOutput.IsSounding()) return;
  const ClientSize client = m_host.GetClientSize();
  const ScrollPoint scroll = m_host.GetScrollPosition();
  const AnalysisParams& shown = m_analysis.Params();
  const int32_t note = MidiNoteAtRow(y, client.height, scroll.y, shown.lowNote, shown.highNote);
  if (note != 0) m_midiOutput.StartNote(note);
}

void CTestView::SetMidiInstrument(int32_t number) {
  const int32_t program = ClampMidiProgram(number - 1);
  if (program == m_settings.m_midiProgram) return;
  m_settings.m_midiProgram = program;
  m_midiOutput.SendProgramChange(program);
}

}  // namespace velmio
