#include "programs/ui/BackgroundTask.h"

#include <algorithm>

#include "programs/ui/UserInterface.h"

namespace velto::programs {

void NoticeCollector::Notify(std::string_view text, core::MessageIcon icon) {
  std::lock_guard lock(mutex_);
  const auto same = std::find_if(notices_.begin(), notices_.end(), [text](const Notice& n) { return n.text == text; });
  if (same != notices_.end()) {
    ++same->count;
    return;
  }
  notices_.push_back({std::string(text), icon, 1});
}

void NoticeCollector::Console(std::string_view text) {
  std::lock_guard lock(mutex_);
  console_.emplace_back(text);
}

bool NoticeCollector::Empty() const {
  std::lock_guard lock(mutex_);
  return notices_.empty() && console_.empty();
}

std::string NoticeCollector::WithCount(std::string_view text, int count) {
  std::string shown(text);
  if (count > 1) shown += "\n\n(This message came " + std::to_string(count) + " times in this run.)";
  return shown;
}

void NoticeCollector::ShowAll(UserInterface& ui) {
  std::vector<Notice> notices;
  std::vector<std::string> console;
  {
    std::lock_guard lock(mutex_);
    notices.swap(notices_);
    console.swap(console_);
  }
  for (const std::string& line : console) ui.Console(line);
  for (const Notice& n : notices) ui.ShowMessage(WithCount(n.text, n.count), n.icon);
}

void RunTaskHere(BackgroundTask& task, UserInterface& ui, core::Progress& progress) {
  NoticeCollector notices;
  if (task.compute) task.compute(notices, progress);
  notices.ShowAll(ui);
  if (task.finish) task.finish(ui, progress.Cancelled());
}

}  // namespace velto::programs
