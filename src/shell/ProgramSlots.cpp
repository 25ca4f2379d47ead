#include "shell/ProgramSlots.h"

namespace velto::shell {
namespace {

constexpr std::array<ProgramInfo, kProgramCount> kPrograms{{
    {ProgramKind::SingleCrystal, "&Single-Crystal Diffraction...", "Single-Crystal Diffraction", 1,
     "Bragg-case Darwin Curve of Single Crystal Diffraction", std::nullopt},
    {ProgramKind::LaueCase, "&Laue Case...", "Laue Case", 1, "Laue-case Single-Crystal Diffraction for Plane Wave",
     std::nullopt},
    {ProgramKind::ConvolutedRockingCurve, "C&onvoluted Crystal Rocking Curve...", "Convoluted Crystal Rocking Curve",
     2, "Convoluted Rocking Curve for Divergent & Polychromatic Incident Beam", ChildPosition{40, 30}},
    {ProgramKind::MultiCrystalMonochromator, "Multiple-&Crystal Monochromator...", "Multi-Crystal Monochromator", 3,
     "Double-Crystal Monochromator for Plane Wave", ChildPosition{20, 10}},
    {ProgramKind::MultipleBeam, "Multiple-Beam Diffraction...", "Multiple-Beam Diffraction", 4,
     "Dynamical Theory Computation of Multiple-Beam Diffraction", ChildPosition{30, 35}},
    {ProgramKind::MbdLineMap, "M&BD-Line Map...", "Multiple Beam Diffraction Line in Azimuth-Energy Map", 5,
     "Multiple-Beam Diffraction Lines (Monochromator Glitches) in Azimuth-Energy Map", ChildPosition{2, 2}},
    {ProgramKind::BrennanStructureFactors, "Brennan &Structure Factors...", "Brennan Structure Factor", 6,
     "Calculate Structure Factors of Crystals using Brennan's Method", ChildPosition{70, 70}},
}};

}  // namespace

const ProgramInfo& InfoOf(ProgramKind kind) { return kPrograms[static_cast<std::size_t>(kind)]; }

bool ProgramSlots::OpenProgram(ProgramKind kind, ProgramHost& host) {
  Slot& slot = slots_[Index(kind)];
  if (slot.isOpen) {
    host.ActivateProgramWindow(kind);
    return false;
  }
  slot.isBeingCreated = true;
  const bool created = host.CreateProgramWindow(kind);
  slot.isBeingCreated = false;
  // A window that could not be built must not block the program for the rest
  // of the run, so only a created window marks the slot open.
  slot.isOpen = created;
  return created;
}

void ProgramSlots::ProgramClosed(ProgramKind kind) { slots_[Index(kind)] = Slot{}; }

std::optional<ProgramKind> ProgramSlots::BeingCreated() const {
  for (ProgramKind kind : kAllPrograms) {
    if (SlotOf(kind).isBeingCreated) return kind;
  }
  return std::nullopt;
}

std::string ProgramSlots::TitleFor(std::string_view proposed) const {
  if (const auto kind = BeingCreated()) return InfoOf(*kind).windowTitle;
  return std::string(proposed);
}

}  // namespace velto::shell
