#pragma once
#include <string>

namespace velto::cli {

// The atomic number of an element given by its symbol (any letter case) or
// by its atomic number; 0 when it names no element H..U.
int ElementFromText(const std::string& text);

}  // namespace velto::cli
