#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

// The "+10"/"-10" buttons beside a field that step its value; the step size
// is chosen from the "Stepsize" menu of the right mouse button and shared by
// every button of the group.
namespace velto::shell {

struct StepChoice {
  const char* text;  // menu entry and caption after the sign
  double step;
};

inline constexpr std::array<StepChoice, 7> kStepTable{{
    {"1000", 1000}, {"100", 100}, {"10", 10}, {"1", 1}, {"0.1", 0.1}, {"0.01", 0.01}, {"0.001", 0.001}}};

inline constexpr const char* kStepMenuTitle = "Stepsize";

// One group: the master (button 0), whose step counts, and up to three
// partners whose captions it keeps in step.
class StepButtonGroup {
 public:
  static constexpr int kMaxButtons = 4;

  // The master's sign first, then the partners'.
  explicit StepButtonGroup(std::vector<bool> isPlus);
  // A plus and a minus button, the common pair.
  static StepButtonGroup PlusMinus() { return StepButtonGroup({true, false}); }

  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  bool IsPlus(int button) const { return buttons_[static_cast<std::size_t>(button)].isPlus; }
  const std::string& Caption(int button) const { return buttons_[static_cast<std::size_t>(button)].caption; }

  // -1 until the owner's first SetStep.
  double Step() const { return step_; }
  int StepIndex() const { return stepIndex_; }

  // Chooses a step of the table for the whole group (from any button's menu:
  // the master's step is the one set). Returns false, and rewrites nothing,
  // when that step is already in effect.
  bool SetStep(int index);

  // A left click: the field's value stepped by the group's step, up for a
  // plus button and down for a minus button, as the field then shows it.
  std::string Stepped(std::string_view fieldText, int button) const;

 private:
  struct Button {
    bool isPlus = true;
    std::string caption;
  };
  std::vector<Button> buttons_;
  double step_ = -1;
  int stepIndex_ = -1;
};

}  // namespace velto::shell
