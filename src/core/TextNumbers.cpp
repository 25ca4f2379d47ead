#include "core/TextNumbers.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace velto::core {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::size_t SkipBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return i;
}

std::string FormatWith(double x, std::chars_format format, int precision) {
  char buffer[512];  // a fixed-point double needs at most ~330 digits
  auto result = std::to_chars(buffer, buffer + sizeof buffer, x, format, precision);
  if (result.ec != std::errc()) return std::isfinite(x) ? "0" : (std::isnan(x) ? "nan" : (x > 0 ? "inf" : "-inf"));
  return std::string(buffer, result.ptr);
}

}  // namespace

std::optional<double> LeadingNumber(std::string_view text) {
  std::size_t i = SkipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t mantissa = i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  std::size_t end = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      end = j;
    }
  }
  double value = 0;
  const char* first = text.data() + mantissa;
  const char* last = text.data() + end;
  auto result = std::from_chars(first, last, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Like strtod: a huge exponent gives infinity, a hugely negative one zero.
    const std::string_view number(first, static_cast<std::size_t>(last - first));
    const std::size_t e = number.find_first_of("eE");
    const bool tiny = e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-';
    value = tiny ? 0.0 : HUGE_VAL;
  } else if (result.ec != std::errc()) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

bool ReadsAsNonFinite(std::string_view text) {
  if (const std::optional<double> value = LeadingNumber(text)) return !std::isfinite(*value);
  std::size_t i = SkipBlanks(text);
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const auto startsWith = [&](std::string_view word) {
    if (text.size() - i < word.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k) {
      const char c = text[i + k];
      if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != word[k]) return false;
    }
    return true;
  };
  return startsWith("inf") || startsWith("nan");
}

std::optional<int> LeadingInteger(std::string_view text) {
  std::size_t i = SkipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i >= text.size() || !IsDigit(text[i])) return std::nullopt;
  long long value = 0;
  while (i < text.size() && IsDigit(text[i])) {
    if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (text[i] - '0');
    ++i;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::string FormatGeneral(double x, int significant) {
  return FormatWith(x, std::chars_format::general, significant);
}

std::string FormatFixed(double x, int decimals) { return FormatWith(x, std::chars_format::fixed, decimals); }

}  // namespace velto::core
