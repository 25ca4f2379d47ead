#include "gui/ProgramWindows.h"

namespace velto::gui {

ProgramWindowRegistry BuiltProgramWindows() {
  // Each program view adds its factory here as it joins the application.
  ProgramWindowRegistry registry;
  return registry;
}

}  // namespace velto::gui
