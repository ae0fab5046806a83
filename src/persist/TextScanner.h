#pragma once
// Reads whitespace-separated words and numbers and whole lines from a text
// stream, the way the settings file is laid out. The first read that fails
// (end of file, or text that is not what was asked for) makes every later
// read fail too, so a damaged file never shifts values into the wrong members:
// everything from the damage on keeps the value it had.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace velmio {

class TextScanner {
 public:
  // Reads from `file`, which stays open and owned by the caller.
  explicit TextScanner(std::FILE* file) : m_file(file) {}

  // Skips white space and reads the following run of other characters.
  // Only the first `maxChars` are kept; the rest of the run is consumed.
  bool Word(std::string& word, std::size_t maxChars);
  // Skips white space and reads a decimal integer with an optional sign.
  // Values beyond int32 saturate to its limits, which no setting accepts; a
  // run of more digits than any number needs is damage and fails.
  bool Int(int32_t& value);
  // Skips white space and reads a decimal number with an optional fraction
  // and exponent. A number beyond double's range reads as NaN.
  bool Real(double& value);
  // Reads up to and including the next newline; `line` gets what came before
  // it, without a carriage return in front of it. A line of more than
  // `maxChars` characters is consumed whole and reported through `tooLong`
  // (with `line` cut to `maxChars`). Fails only at the end of the file.
  bool Line(std::string& line, std::size_t maxChars, bool& tooLong);

  bool Failed() const { return m_failed; }

 private:
  int Peek();
  int Next() { return std::getc(m_file); }
  void SkipSpace();
  bool Fail() {
    m_failed = true;
    return false;
  }
  // Appends the run of digits that follows to `token`; false when there is none
  // or the token outgrows any sensible number.
  bool Digits(std::string& token);

  std::FILE* m_file;
  bool m_failed = false;
};

}  // namespace velmio
