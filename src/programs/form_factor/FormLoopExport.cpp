#include "programs/form_factor/FormLoopExport.h"

#include <cmath>

#include "core/OutputFile.h"
#include "core/TextNumbers.h"
#include "core/Units.h"

namespace velto::programs {

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
  if (range.from < 0 || range.to <= 0 || range.step <= 0 || range.from >= range.to) {
    return Refusal{"Invalid range parameters !", core::MessageIcon::None, "from"};
  }
  if (range.mode == FormLoopMode::Energy) {
    if (range.from < 1e-15) return Refusal{"Please enter a value greater than 1e-15.", core::MessageIcon::None, "from"};
    if (range.to > 500) {
      return Refusal{"Please enter a value no greater than than 500.", core::MessageIcon::None, "to"};
    }
  } else if (const auto thetaMax = FormLoopMaxTheta(wavelength); thetaMax && range.to > *thetaMax) {
    return Refusal{"Please enter a value no greater than " + core::FormatGeneral(*thetaMax), core::MessageIcon::None,
                   "to"};
  }
  if ((range.to - range.from) / range.step > kFormLoopMaxPoints) {
    return Refusal{"Too many points: please choose a larger step.", core::MessageIcon::None, "step"};
  }
  return std::nullopt;
}

long FormLoopPointCount(const FormLoopRange& range) {
  const double n = std::trunc((range.to - range.from) / range.step);
  return n < 1 ? 1 : static_cast<long>(n);
}

FormLoopOutcome ExportFormLoop(const crystal::StructFactor& engine, int z, double wavelength,
                               const FormLoopRange& range, const std::filesystem::path& file,
                               core::Notifier& notifier, core::Progress& progress) {
  FormLoopOutcome outcome;
  core::OutputFile out;
  if (!out.Open(file)) {
    outcome.message = "StructFactor cannot create the file \"" + file.string() + "\" !";
    return outcome;
  }
  // A message of the engine repeated at every point is shown once.
  core::CoalescingNotifier once(notifier);
  const long n = FormLoopPointCount(range);
  core::PercentCounter counter(progress, n);
  std::string line;
  bool writing = true;
  for (long i = 0; i < n && writing; ++i) {
    const double point = range.from + static_cast<double>(i) * range.step;
    line.clear();
    if (range.mode == FormLoopMode::Energy) {
      const double energy = point * core::kEvPerKev;
      if (const auto anomalous = engine.CromerLibermanF1F2(z, energy, once)) {
        line.append(core::FormatGeneral(point)).append("\t").append(core::FormatGeneral(anomalous->fPrime));
        line.append("\t").append(core::FormatGeneral(anomalous->fDoublePrime)).append("\t");
        line.append(core::FormatGeneral(engine.ComptonTerm(z, energy).compton)).append("\r\n");
      }
    } else {
      const double q = std::sin(point * core::kDegree) * 4 * core::kPi / wavelength;
      if (const auto f0 = engine.CromerMannF0(z, q, once)) {
        line.append(core::FormatGeneral(point)).append("\t").append(core::FormatGeneral(*f0)).append("\r\n");
      }
    }
    if (!line.empty()) {
      writing = out.Write(line);
      ++outcome.lines;
    }
    if (!counter.Advance()) {
      out.Abandon();
      outcome.cancelled = true;
      outcome.lines = 0;
      return outcome;
    }
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
