#include "programs/ui/ScanRangeButtons.h"

#include "shell/NumberText.h"

namespace velto::programs {

ScanRangeButtons::ScanRangeButtons(int pointStep, int initialStepIndex)
    : steps_({false, true, false, true}), pointStep_(pointStep) {
  steps_.SetStep(initialStepIndex);
}

void ScanRangeButtons::Step(Button button, FormField& from, FormField& to) const {
  FormField& field = button == FromMinus || button == FromPlus ? from : to;
  field.text = steps_.Stepped(field.text, button);
}

void ScanRangeButtons::AddPoints(FormField& points) const {
  points.text = shell::FormatInteger(shell::ParseInteger(points.text) + pointStep_);
}

void ScanRangeButtons::SubtractPoints(FormField& points) const {
  const int n = shell::ParseInteger(points.text);
  if (n > pointStep_ + 5) points.text = shell::FormatInteger(n - pointStep_);
}

}  // namespace velto::programs
