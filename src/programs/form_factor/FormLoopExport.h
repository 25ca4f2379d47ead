#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "core/Notifier.h"
#include "core/Progress.h"
#include "crystal/StructFactor.h"
#include "programs/Refusal.h"

// The looping export of the form-factor tool (CFormLoop) without its window:
// the checks of "Ex&port Data..." and the writing of the table.
namespace velto::programs {

enum class FormLoopMode { Energy = 0, Angle = 1 };

inline constexpr const char* kFormLoopDoneMessage = "Done !";
inline constexpr const char* kFormLoopWriteErrorMessage = "Error occured in exporting data !";
// A loop longer than this would write a file of many gigabytes, which no
// one means by a table of form factors; it is refused instead.
inline constexpr long kFormLoopMaxPoints = 1000000;

struct FormLoopRange {
  FormLoopMode mode = FormLoopMode::Energy;
  double from = 0.1;  // keV or degrees
  double to = 20;
  double step = 0.1;
};

// The range the dialog opens with: 0.1 to 20 keV in steps of 0.1.
inline constexpr FormLoopRange kFormLoopOpeningRange{};

// The range as the mode radios set it.
FormLoopRange DefaultFormLoopRange(FormLoopMode mode);

// The highest angle (degrees) whose wavevector 4π·sin θ/λ stays within the
// Cromer–Mann limit, or none when every angle up to 90 does.
std::optional<double> FormLoopMaxTheta(double wavelength);

// The checks of "Ex&port Data..." on the numbers read from the three boxes,
// before the file dialog: the range itself and the limits of the mode.
std::optional<Refusal> CheckFormLoopRange(const FormLoopRange& range, double wavelength);

// The number of points: trunc((To − From)/Step), at least 1.
long FormLoopPointCount(const FormLoopRange& range);

// Writes the table for element z to `file`: in energy mode "E f' f'' f_cmpt"
// per energy (keV), in angle mode "θ f0" per angle (degrees) whose f0
// exists, each line ended by CR LF as the curve exports end theirs. The
// table goes through the suite's one writer (core/OutputFile.h), so a failed
// or cancelled export never leaves half a table or destroys the previous one.
struct FormLoopOutcome {
  bool written = false;
  bool cancelled = false;
  long lines = 0;
  std::string message;  // "Done !", or why the file could not be written
  core::MessageIcon icon = core::MessageIcon::None;
};
FormLoopOutcome ExportFormLoop(const crystal::StructFactor& engine, int z, double wavelength,
                               const FormLoopRange& range, const std::filesystem::path& file,
                               core::Notifier& notifier, core::Progress& progress);

}  // namespace velto::programs
