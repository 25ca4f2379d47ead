#include "programs/multiple_beam/HorizontalReferenceForm.h"

#include <cmath>

#include "mbd/MbdGeometry.h"
#include "programs/ui/FieldReading.h"
#include "shell/NumberText.h"

namespace velto::programs {

HorizontalReferenceForm::HorizontalReferenceForm(const mbd::LatticeBasis& lattice, mbd::Miller g, mbd::Vec3 current)
    : lattice_(lattice), g_(g), value_(current) {
  index_[0].text = shell::FormatNumber(current.x, 8);
  index_[1].text = shell::FormatNumber(current.y, 8);
  index_[2].text = shell::FormatNumber(current.z, 8);
}

void HorizontalReferenceForm::Step(int i, int step) {
  FormField& field = Index(i);
  field.text = shell::FormatNumber(shell::ParseNumber(field.text) + step, 8);
}

bool HorizontalReferenceForm::Ok(UserInterface& ui) {
  std::array<double, 3> v{};
  static constexpr std::array<const char*, 3> kLabels{"h", "k", "l"};
  for (std::size_t i = 0; i < 3; ++i) {
    const std::optional<double> value = ReadNumberField(ui, index_[i].text, kLabels[i], kFieldNames[i]);
    if (!value) return false;
    v[i] = *value;
  }
  if (std::fabs(v[0]) < 1e-10 && std::fabs(v[1]) < 1e-10 && std::fabs(v[2]) < 1e-10) {
    ui.ShowMessage(kAllZero);
    return false;
  }
  const double dot = mbd::Dot(lattice_.Reciprocal(g_), lattice_.Reciprocal(v[0], v[1], v[2]));
  if (!(std::fabs(dot) <= 1e-10)) {
    ui.ShowMessage(mbd::FrameMessage(mbd::FrameStatus::ReferenceNotPerpendicular));
    return false;
  }
  value_ = {v[0], v[1], v[2]};
  return true;
}

}  // namespace velto::programs
