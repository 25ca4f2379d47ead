#include "programs/arc_converter/ArcConverterForm.h"

#include "core/Refusal.h"
#include "core/Units.h"
#include "shell/NumberText.h"

namespace velto::programs {

using shell::FormatNumber;

ArcConverterForm::ArcConverterForm() {
  SetMode(Arcseconds);
  FieldEdited(Arcseconds, "1");
}

void ArcConverterForm::SetMode(Quantity mode) {
  mode_ = mode;
  for (int i = 0; i < 3; ++i) fields_[static_cast<std::size_t>(i)].readOnly = i != mode;
}

void ArcConverterForm::FieldEdited(Quantity quantity, std::string_view text) {
  if (fields_[quantity].readOnly) return;
  fields_[quantity].text = std::string(text);
  // The converter converts as the person types, so a number it cannot use
  // is said under the fields rather than in a message box on a keystroke.
  static constexpr const char* kLabels[] = {"Arc-seconds", "Degrees", "Micro-radians"};
  const auto read = core::ReadFreeNumber(text, kLabels[quantity], kFieldNames[quantity]);
  if (const auto* refusal = std::get_if<core::Refusal>(&read)) {
    note_.text = refusal->message;
    for (int i = 0; i < 3; ++i) {
      if (i != quantity) fields_[static_cast<std::size_t>(i)].text.clear();
    }
    return;
  }
  note_.text.clear();
  const double a = std::get<double>(read);
  switch (quantity) {
    case Arcseconds:
      fields_[Degrees].text = FormatNumber(a / 3600.0, 8);
      fields_[Microradians].text = FormatNumber(a * core::kArcsecond * 1000000.0, 8);
      break;
    case Degrees:
      fields_[Arcseconds].text = FormatNumber(a * 3600.0, 8);
      fields_[Microradians].text = FormatNumber(a * core::kDegree * 1000000.0, 8);
      break;
    case Microradians: {
      const double arcseconds = a * 0.000001 / core::kArcsecond;
      fields_[Arcseconds].text = FormatNumber(arcseconds, 8);
      fields_[Degrees].text = FormatNumber(arcseconds / 3600.0, 8);
      break;
    }
  }
}

}  // namespace velto::programs
