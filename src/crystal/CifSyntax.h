#pragma once
#include <gemmi/cifdoc.hpp>
#include <string>
#include <string_view>
#include <variant>

namespace velto::crystal {

// Reads the text of a CIF (the CIF 1.1 syntax: data blocks, tag–value
// pairs, loops, quoted strings and text fields, comments) into gemmi's
// document, whose blocks the CIF import then queries. Save frames are
// skipped. Values are kept as written (quotes included), as gemmi keeps them.
// On failure, the reason with its line.
std::variant<gemmi::cif::Document, std::string> ParseCif(std::string_view text);

}  // namespace velto::crystal
