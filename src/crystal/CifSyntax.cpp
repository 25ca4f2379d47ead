#include "crystal/CifSyntax.h"

#include <cctype>
#include <optional>

// Debian's gemmi-dev ships gemmi's CIF parser without the PEGTL headers it is
// built on, so the tokens are read here; blocks, tags, values and every use
// made of them are gemmi's.
namespace velto::crystal {
namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool StartsWithKeyword(std::string_view token, std::string_view keyword) {
  if (token.size() < keyword.size()) return false;
  for (std::size_t i = 0; i < keyword.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(token[i])) != keyword[i]) return false;
  return true;
}

struct Token {
  std::string text;
  bool quoted = false;  // a quoted string or a text field: never a keyword or a tag
  int line = 0;
};

class Tokens {
 public:
  explicit Tokens(std::string_view text) : text_(text) {}

  // The next token; nothing at the end of the text. Sets `error` on a
  // string or text field that does not end.
  std::optional<Token> Next(std::string& error) {
    for (;;) {
      while (at_ < text_.size() && Blank(text_[at_])) Advance();
      if (at_ >= text_.size()) return std::nullopt;
      if (text_[at_] != '#') break;
      while (at_ < text_.size() && text_[at_] != '\n' && text_[at_] != '\r') ++at_;
    }
    Token token;
    token.line = line_;
    const char first = text_[at_];
    if (first == ';' && (at_ == 0 || text_[at_ - 1] == '\n' || text_[at_ - 1] == '\r')) {
      // A text field runs to the next line that starts with a semicolon.
      const std::size_t start = at_;
      for (++at_; at_ < text_.size(); Advance()) {
        if (text_[at_] == ';' && (text_[at_ - 1] == '\n' || text_[at_ - 1] == '\r')) {
          ++at_;
          token.text = std::string(text_.substr(start, at_ - start));
          token.quoted = true;
          return token;
        }
      }
      error = "line " + std::to_string(token.line) + ": a text field (;) does not end";
      return std::nullopt;
    }
    if (first == '\'' || first == '"') {
      // A quote ends the string only where whitespace follows it.
      for (std::size_t end = at_ + 1; end < text_.size() && text_[end] != '\n' && text_[end] != '\r'; ++end) {
        if (text_[end] == first && (end + 1 == text_.size() || Blank(text_[end + 1]))) {
          token.text = std::string(text_.substr(at_, end + 1 - at_));
          token.quoted = true;
          at_ = end + 1;
          return token;
        }
      }
      error = "line " + std::to_string(token.line) + ": a quoted string does not end on its line";
      return std::nullopt;
    }
    const std::size_t start = at_;
    while (at_ < text_.size() && !Blank(text_[at_])) ++at_;
    token.text = std::string(text_.substr(start, at_ - start));
    return token;
  }

 private:
  void Advance() {
    // CR LF, CR and LF each end one line.
    if (text_[at_] == '\n' || (text_[at_] == '\r' && (at_ + 1 == text_.size() || text_[at_ + 1] != '\n'))) ++line_;
    ++at_;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  int line_ = 1;
};

}  // namespace

std::variant<gemmi::cif::Document, std::string> ParseCif(std::string_view text) {
  gemmi::cif::Document document;
  std::vector<gemmi::cif::Item> frameItems;  // items of save frames, dropped
  std::vector<gemmi::cif::Item>* items = nullptr;
  Tokens tokens(text);
  std::string error;
  std::optional<Token> token = tokens.Next(error);
  auto isTag = [](const Token& t) { return !t.quoted && t.text[0] == '_'; };
  auto isKeyword = [](const Token& t) {
    return !t.quoted && (StartsWithKeyword(t.text, "data_") || StartsWithKeyword(t.text, "loop_") ||
                         StartsWithKeyword(t.text, "save_") || StartsWithKeyword(t.text, "global_") ||
                         StartsWithKeyword(t.text, "stop_"));
  };
  while (token) {
    const Token current = *token;
    if (!current.quoted && StartsWithKeyword(current.text, "data_")) {
      items = &document.blocks.emplace_back(current.text.substr(5)).items;
      token = tokens.Next(error);
    } else if (!current.quoted && StartsWithKeyword(current.text, "save_")) {
      // A frame opens with save_NAME and closes with save_.
      if (!items) return "line " + std::to_string(current.line) + ": a save frame outside a data block";
      items = current.text.size() > 5 ? &frameItems : &document.blocks.back().items;
      token = tokens.Next(error);
    } else if (!items) {
      return "line " + std::to_string(current.line) + ": \"" + current.text + "\" before the first data_ block";
    } else if (!current.quoted && StartsWithKeyword(current.text, "loop_")) {
      gemmi::cif::Item& item = items->emplace_back(gemmi::cif::LoopArg{});
      for (token = tokens.Next(error); token && isTag(*token); token = tokens.Next(error))
        item.loop.tags.push_back(token->text);
      for (; token && !isTag(*token) && !isKeyword(*token); token = tokens.Next(error))
        item.loop.values.push_back(token->text);
      if (!error.empty()) return error;
      if (item.loop.tags.empty()) return "line " + std::to_string(current.line) + ": a loop_ without tags";
      if (item.loop.values.size() % item.loop.tags.size() != 0)
        return "line " + std::to_string(current.line) + ": the loop of " + item.loop.tags.front() + " has " +
               std::to_string(item.loop.values.size()) + " values for " + std::to_string(item.loop.tags.size()) +
               " tags";
    } else if (isTag(current)) {
      token = tokens.Next(error);
      if (!error.empty()) return error;
      if (!token || isTag(*token) || isKeyword(*token))
        return "line " + std::to_string(current.line) + ": the tag " + current.text + " has no value";
      items->emplace_back(current.text, token->text);
      token = tokens.Next(error);
    } else if (!current.quoted &&
               (StartsWithKeyword(current.text, "global_") || StartsWithKeyword(current.text, "stop_"))) {
      return "line " + std::to_string(current.line) + ": " + current.text + " is not part of a CIF";
    } else {
      return "line " + std::to_string(current.line) + ": the value \"" + current.text + "\" has no tag";
    }
  }
  if (!error.empty()) return error;
  return document;
}

}  // namespace velto::crystal
