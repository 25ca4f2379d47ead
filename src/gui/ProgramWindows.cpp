#include "gui/ProgramWindows.h"

#include "gui/COrvoView.h"
#include "gui/COrvoViewDCM.h"
#include "gui/COrvoViewDbl.h"
#include "gui/COrvoViewMBD.h"
#include "gui/COrvoViewMap.h"
#include "gui/COrvoViewStruct.h"

namespace velto::gui {

ProgramWindowRegistry BuiltProgramWindows() {
  // Each program view adds its factory here as it joins the application.
  ProgramWindowRegistry registry;
  registry[shell::ProgramKind::SingleCrystal] = [](programs::AppContext& app, QWidget* parent) -> ProgramView* {
    return new COrvoView(app, false, parent);
  };
  registry[shell::ProgramKind::LaueCase] = [](programs::AppContext& app, QWidget* parent) -> ProgramView* {
    return new COrvoView(app, true, parent);
  };
  registry[shell::ProgramKind::ConvolutedRockingCurve] = [](programs::AppContext& app, QWidget* parent) -> ProgramView* {
    return new COrvoViewDbl(app, parent);
  };
  registry[shell::ProgramKind::MultiCrystalMonochromator] = [](programs::AppContext& app,
                                                               QWidget* parent) -> ProgramView* {
    return new COrvoViewDCM(app, parent);
  };
  registry[shell::ProgramKind::BrennanStructureFactors] = [](programs::AppContext& app,
                                                             QWidget* parent) -> ProgramView* {
    return new COrvoViewStruct(app, parent);
  };
  registry[shell::ProgramKind::MultipleBeam] = [](programs::AppContext& app, QWidget* parent) -> ProgramView* {
    return new COrvoViewMBD(app, parent);
  };
  registry[shell::ProgramKind::MbdLineMap] = [](programs::AppContext& app, QWidget* parent) -> ProgramView* {
    return new COrvoViewMap(app, parent);
  };
  return registry;
}

}  // namespace velto::gui
