#include "core/NormalisedLines.h"

namespace velto::core {
namespace {
// NUL and the other control characters of a binary file count as separators,
// so they can never hide inside a number or a symbol.
bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || (static_cast<unsigned char>(c) < 0x20); }
}  // namespace

std::string NormaliseLine(std::string_view raw) {
  std::string line;
  line.reserve(raw.size());
  bool pendingSeparator = false;
  for (char c : raw) {
    if (c == '!') break;
    if (IsSeparator(c)) {
      pendingSeparator = !line.empty();
      continue;
    }
    if (pendingSeparator) line.push_back(' ');
    pendingSeparator = false;
    line.push_back(c);
  }
  return line;
}

std::string NormalisedLineReader::Next() {
  std::string raw;
  while (!atEnd_) {
    raw.clear();
    ++lineNumber_;
    for (;;) {
      const int c = in_.get();
      if (c == std::char_traits<char>::eof()) {
        atEnd_ = true;
        break;
      }
      if (c == '\r' && in_.peek() == '\n') continue;  // CR LF ends one line
      if (c == '\n' || c == '\r') break;
      if (raw.size() < kMaxLineLength) raw.push_back(static_cast<char>(c));
    }
    std::string line = NormaliseLine(raw);
    if (!line.empty()) return line;
  }
  return {};
}

std::vector<std::string> SplitFields(std::string_view line, std::size_t count) {
  std::vector<std::string> fields(count);
  std::size_t field = 0;
  std::size_t start = 0;
  while (field < count && start <= line.size()) {
    const std::size_t space = line.find(' ', start);
    const std::size_t end = space == std::string_view::npos ? line.size() : space;
    fields[field++] = std::string(line.substr(start, end - start));
    if (space == std::string_view::npos) break;
    start = space + 1;
  }
  return fields;
}

}  // namespace velto::core
