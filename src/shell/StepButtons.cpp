#include "shell/StepButtons.h"

#include <algorithm>

#include "shell/NumberText.h"

namespace velto::shell {

StepButtonGroup::StepButtonGroup(std::vector<bool> isPlus) {
  if (isPlus.empty()) isPlus.push_back(true);
  if (isPlus.size() > kMaxButtons) isPlus.resize(kMaxButtons);
  for (bool plus : isPlus) buttons_.push_back({plus, plus ? "+" : "-"});
}

bool StepButtonGroup::SetStep(int index) {
  if (index == stepIndex_) return false;
  stepIndex_ = index;
  const StepChoice& choice = kStepTable[static_cast<std::size_t>(std::clamp(index, 0, 6))];
  step_ = choice.step;
  for (Button& button : buttons_) button.caption = std::string(button.isPlus ? "+" : "-") + choice.text;
  return true;
}

std::string StepButtonGroup::Stepped(std::string_view fieldText, int button) const {
  const double value = ParseNumber(fieldText);
  const double step = step_ > 0 ? step_ : 0.0;
  return FormatNumber(IsPlus(button) ? value + step : value - step, 8);
}

}  // namespace velto::shell
