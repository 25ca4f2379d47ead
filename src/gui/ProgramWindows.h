#pragma once
#include <QWidget>
#include <functional>
#include <map>

#include "programs/ui/AppContext.h"
#include "shell/ProgramSlots.h"

namespace velto::gui {

// Builds the form view of one program inside its child window.
using ProgramWindowFactory = std::function<QWidget*(programs::AppContext& app, QWidget* parent)>;

// The programs the application can open. A program whose view is not in the
// registry keeps its menu and toolbar entries disabled.
using ProgramWindowRegistry = std::map<shell::ProgramKind, ProgramWindowFactory>;

// A program view that exports its data has the slot exportData() and names
// the command, as its File menu shows it, in this QString property; the main
// window's File menu and toolbar button run it on the active view.
inline constexpr char kExportCommandProperty[] = "exportCommand";

// The views of the programs built so far.
ProgramWindowRegistry BuiltProgramWindows();

}  // namespace velto::gui
