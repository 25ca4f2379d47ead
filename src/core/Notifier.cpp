#include "core/Notifier.h"

namespace velto::core {

void CoalescingNotifier::Notify(std::string_view text, MessageIcon icon) {
  auto found = repeats_.find(text);
  if (found != repeats_.end()) {
    ++found->second;
    return;
  }
  repeats_.emplace(std::string(text), 0);
  order_.emplace_back(text);
  target_.Notify(text, icon);
}

void CoalescingNotifier::Console(std::string_view text) { target_.Console(text); }

void CoalescingNotifier::Flush() {
  for (const std::string& text : order_) {
    int& count = repeats_[text];
    if (count > 0) {
      target_.Console("(the message \"" + text + "\" repeated " + std::to_string(count) + " more times)");
      count = 0;
    }
  }
}

}  // namespace velto::core
