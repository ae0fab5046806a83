#include "audio/DecoderBridge.h"

#include <filesystem>
#include <fstream>
#include <string_view>

namespace velmio {
namespace {

namespace fs = std::filesystem;

constexpr char kDecoderMissing[] =
    "EcoDecoTooL.exeが見つかりません。\r\n「設定」から再度EcoDecoTooL.exeを指定して下さい";
constexpr char kIniMissing[] =
    "EcoDecoTooL.iniが存在しません。\r\nEcoDecoTooL."
    "exeを起動して終了してから再度この処理を行って下さい。";
constexpr char kChangeQuestion[] =
    "EcoDecoTooL.iniを「ヴェルミオ」用に変更します。よろしいですか？";
constexpr char kChangeFailed[] = "EcoDecoTooL.iniの変更に失敗しました。";
constexpr char kRenameFailed[] = "ファイル名の変更に失敗しました。";
constexpr std::size_t kMaxOutputFolder = 512;

enum class Section { kNone, kComboBox, kRadio, kEdit };

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool CanRead(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec) && std::ifstream(path, std::ios::binary).good();
}

// The line that must replace `line` in `section`, or empty when it may stay.
// All tests are prefix tests: "1003=05" counts as 0, a folder that merely
// begins with the output folder counts as that folder.
std::string Replacement(Section section, std::string_view line, const std::string& outputFolder) {
  switch (section) {
    case Section::kComboBox:
      if (StartsWith(line, "1003=") && !StartsWith(line, "1003=0")) return "1003=0";
      break;
    case Section::kRadio:
      if (StartsWith(line, "wav=") && !StartsWith(line, "wav=1")) return "wav=1";
      if (StartsWith(line, "outfolder=") && !StartsWith(line, "outfolder=1")) return "outfolder=1";
      break;
    case Section::kEdit:
      if (StartsWith(line, "outfolder=") && !StartsWith(line.substr(10), outputFolder))
        return "outfolder=" + outputFolder;
      break;
    case Section::kNone:
      break;
  }
  return {};
}

Section SectionOf(std::string_view line, Section current) {
  if (StartsWith(line, "[ComboBox]")) return Section::kComboBox;
  if (StartsWith(line, "[Radio]")) return Section::kRadio;
  if (StartsWith(line, "[Edit]")) return Section::kEdit;
  return current;  // another section's entries count as the last one's
}

// Copies `config` to `copy` with the required values; the number of lines changed, or -1.
int WriteRequiredCopy(const std::string& config, const std::string& copy,
                      const std::string& outputFolder) {
  std::ifstream in(config, std::ios::binary);
  std::ofstream out(copy, std::ios::binary | std::ios::trunc);
  if (!in || !out) return -1;
  Section section = Section::kNone;
  int changes = 0;
  std::string line;
  while (std::getline(in, line)) {
    const bool ended = !in.eof();  // the last line may have no line end
    section = SectionOf(line, section);
    const std::string replacement = Replacement(section, line, outputFolder);
    if (!replacement.empty()) {
      out << replacement << '\n';
      ++changes;
    } else {
      out << line << (ended ? "\n" : "");
    }
  }
  out.flush();
  return out ? changes : -1;
}

// Renames, or copies and removes across file systems.
bool MoveReplacing(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (!ec) return true;
  if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec)) return false;
  fs::remove(from, ec);
  return true;
}

std::string ConfigPathOf(const std::string& decoderPath) {
  const fs::path p(decoderPath);
  return (p.parent_path() / p.stem()).string() + ".ini";
}

// The working copy beside the program's settings; when the decoder itself
// lives in that folder the usual name would be its configuration file, so
// the copy gets a name of its own.
std::string WorkingCopyPathOf(const std::string& decoderPath, const std::string& exeDir) {
  const std::string copy = exeDir + fs::path(decoderPath).stem().string() + ".ini";
  std::error_code ec;
  const std::string config = ConfigPathOf(decoderPath);
  const bool same = fs::weakly_canonical(copy, ec) == fs::weakly_canonical(config, ec);
  return same ? copy + ".new" : copy;
}

}  // namespace

bool CheckDecoderIni(const std::string& decoderPath, const std::string& exeDir,
                     const DecoderPrompts& prompts) {
  auto tell = [&](const char* text) {
    if (prompts.report) prompts.report(text);
    return false;
  };
  std::string outputFolder = exeDir;
  if (!outputFolder.empty()) outputFolder.pop_back();  // the trailing '/'
  if (outputFolder.size() > kMaxOutputFolder) outputFolder.resize(kMaxOutputFolder);
  if (!CanRead(decoderPath)) return tell(kDecoderMissing);
  const std::string config = ConfigPathOf(decoderPath);
  if (!CanRead(config)) return tell(kIniMissing);

  const std::string copy = WorkingCopyPathOf(decoderPath, exeDir);
  const int changes = WriteRequiredCopy(config, copy, outputFolder);
  std::error_code ec;
  if (changes < 0) {
    fs::remove(copy, ec);  // nothing is written when the copy cannot be made whole
    return false;
  }
  if (changes == 0) {
    fs::remove(copy, ec);
    return true;
  }
  if (!prompts.askYes || !prompts.askYes(kChangeQuestion)) {
    fs::remove(copy, ec);
    return false;
  }
  if (!MoveReplacing(copy, config)) return tell(kChangeFailed);
  return true;
}

std::string DecoderOutputPath(const std::string& inputPath, const std::string& targetPath) {
  const fs::path target(targetPath);
  return (target.parent_path() / fs::path(inputPath).stem()).string() + target.extension().string();
}

bool RunDecoder(const std::string& decoderPath, const std::string& exeDir,
                const std::string& inputPath, const std::string& targetPath, ProcessRunner& runner,
                const DecoderPrompts& prompts,
                const std::function<bool(const std::function<void()>& wait)>& waitFor) {
  if (!CheckDecoderIni(decoderPath, exeDir, prompts)) return false;
  // Whether it started is not asked: without output the check below fails.
  runner.Start(decoderPath, {inputPath});
  bool ended = true;
  const bool waited = waitFor([&] { ended = runner.Wait(); });
  if (!waited || !ended) {
    runner.Stop();
    runner.Wait();
    return false;
  }
  const std::string output = DecoderOutputPath(inputPath, targetPath);
  if (!CanRead(output)) return false;
  std::error_code ec;
  // An input named like the target leaves its output where it is wanted.
  if (fs::weakly_canonical(output, ec) == fs::weakly_canonical(targetPath, ec)) return true;
  fs::remove(targetPath, ec);
  fs::rename(output, targetPath, ec);
  if (ec) {
    if (prompts.report) prompts.report(kRenameFailed);
    return false;
  }
  return true;
}

}  // namespace velmio
