#pragma once
#include <string>

#include "crystal/CrystalStructure.h"
#include "mbd/MbdSolver.h"
#include "programs/ui/UserInterface.h"

namespace velto::programs {

// The model of `CDlgMBD_SF`, "Calculate or Import Chi Values (Structure
// Factors)": the N × N chi components of the beam set, computed from the
// crystal or imported from a file, shown as a list of N² rows. Rows are
// formed when the view asks for them, so the list opens at once for 100
// beams.
class ChiComponentsForm : public DialogModel {
 public:
  static constexpr const char* kTitle = "Calculate or Import Chi Values (Structure Factors)";
  static constexpr const char* kColumns[3] = {"Indices in Matrix", "Complex Chi Value ( x 10^-6 )",
                                              "Reflection h k l"};
  static constexpr int kColumnWidths[3] = {100, 250, 150};
  static constexpr const char* kCalculate = "Automatically Calculate";
  static constexpr const char* kImport = "Import...";
  static constexpr const char* kImportTitle = "Open ASCII Text File of CHI Coponents in Unit of 10^-6";
  static constexpr const char* kImportFilter = "ASCII Text Files (*.dat)|*.dat|All Files (*.*)|*.*||";
  static const char* const kFormatHelp;

  // `filled`: the solver's components were accepted before, so the list
  // shows them at once.
  ChiComponentsForm(mbd::MbdSolver& solver, crystal::CrystalStructure& crystal, bool filled);

  int RowCount() const;
  // Column 0 "i - j", 1 the value ×10⁶ as "re ,  im", 2 the difference
  // indices of the two beams.
  std::string Cell(int row, int column) const;

  // "Automatically Calculate".
  void Calculate(UserInterface& ui);
  // "Import...".
  void Import(UserInterface& ui);
  // "?".
  void FormatHelp(UserInterface& ui) const;

 private:
  mbd::MbdSolver& solver_;
  crystal::CrystalStructure& crystal_;
  bool filled_;
};

}  // namespace velto::programs
