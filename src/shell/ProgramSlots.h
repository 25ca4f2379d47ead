#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

// The programs of the suite and the rule that each runs in at most one
// window: a second request brings the open window to the front.
namespace velto::shell {

enum class ProgramKind {
  SingleCrystal,
  LaueCase,
  ConvolutedRockingCurve,
  MultiCrystalMonochromator,
  MultipleBeam,
  MbdLineMap,
  BrennanStructureFactors,
};

inline constexpr int kProgramCount = 7;
inline constexpr std::array<ProgramKind, kProgramCount> kAllPrograms{
    ProgramKind::SingleCrystal,          ProgramKind::LaueCase,   ProgramKind::ConvolutedRockingCurve,
    ProgramKind::MultiCrystalMonochromator, ProgramKind::MultipleBeam, ProgramKind::MbdLineMap,
    ProgramKind::BrennanStructureFactors};

struct ChildPosition {
  int x = 0;
  int y = 0;
};

struct ProgramInfo {
  ProgramKind kind;
  const char* caption;      // menu command
  const char* toolTip;      // toolbar tooltip
  int documentTemplate;     // 1..6; Single-Crystal and Laue share the first
  const char* windowTitle;
  std::optional<ChildPosition> position;  // none: the window system places it
};

// Every program window starts with this size (pixels).
inline constexpr int kChildWidth = 1500;
inline constexpr int kChildHeight = 1200;

const ProgramInfo& InfoOf(ProgramKind kind);

// What the application does for the slots: build a program's window, bring
// an existing one to the front.
class ProgramHost {
 public:
  virtual ~ProgramHost() = default;
  // Builds and shows the program's window; false when that failed.
  virtual bool CreateProgramWindow(ProgramKind kind) = 0;
  virtual void ActivateProgramWindow(ProgramKind kind) = 0;
};

class ProgramSlots {
 public:
  struct Slot {
    bool isOpen = false;
    bool isBeingCreated = false;
  };

  // Opens the program, or activates it when it is already open. Returns true
  // when a window was created.
  bool OpenProgram(ProgramKind kind, ProgramHost& host);
  // Called when a program's window goes away.
  void ProgramClosed(ProgramKind kind);

  const Slot& SlotOf(ProgramKind kind) const { return slots_[Index(kind)]; }
  bool IsOpen(ProgramKind kind) const { return SlotOf(kind).isOpen; }
  // The program whose window is being built right now, if any.
  std::optional<ProgramKind> BeingCreated() const;

  // The title rule of program documents: while a program's window is being
  // built its own title wins over whatever name is proposed.
  std::string TitleFor(std::string_view proposed) const;

 private:
  static std::size_t Index(ProgramKind kind) { return static_cast<std::size_t>(kind); }
  std::array<Slot, kProgramCount> slots_{};
};

}  // namespace velto::shell
