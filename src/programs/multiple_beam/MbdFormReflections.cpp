// The reflection list of the multiple-beam window (beams 2 … N−1, added and
// removed by the person) and the search for reflections excited near the
// principal azimuth.
#include "core/Units.h"
#include "programs/ui/FieldReading.h"
#include "programs/multiple_beam/MbdForm.h"
#include "programs/ui/BoundFields.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using F = MbdField;
using shell::FormatNumber;

MbdReflectionRow RowOf(int i, const mbd::MbdBeam& beam) {
  MbdReflectionRow row;
  row.number = "  " + std::to_string(i);
  row.indices = "  " + std::to_string(beam.hkl.h) + "  " + std::to_string(beam.hkl.k) + "  " + std::to_string(beam.hkl.l);
  if (beam.braggAngle == mbd::kNoAngle) {
    row.braggAngle = "  90 (O+)";
    return row;
  }
  row.braggAngle = "  " + FormatNumber(beam.braggAngle / core::kDegree, 8);
  if (beam.azimuth1 == mbd::kNoAngle) {
    row.azimuths = "  No Azimuthal Angle";
  } else {
    row.azimuths = "  " + FormatNumber(beam.azimuth1, 8);
    if (beam.azimuth2 != mbd::kNoAngle) row.azimuths += ",  " + FormatNumber(beam.azimuth2, 8);
  }
  return row;
}

}  // namespace

void MbdForm::ShowReflectionRows() {
  reflectionRows_.clear();
  for (int i = 2; i < table_.Count(); ++i) reflectionRows_.push_back(RowOf(i, table_[i]));
}

bool MbdForm::AddReflection(UserInterface& ui) {
  int indices[3];
  const F fields[3] = {F::AddH, F::AddK, F::AddL};
  for (int i = 0; i < 3; ++i) {
    const std::optional<int> value = ReadBoundInteger(ui, Field(fields[i]).text, -999, 999, MbdFieldName(fields[i]));
    if (!value) return false;
    indices[i] = *value;
  }
  if (!BuildFrame(ui)) return false;
  const mbd::Miller hkl{indices[0], indices[1], indices[2]};
  mbd::AddAnswers answers;
  for (;;) {
    const mbd::AddResult result = table_.Add(hkl, geometry_, DiamondMode(), answers);
    switch (result.status) {
      case mbd::AddStatus::Added:
        DiscardSolver();
        ShowReflectionRows();
        return true;
      case mbd::AddStatus::TableFull:
      case mbd::AddStatus::AlreadyIncluded:
        ui.ShowMessage(result.text);
        return false;
      case mbd::AddStatus::AskForbidden:
        if (ui.AskYesNo(result.text) != Answer::Yes) return false;
        answers.includeForbidden = true;
        break;
      case mbd::AddStatus::AskNoBraggAngle:
        if (ui.AskYesNo(result.text) != Answer::Yes) return false;
        answers.includeWithoutBraggAngle = true;
        break;
    }
  }
}

void MbdForm::RemoveReflection(std::optional<int> row) {
  if (!row || !table_.Remove(*row + 2)) return;
  DiscardSolver();
  Field(F::PrincipalAzimuth).text.clear();
  ShowReflectionRows();
}

bool MbdForm::SearchReflections(UserInterface& ui) {
  const std::optional<double> tolerance =
      ReadNumberField(ui, Field(F::Tolerance).text, "|Delta Phi| <=", MbdFieldName(F::Tolerance));
  if (!tolerance) return false;
  const std::optional<double> threshold =
      ReadNumberField(ui, Field(F::Threshold).text, "Chi threshold", MbdFieldName(F::Threshold));
  if (!threshold) return false;
  if (!BuildFrame(ui) || !ReadPrincipalAzimuth(ui)) return false;

  searchRows_.clear();
  {
    WaitCursor wait(ui);
    search_ = mbd::SearchReflectionsNearAzimuth(geometry_, crystal_.structure, DiamondMode(), *tolerance, *threshold, ui);
  }
  Field(F::Tolerance).text = FormatNumber(search_.tolerance, 8);
  Field(F::Threshold).text = FormatNumber(search_.threshold, 8);
  for (std::size_t i = 0; i < search_.hits.Count(); ++i)
    searchRows_.push_back({mbd::IndicesText(search_.hits[i].hkl), FormatNumber(search_.deviations[i], 8)});
  return true;
}

void MbdForm::PickSearchRow(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= search_.hits.Count()) return;
  const mbd::Miller hkl = search_.hits[static_cast<std::size_t>(row)].hkl;
  Field(F::AddH).text = std::to_string(hkl.h);
  Field(F::AddK).text = std::to_string(hkl.k);
  Field(F::AddL).text = std::to_string(hkl.l);
}

}  // namespace velto::programs
