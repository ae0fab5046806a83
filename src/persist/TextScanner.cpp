#include "persist/TextScanner.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace velmio {
namespace {

// Longer numbers are not something a person or this program writes; refusing
// them keeps the token buffer small whatever the file holds.
constexpr std::size_t kMaxNumberChars = 400;

// White space as the C locale has it, whatever locale the program runs in.
bool IsSpace(int c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(int c) {
  return c >= '0' && c <= '9';
}

}  // namespace

int TextScanner::Peek() {
  const int c = std::getc(m_file);
  if (c != EOF) std::ungetc(c, m_file);
  return c;
}

void TextScanner::SkipSpace() {
  while (IsSpace(Peek())) Next();
}

bool TextScanner::Digits(std::string& token) {
  const std::size_t before = token.size();
  while (IsDigit(Peek())) {
    if (token.size() == kMaxNumberChars) return false;
    token.push_back(static_cast<char>(Next()));
  }
  return token.size() > before;
}

bool TextScanner::Word(std::string& word, std::size_t maxChars) {
  word.clear();
  if (m_failed) return false;
  SkipSpace();
  for (int c = Peek(); c != EOF && !IsSpace(c); c = Peek()) {
    Next();
    if (word.size() < maxChars) word.push_back(static_cast<char>(c));
  }
  return word.empty() ? Fail() : true;
}

bool TextScanner::Int(int32_t& value) {
  if (m_failed) return false;
  SkipSpace();
  const bool negative = Peek() == '-';
  if (negative || Peek() == '+') Next();
  if (!IsDigit(Peek())) return Fail();
  // Accumulate towards the sign's side so that INT32_MIN itself is exact.
  int64_t magnitude = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (std::size_t count = 0; IsDigit(Peek()); ++count) {
    if (count == kMaxNumberChars) return Fail();
    magnitude = std::min(kLimit, magnitude * 10 + (Next() - '0'));
  }
  const int64_t signedValue = negative ? -magnitude : std::min(magnitude, kLimit - 1);
  value = static_cast<int32_t>(signedValue);
  return true;
}

bool TextScanner::Real(double& value) {
  if (m_failed) return false;
  SkipSpace();
  std::string token;
  if (Peek() == '-')
    token.push_back(static_cast<char>(Next()));
  else if (Peek() == '+')
    Next();  // from_chars takes no plus sign
  bool mantissa = Digits(token);
  if (Peek() == '.') {
    token.push_back(static_cast<char>(Next()));
    mantissa = Digits(token) || mantissa;
  }
  if (!mantissa || token.size() >= kMaxNumberChars) return Fail();
  if (Peek() == 'e' || Peek() == 'E') {
    token.push_back(static_cast<char>(Next()));
    if (Peek() == '-' || Peek() == '+') token.push_back(static_cast<char>(Next()));
    if (!Digits(token)) return Fail();
  }
  // from_chars ignores the locale: a decimal point is a point in every language.
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (ec != std::errc() || end != token.data() + token.size())
    value = std::numeric_limits<double>::quiet_NaN();
  return true;
}

bool TextScanner::Line(std::string& line, std::size_t maxChars, bool& tooLong) {
  line.clear();
  tooLong = false;
  if (m_failed) return false;
  int c = Next();
  if (c == EOF) return Fail();
  for (; c != EOF && c != '\n'; c = Next()) {
    if (line.size() < maxChars)
      line.push_back(static_cast<char>(c));
    else
      tooLong = true;
  }
  // A file edited on another system ends its lines in "\r\n".
  if (!tooLong && !line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace velmio
