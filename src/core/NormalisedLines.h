#pragma once
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace velto::core {

// Reads the line-oriented text files of the suite (crystal structures, chi
// imports). Lines end at LF, CR or the end of the file; each line is
// normalised: tabs, commas and spaces are separators, runs of separators
// collapse into one space, leading and trailing separators vanish, and "!"
// starts a comment that runs to the end of the line. Lines that come out
// empty are skipped.
class NormalisedLineReader {
 public:
  explicit NormalisedLineReader(std::istream& in) : in_(in) {}

  // The next non-empty normalised line, or "" at the end of the file.
  std::string Next();
  bool AtEnd() const { return atEnd_; }
  // The number (from 1) of the physical line Next() returned last, so that a
  // reader can say where a file is wrong.
  int LineNumber() const { return lineNumber_; }

  // Longest physical line kept; characters beyond it are dropped so that a
  // binary file without line ends cannot exhaust memory.
  static constexpr std::size_t kMaxLineLength = 1 << 20;

 private:
  std::istream& in_;
  bool atEnd_ = false;
  int lineNumber_ = 0;
};

// Normalises one physical line as described above.
std::string NormaliseLine(std::string_view raw);

// Splits a normalised line at its spaces into exactly `count` fields; fields
// beyond `count` are ignored, missing ones are empty.
std::vector<std::string> SplitFields(std::string_view line, std::size_t count);

}  // namespace velto::core
