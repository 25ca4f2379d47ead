#pragma once
#include <string>
#include <string_view>

// What the wavelength/energy and temperature drop-down lists do with their
// texts. Energy in keV and wavelength in Å convert into each other by the
// same formula, 12.3984244 / x.
namespace velto::shell {

// The partner field's text while a wavelength or energy list is edited or a
// list entry is picked: "" when the value is not positive.
std::string ConvertedPartnerText(std::string_view ownText);

// The list's own text when it loses the focus: the bare number with 8
// decimals (a label after it is dropped), "" when it is not positive.
std::string WavelengthTextOnLeave(std::string_view ownText);

// A temperature list's text when it loses the focus: never zero or negative.
std::string TemperatureTextOnLeave(std::string_view ownText);

}  // namespace velto::shell
