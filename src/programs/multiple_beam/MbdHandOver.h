#pragma once
#include "crystal/CrystalParams.h"
#include "mbd/Vec3.h"

namespace velto::programs {

// What the multiple-beam window hands to the MBD-line map: the crystal with
// its primary reflection G, the horizontal reference direction H (azimuth
// zero) and the Si/Ge/C mode.
struct MbdHandOver {
  bool crystalDefined = false;
  crystal::CrystalParams crystal;  // structure, temperature, G as h k l, d of G
  mbd::Miller primary;             // G
  mbd::Vec3 reference;             // H; (0 0 0) while it was never set
  bool diamondMode = false;        // "Si//Ge/C structure"
};

// The multiple-beam window registers itself under this interface with the
// application while it is open (AppContext::SetMbdHandOverSource). Whenever
// the map program is opened or brought to the front, the application asks
// HandOverChanged(); when it is true the map takes HandOver() and then calls
// HandOverTaken(). All calls happen on the user-interface thread.
class MbdHandOverSource {
 public:
  virtual ~MbdHandOverSource() = default;
  // True when the crystal, G, H or the mode changed since the map last took
  // them, and after "Open map" was pressed.
  virtual bool HandOverChanged() const = 0;
  virtual MbdHandOver HandOver() const = 0;
  // Clears the changed mark.
  virtual void HandOverTaken() = 0;
};

}  // namespace velto::programs
