#include "mbd/MbdReflectionTable.h"

#include "mbd/ReflectionRules.h"

namespace velto::mbd {

std::string IndicesText(Miller m) {
  return std::to_string(m.h) + " " + std::to_string(m.k) + " " + std::to_string(m.l);
}

MbdReflectionTable::MbdReflectionTable(Miller g) {
  beams_.reserve(kCapacity);
  Reset(g);
}

void MbdReflectionTable::Reset(Miller g) {
  beams_.clear();
  beams_.push_back(MbdBeam{});
  MbdBeam primary;
  primary.hkl = g;
  beams_.push_back(primary);
}

AddResult MbdReflectionTable::Add(Miller hkl, const MbdGeometry& geometry, bool diamondMode, AddAnswers answers) {
  if (Count() >= kCapacity) return {AddStatus::TableFull, std::string(kTableFullMessage)};
  for (const MbdBeam& beam : beams_)
    if (beam.hkl == hkl) return {AddStatus::AlreadyIncluded, IndicesText(hkl) + " is already included!"};

  const Miller g = geometry.PrimaryReflection();
  if (diamondMode && !answers.includeForbidden &&
      DiamondAllowed(hkl - g) + DiamondAllowed(hkl) + DiamondAllowed(g) < 2)
    return {AddStatus::AskForbidden, std::string(kForbiddenQuestion)};

  MbdBeam beam;
  beam.hkl = hkl;
  beam.braggAngle = geometry.BraggAngleOf(hkl);
  if (beam.braggAngle == kNoAngle) {
    if (!answers.includeWithoutBraggAngle) return {AddStatus::AskNoBraggAngle, std::string(kNoBraggQuestion)};
  } else {
    const AzimuthRoots roots = geometry.ReflectionAzimuths(hkl, beam.braggAngle);
    if (roots.count >= 1) beam.azimuth1 = roots.root1;
    if (roots.count == 2) beam.azimuth2 = roots.root2;
  }
  beams_.push_back(beam);
  return {};
}

bool MbdReflectionTable::Remove(int i) {
  if (i < 2 || i >= Count()) return false;
  beams_.erase(beams_.begin() + i);
  return true;
}

std::vector<Miller> MbdReflectionTable::Indices() const {
  std::vector<Miller> indices;
  indices.reserve(beams_.size());
  for (const MbdBeam& beam : beams_) indices.push_back(beam.hkl);
  return indices;
}

}  // namespace velto::mbd
