#include "programs/form_factor/FormLoopExport.h"

#include <cmath>

#include "core/OutputFile.h"
#include "core/TextNumbers.h"
#include "core/Units.h"

namespace velto::programs {
namespace {

std::optional<Refusal> OutOfBox(double value, double low, double high, const char* field) {
  if (value >= low && value <= high) return std::nullopt;
  return NumberOutOfLimits(low, high, field);
}

}  // namespace

FormLoopRange DefaultFormLoopRange(FormLoopMode mode) {
  if (mode == FormLoopMode::Angle) return {FormLoopMode::Angle, 0, 90, 1};
  return {FormLoopMode::Energy, 5, 20, 0.1};
}

std::optional<double> FormLoopMaxTheta(double wavelength) {
  const double sine = wavelength * crystal::kMaxCromerMannWavevector / (4 * core::kPi);
  if (!(sine <= 1)) return std::nullopt;
  return std::asin(sine) / core::kDegree;
}

std::optional<Refusal> CheckFormLoopRange(const FormLoopRange& range, double wavelength) {
  if (auto refusal = OutOfBox(range.from, 0, 1000, "From")) return refusal;
  if (auto refusal = OutOfBox(range.to, 1e-15, 1000, "To")) return refusal;
  if (auto refusal = OutOfBox(range.step, 1e-15, 1000, "Step")) return refusal;
  if (range.from < 0 || range.to <= 0 || range.step <= 0 || range.from >= range.to) {
    return Refusal{"Invalid range parameters !", core::MessageIcon::None, "From"};
  }
  if (range.mode == FormLoopMode::Energy) {
    if (range.from < 1e-15) return Refusal{"Please enter a value greater than 1e-15.", core::MessageIcon::None, "From"};
    if (range.to > 500) {
      return Refusal{"Please enter a value no greater than than 500.", core::MessageIcon::None, "To"};
    }
  } else if (const auto thetaMax = FormLoopMaxTheta(wavelength); thetaMax && range.to > *thetaMax) {
    return Refusal{"Please enter a value no greater than " + core::FormatGeneral(*thetaMax), core::MessageIcon::None,
                   "To"};
  }
  if ((range.to - range.from) / range.step > kFormLoopMaxPoints) {
    return Refusal{"Too many points: please choose a larger step.", core::MessageIcon::None, "Step"};
  }
  return std::nullopt;
}

long FormLoopPointCount(const FormLoopRange& range) {
  const double n = std::trunc((range.to - range.from) / range.step);
  return n < 1 ? 1 : static_cast<long>(n);
}

FormLoopOutcome ExportFormLoop(const crystal::StructFactor& engine, int z, double wavelength,
                               const FormLoopRange& range, const std::filesystem::path& file,
                               core::Notifier& notifier) {
  FormLoopOutcome outcome;
  core::OutputFile out;
  if (!out.Open(file)) {
    outcome.message = "StructFactor cannot create the file \"" + file.string() + "\" !";
    return outcome;
  }
  // A message of the engine repeated at every point is shown once.
  core::CoalescingNotifier once(notifier);
  const long n = FormLoopPointCount(range);
  std::string line;
  bool writing = true;
  for (long i = 0; i < n && writing; ++i) {
    const double point = range.from + static_cast<double>(i) * range.step;
    if (range.mode == FormLoopMode::Energy) {
      const double energy = point * core::kEvPerKev;
      const auto anomalous = engine.CromerLibermanF1F2(z, energy, once);
      if (!anomalous) continue;
      line = core::FormatGeneral(point) + '\t' + core::FormatGeneral(anomalous->fPrime) + '\t' +
             core::FormatGeneral(anomalous->fDoublePrime) + '\t' +
             core::FormatGeneral(engine.ComptonTerm(z, energy).compton) + '\n';
    } else {
      const double q = std::sin(point * core::kDegree) * 4 * core::kPi / wavelength;
      const auto f0 = engine.CromerMannF0(z, q, once);
      if (!f0) continue;
      line = core::FormatGeneral(point) + '\t' + core::FormatGeneral(*f0) + '\n';
    }
    writing = out.Write(line);
    ++outcome.lines;
  }
  once.Flush();
  if (!writing || !out.Commit()) {
    outcome.lines = 0;
    outcome.message = kFormLoopWriteErrorMessage;
    outcome.icon = core::MessageIcon::Error;
    return outcome;
  }
  outcome.written = true;
  outcome.message = kFormLoopDoneMessage;
  return outcome;
}

}  // namespace velto::programs
