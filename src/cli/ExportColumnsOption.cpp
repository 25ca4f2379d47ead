#include "cli/ExportColumnsOption.h"

#include <sstream>
#include <vector>

#include "cli/Command.h"

namespace velto::cli {

using programs::ExportReference;
using programs::ExportUnit;

void ApplyColumns(const std::string& list, programs::CurveExportDialog& dialog) {
  // Start from nothing chosen, then choose what the list names.
  if (dialog.Choice().scan) dialog.ClickScanColumn();
  if (dialog.Choice().reflectivity) dialog.ClickReflectivity();
  std::stringstream in(list);
  for (std::string token; std::getline(in, token, ',');) {
    std::vector<std::string> parts;
    std::stringstream pieces(token);
    for (std::string part; std::getline(pieces, part, ':');) parts.push_back(part);
    if (parts.empty()) continue;
    const std::string& name = parts[0];
    const bool angle = name == "scan" || name == "exit";
    if (!angle && parts.size() > 1) Refuse("The column \"" + token + "\" takes no unit or reference.");
    bool wasChosen = false;
    if (name == "scan") {
      wasChosen = dialog.Choice().scan;
      if (!wasChosen) dialog.ClickScanColumn();
    } else if (name == "exit") {
      wasChosen = dialog.Choice().exit;
      if (!wasChosen) dialog.ClickExitColumn();
    } else if (name == "r") {
      wasChosen = dialog.Choice().reflectivity;
      if (!wasChosen) dialog.ClickReflectivity();
    } else if (name == "t") {
      wasChosen = dialog.Choice().transmissivity;
      if (!wasChosen) dialog.ClickTransmissivity();
    } else if (name == "depth") {
      wasChosen = dialog.Choice().depth;
      if (!wasChosen) dialog.ClickDepth();
    } else if (name == "specular") {
      wasChosen = dialog.Choice().specular;
      if (!wasChosen) dialog.ClickSpecular();
    } else {
      Refuse("Unknown column \"" + name + "\" (choose from scan, exit, r, t, depth, specular).");
    }
    const programs::ExportColumns& c = dialog.Choice();
    const bool chosen = name == "scan"    ? c.scan
                        : name == "exit"  ? c.exit
                        : name == "r"     ? c.reflectivity
                        : name == "t"     ? c.transmissivity
                        : name == "depth" ? c.depth
                                          : c.specular;
    if (!chosen && !wasChosen) Refuse("The column \"" + name + "\" is not available for this curve.");
    for (std::size_t i = 1; i < parts.size(); ++i) {
      const std::string& choice = parts[i];
      const bool scan = name == "scan";
      if (choice == "rel" || choice == "abs") {
        const ExportReference reference = choice == "abs" ? ExportReference::Absolute : ExportReference::Relative;
        scan ? dialog.ChooseScanReference(reference) : dialog.ChooseExitReference(reference);
        continue;
      }
      ExportUnit unit;
      if (choice == "urad") {
        unit = ExportUnit::Microradian;
      } else if (choice == "arcsec" || (choice == "ev" && scan)) {
        unit = ExportUnit::Arcsecond;
      } else if (choice == "deg") {
        unit = ExportUnit::Degree;
      } else {
        Refuse("Unknown unit or reference \"" + choice + "\" (choose from urad, arcsec, deg, rel, abs).");
      }
      if (scan && !dialog.ScanUnitVisible(unit)) Refuse("An energy scan is exported in eV only.");
      scan ? dialog.ChooseScanUnit(unit) : dialog.ChooseExitUnit(unit);
    }
  }
}

}  // namespace velto::cli
