#pragma once
#include <cmath>

namespace velto::mbd {

// A Cartesian 3-vector of the crystal frame or of the solver frame.
struct Vec3 {
  double x = 0;
  double y = 0;
  double z = 0;
};

inline constexpr Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline constexpr Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline constexpr Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
inline constexpr Vec3 operator*(double s, Vec3 a) { return {s * a.x, s * a.y, s * a.z}; }
inline constexpr Vec3 operator/(Vec3 a, double s) { return {a.x / s, a.y / s, a.z / s}; }
inline constexpr double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline constexpr Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Norm(Vec3 a) { return std::sqrt(Dot(a, a)); }

// Miller indices of a reflection (or of a beam of the N-beam set).
struct Miller {
  int h = 0;
  int k = 0;
  int l = 0;
  friend constexpr bool operator==(Miller, Miller) = default;
};

inline constexpr Miller operator-(Miller a, Miller b) { return {a.h - b.h, a.k - b.k, a.l - b.l}; }
inline constexpr bool IsOrigin(Miller m) { return m.h == 0 && m.k == 0 && m.l == 0; }

}  // namespace velto::mbd
