#include "programs/mbd_map/MapQueries.h"

#include <memory>
#include <random>

namespace velto::programs {

RandomSource DefaultRandomSource() {
  auto engine = std::make_shared<std::minstd_rand>(std::random_device{}());
  return [engine] { return std::uniform_int_distribution<int>(0, kLargestRandom)(*engine); };
}

void PlaceLabels(mbd::MbdMap& map, const RandomSource& random) {
  const auto& points = map.points.Entries();
  std::size_t start = 0;
  for (std::size_t i = 0; i <= points.size(); ++i) {
    if (i < points.size() && points[i].value2 >= 0) continue;
    // Points start … i − 1 form a segment; a marker that follows another
    // (a line re-entering at its first azimuth) leaves an empty one.
    const std::size_t length = i - start;
    if (length > 0) {
      const double r = static_cast<double>(random()) / kLargestRandom;
      const auto& label = points[start + static_cast<std::size_t>(r * static_cast<double>(length - 1))];
      if (const long line = map.lines.Find(label.hkl); line >= 0) {
        map.lines.SetValues(static_cast<std::size_t>(line), label.value1, label.value2);
      } else if (const long steep = map.steepLines.Find(label.hkl); steep >= 0) {
        map.steepLines.SetValues(static_cast<std::size_t>(steep), label.value1, label.value2);
      }
    }
    start = i + 1;
  }
}

void ClearLabels(mbd::MbdMap& map) {
  for (auto* list : {&map.lines, &map.steepLines})
    for (std::size_t i = 0; i < list->Count(); ++i) list->SetValues(i, mbd::kNoAngle, mbd::kNoAngle);
}

std::optional<mbd::ReflectionAzimuthList::Entry> NearestPoint(const mbd::MbdMap& map, const mbd::MapSettings& ranges,
                                                              double phi, double energy) {
  const double energyRange = ranges.energyMax - ranges.energyMin;
  const double phiRange = ranges.phiMax - ranges.phiMin;
  double best = 100000;
  std::optional<mbd::ReflectionAzimuthList::Entry> nearest;
  for (const auto& p : map.points.Entries()) {
    if (p.value2 < 0) continue;
    const double de = (p.value2 - energy) / energyRange;
    const double dphi = (p.value1 - phi) / phiRange;
    const double distance = de * de + dphi * dphi;
    if (distance < best) {
      best = distance;
      nearest = p;
    }
  }
  return nearest;
}

}  // namespace velto::programs
