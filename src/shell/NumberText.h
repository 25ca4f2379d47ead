#pragma once
#include <string>
#include <string_view>

// The one way in which every form of the suite turns numbers into field
// texts and field texts into numbers.
namespace velto::shell {

// Fixed point with `decimals` (clamped to 1..16) and trailing zeros and
// point removed; "%g" outside 0.0001 <= |x| <= 10000000 (so also for 0).
std::string FormatNumber(double x, int decimals = 8);

// The decimal digits of n.
std::string FormatInteger(int n);

// The leading number of a free field's text; 0 when there is none.
double ParseNumber(std::string_view text);

// The leading integer of a free field's text; 0 when there is none.
int ParseInteger(std::string_view text);

}  // namespace velto::shell
