#pragma once
#include <QWidget>
#include <functional>
#include <map>

#include "programs/ui/AppContext.h"
#include "shell/ProgramSlots.h"

namespace velto::gui {

class ProgramView;

// Builds the form view of one program inside its child window.
using ProgramWindowFactory = std::function<ProgramView*(programs::AppContext& app, QWidget* parent)>;

// The programs the application can open. A program whose view is not in the
// registry keeps its menu and toolbar entries disabled.
using ProgramWindowRegistry = std::map<shell::ProgramKind, ProgramWindowFactory>;

// The views of the programs built so far.
ProgramWindowRegistry BuiltProgramWindows();

}  // namespace velto::gui
