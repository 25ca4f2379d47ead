#pragma once
#include <optional>
#include <string>
#include <string_view>

// Number <-> text conversions that do not depend on the process locale (the
// GUI toolkit sets the user's locale, which would otherwise turn decimal
// points into commas).
namespace velto::core {

// The leading decimal number of a text: leading blanks skipped, optional
// sign, digits with an optional decimal point, optional exponent. Anything
// after the number is ignored. No value when the text does not start with a
// number. "inf", "nan" and hexadecimal forms are not numbers here.
std::optional<double> LeadingNumber(std::string_view text);

// Whether a field's text reads, by the C library's rules, as a number no
// computation can use: a leading number that overflows to infinity (1e999)
// or a leading "inf", "infinity" or "nan" (any case, optional sign).
bool ReadsAsNonFinite(std::string_view text);

// The leading integer (optional sign and digits), clamped to the int range.
std::optional<int> LeadingInteger(std::string_view text);

// printf("%.*g", significant, x) in the C locale.
std::string FormatGeneral(double x, int significant = 6);

// printf("%.*f", decimals, x) in the C locale.
std::string FormatFixed(double x, int decimals);

}  // namespace velto::core
