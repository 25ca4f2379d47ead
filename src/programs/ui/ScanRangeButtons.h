#pragma once
#include <string>

#include "programs/ui/FormField.h"
#include "shell/StepButtons.h"

namespace velto::programs {

// The buttons beside the range of a scan: "-" and "+" beside "from" and
// "to", one step-button group led by the "-" of "from" whose step any of
// them may choose, and the two buttons that change "points" by a fixed
// count ("-50"/"+50", "-100"/"+100"); the minus one only while more than
// that count and five points are left.
class ScanRangeButtons {
 public:
  enum Button { FromMinus = 0, FromPlus = 1, ToMinus = 2, ToPlus = 3 };

  ScanRangeButtons(int pointStep, int initialStepIndex);

  // A left click: "from" or "to" stepped by the group's step.
  void Step(Button button, FormField& from, FormField& to) const;
  void ChooseStep(int index) { steps_.SetStep(index); }
  int StepIndex() const { return steps_.StepIndex(); }
  const std::string& Caption(Button button) const { return steps_.Caption(button); }

  void AddPoints(FormField& points) const;
  void SubtractPoints(FormField& points) const;

 private:
  shell::StepButtonGroup steps_;
  int pointStep_;
};

}  // namespace velto::programs
