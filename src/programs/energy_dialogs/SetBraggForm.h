#pragma once
#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

namespace velto::programs {

// The model of `CDlgSetBragg`: one Bragg angle in degrees.
class SetBraggForm : public DialogModel {
 public:
  static constexpr const char* kTitle = "Set Bragg Angle";
  static constexpr const char* kAngleField = "angle";

  // An angle that is not positive is unknown and leaves the field empty.
  explicit SetBraggForm(double angleDegrees);

  FormField& Angle() { return angle_; }
  const FormField& Angle() const { return angle_; }

  // Accepts an angle above 0 and at most 90 degrees.
  bool Ok(UserInterface& ui);
  double AngleDegrees() const { return angleDegrees_; }

 private:
  FormField angle_;
  double angleDegrees_;
};

}  // namespace velto::programs
