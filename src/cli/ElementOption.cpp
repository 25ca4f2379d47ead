#include "cli/ElementOption.h"

#include <cctype>

#include "crystal/ElementTable.h"

namespace velto::cli {

int ElementFromText(const std::string& text) {
  if (!text.empty() && std::isdigit(static_cast<unsigned char>(text[0]))) {
    for (char c : text)
      if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
    if (text.size() > 2) return 0;
    const int z = std::stoi(text);
    return z >= 1 && z <= crystal::ElementTable::kCount ? z : 0;
  }
  return crystal::ElementTable::Find(text);
}

}  // namespace velto::cli
