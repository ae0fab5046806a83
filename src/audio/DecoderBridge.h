#pragma once
// The bridge to an external decoder program, EcoDecoTooL.exe: its own
// configuration file is made to send a WAV file into the program's folder,
// the decoder runs on the chosen file, and its output becomes the temporary
// WAV that the open flow reads.
#include <functional>
#include <string>

#include "audio/ProcessRunner.h"
#include "audio/Report.h"

namespace velmio {

// How the bridge talks to the user: OK boxes and one Yes/No question.
struct DecoderPrompts {
  ReportFn report;
  std::function<bool(const std::string& question)> askYes;
};

// Checks that `decoderPath` exists and that its configuration file beside it
// ("EcoDecoTooL.ini" for "EcoDecoTooL.exe") makes it write a WAV file into
// `exeDir` (a directory ending in '/'); offers to change it when it does not.
// False after the reason was given (or the user declined). UI thread.
bool CheckDecoderIni(const std::string& decoderPath, const std::string& exeDir,
                     const DecoderPrompts& prompts);

// Where the decoder writes its WAV for `inputPath`: the folder of
// `targetPath`, the input's base name and the target's extension.
std::string DecoderOutputPath(const std::string& inputPath, const std::string& targetPath);

// Converts `inputPath` into the WAV file `targetPath` (in `exeDir`) with the
// decoder: the check above, the decoder started with the input path as its
// one argument, a wait for it through `waitFor` (which runs the wait it is
// given and returns false when the wait had to be abandoned, the decoder
// being stopped), then its output renamed to `targetPath`. False when no
// output came (no message) or after a message. UI thread.
bool RunDecoder(const std::string& decoderPath, const std::string& exeDir,
                const std::string& inputPath, const std::string& targetPath, ProcessRunner& runner,
                const DecoderPrompts& prompts,
                const std::function<bool(const std::function<void()>& wait)>& waitFor);

}  // namespace velmio
