#include "programs/energy_dialogs/SetBraggForm.h"

#include "programs/ui/FieldReading.h"
#include "shell/NumberText.h"

namespace velto::programs {

SetBraggForm::SetBraggForm(double angleDegrees) : angleDegrees_(angleDegrees) {
  if (angleDegrees > 0) angle_.text = shell::FormatNumber(angleDegrees, 8);
}

bool SetBraggForm::Ok(UserInterface& ui) {
  const std::optional<double> typed = ReadNumberField(ui, angle_.text, "Bragg angle", kAngleField);
  if (!typed) return false;
  const double angle = *typed;
  if (!(angle > 0 && angle <= 90)) {
    ui.ShowMessage("Please input an angle greater than 0 but less than 90 deg.");
    ui.Focus(kAngleField);
    return false;
  }
  angleDegrees_ = angle;
  return true;
}

}  // namespace velto::programs
