#pragma once
#include <array>
#include <string_view>

#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

namespace velto::programs {

// The model of `CDlgArcMurad`, the "Arc-second vs Micro-radian" converter of
// the Tools menu: one of three quantities is typed, the other two follow.
class ArcConverterForm : public DialogModel {
 public:
  enum Quantity { Arcseconds = 0, Degrees = 1, Microradians = 2 };

  static constexpr const char* kTitle = "Arc-second vs Micro-radian";
  static constexpr std::array<const char*, 3> kRadioCaptions{"&Arc-seconds:", "&Degrees:", "&Micro-radians:"};
  static constexpr std::array<const char*, 3> kFieldNames{"arcseconds", "degrees", "microradians"};

  // Opens on arcseconds with one arcsecond converted.
  ArcConverterForm();

  Quantity Mode() const { return mode_; }
  // Only changes which field is writable; the values stay.
  void SetMode(Quantity mode);

  const FormField& Field(Quantity quantity) const { return fields_[quantity]; }
  // Under the fields: why nothing is converted (a text that reads as
  // infinity or not-a-number); empty otherwise.
  const FormField& Note() const { return note_; }

  // The person changed the text of a field. Changes of a read-only field are
  // ignored; the writable one converts into the other two.
  void FieldEdited(Quantity quantity, std::string_view text);

 private:
  Quantity mode_ = Arcseconds;
  std::array<FormField, 3> fields_;
  FormField note_;
};

}  // namespace velto::programs
