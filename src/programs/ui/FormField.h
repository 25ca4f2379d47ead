#pragma once
#include <string>

namespace velto::programs {

// What a form model keeps of one control: its text exactly as typed or as
// the model wrote it, and the states the view shows.
struct FormField {
  std::string text;
  bool enabled = true;
  bool readOnly = false;
  bool visible = true;
  bool checked = false;
};

}  // namespace velto::programs
