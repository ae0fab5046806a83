// Which flow a file dropped on the view opens.
#include <gtest/gtest.h>

#include "view/DropRouting.h"

namespace velmio {
namespace {

struct DropCase {
  const char* path;
  const char* decoder;
  DropKind kind;
};

TEST(DropRouting, ChoosesTheFlowByTheLastFourCharacters) {
  const DropCase cases[] = {
      {"/music/A.WAV", "none", DropKind::kRecording},
      {"/music/a.Wav", "none", DropKind::kRecording},
      {"/music/a.VLX", "none", DropKind::kAnalysisData},
      {"/music/a.vlx", "/opt/EcoDecoTooL.exe", DropKind::kAnalysisData},
      {"/music/song.mp3", "none", DropKind::kRecording},  // decoded by the program itself
      {"/music/Song.OPUS", "none", DropKind::kRecording},
      {"/music/notes.txt", "none", DropKind::kIgnore},
      {"/music/notes.txt", "/opt/EcoDecoTooL.exe", DropKind::kRecording},
      {"/music/song.mp3", "/opt/EcoDecoTooL.exe", DropKind::kRecording},
      {"/music/song.wav.txt", "none", DropKind::kIgnore},
      {"/music/wav", "none", DropKind::kIgnore},
      {".wav", "none", DropKind::kRecording},
      {"", "/opt/EcoDecoTooL.exe", DropKind::kIgnore},  // a dropped item that is no local file
  };
  for (const DropCase& c : cases) {
    AnalysisSettings settings;
    settings.m_decoderPath = c.decoder;
    EXPECT_EQ(ClassifyDroppedFile(c.path, settings), c.kind) << c.path << " with " << c.decoder;
  }
}

}  // namespace
}  // namespace velmio
