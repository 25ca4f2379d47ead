#include "multicrystal/Refusal.h"

#include "core/TextNumbers.h"

namespace velto::multicrystal {

Refusal IntegerOutOfLimits(int minimum, int maximum, std::string field) {
  return {"Enter an integer between " + std::to_string(minimum) + " and " + std::to_string(maximum) + ".",
          core::MessageIcon::Warning, std::move(field)};
}

Refusal NumberOutOfLimits(double minimum, double maximum, std::string field) {
  return {"Enter a number between " + core::FormatGeneral(minimum, 15) + " and " + core::FormatGeneral(maximum, 15) +
              ".",
          core::MessageIcon::Warning, std::move(field)};
}

}  // namespace velto::multicrystal
