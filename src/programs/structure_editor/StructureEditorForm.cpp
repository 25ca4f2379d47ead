#include "programs/structure_editor/StructureEditorForm.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>

#include "core/OutputFile.h"
#include "core/Units.h"
#include "crystal/Bragg.h"
#include "crystal/CifImport.h"
#include "crystal/ElementTable.h"
#include "programs/line_file/LineFile.h"
#include "programs/ui/FormSession.h"

namespace velto::programs {
namespace {

using F = StructureEditorField;

// Thermal exponents are not shown; any temperature serves the reader.
constexpr double kReadingTemperature = 293.15;

std::string NumberText(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.12g", value);
  return text;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The whole text as one finite number. Stricter than the reader, which
// takes "0.5x" for 0.5 and "x" for 0: a typing slip in the editor must not
// silently become another crystal.
std::optional<double> StrictNumber(const std::string& text) {
  const std::string trimmed = Trimmed(text);
  if (trimmed.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(trimmed.c_str(), &end);
  if (end != trimmed.c_str() + trimmed.size() || errno == ERANGE || !std::isfinite(value)) return std::nullopt;
  return value;
}

// The field a refusal of the reader concerns.
std::string FieldOfReaderFault(const std::string& what) {
  if (what.find("edges") != std::string::npos) return "A";
  if (what.find("angles") != std::string::npos) return "Alpha";
  return "";
}

}  // namespace

StructureEditorForm::StructureEditorForm(std::filesystem::path dataDirectory)
    : dataDirectory_(std::move(dataDirectory)), fields_(static_cast<int>(F::Count)) {
  for (F f : {F::Volume, F::Density, F::D, F::ThetaB}) Text(f).readOnly = true;
  Text(F::Alpha).text = Text(F::Beta).text = Text(F::Gamma).text = "90";
  Text(F::H).text = Text(F::K).text = Text(F::L).text = "1";
  Text(F::Energy).text = "8.048";
}

std::string StructureEditorForm::Title() const {
  return std::string("velto-struct - ") + (path_.empty() ? "(new)" : path_.filename().string()) +
         (changed_ ? " *" : "");
}

void StructureEditorForm::SyncDebyeRows() {
  for (const DebyeRowTexts& row : debye_) typedDebye_[row.z] = row.kelvin;
  std::set<int> elements;
  for (const AtomRowTexts& atom : atoms_)
    if (int z = crystal::ElementTable::Find(Trimmed(atom.symbol))) elements.insert(z);
  debye_.clear();
  for (int z : elements) {
    const auto typed = typedDebye_.find(z);
    debye_.push_back(
        {z, std::string(crystal::ElementTable::Symbol(z)), typed == typedDebye_.end() ? std::string() : typed->second});
  }
}

std::optional<crystal::StructDescription> StructureEditorForm::Description(std::string& refusal,
                                                                           std::string& field) const {
  crystal::StructDescription d;
  d.name = Trimmed(Text(F::Name).text);
  if (d.name.empty()) {
    refusal = "Enter the name of the crystal.";
    field = "Name";
    return std::nullopt;
  }
  const std::pair<F, const char*> cell[] = {{F::A, "a"},         {F::B, "b"},       {F::C, "c"},
                                            {F::Alpha, "alpha"}, {F::Beta, "beta"}, {F::Gamma, "gamma"}};
  double* targets[] = {&d.a, &d.b, &d.c, &d.alpha, &d.beta, &d.gamma};
  for (int i = 0; i < 6; ++i) {
    const auto value = StrictNumber(Text(cell[i].first).text);
    if (!value) {
      refusal = std::string("The cell ") + (i < 3 ? "edge " : "angle ") + cell[i].second + " is not a number.";
      field = i == 0 ? "A" : i == 1 ? "B" : i == 2 ? "C" : i == 3 ? "Alpha" : i == 4 ? "Beta" : "Gamma";
      return std::nullopt;
    }
    *targets[i] = *value;
  }
  for (std::size_t row = 0; row < atoms_.size(); ++row) {
    const AtomRowTexts& atom = atoms_[row];
    crystal::AtomLine line;
    line.symbol = Trimmed(atom.symbol);
    const std::pair<const std::string*, double*> numbers[] = {
        {&atom.x, &line.x}, {&atom.y, &line.y}, {&atom.z, &line.z}, {&atom.occupancy, &line.occupancy}};
    const char* names[] = {"x", "y", "z", "occupancy"};
    for (int i = 0; i < 4; ++i) {
      const auto value = StrictNumber(*numbers[i].first);
      if (!value) {
        refusal = std::string("The ") + names[i] + " of atom " + std::to_string(row + 1) + " is not a number.";
        field = "atom:" + std::to_string(row);
        return std::nullopt;
      }
      *numbers[i].second = *value;
    }
    if (line.occupancy <= 0 || line.occupancy > 1) {
      // The reader would take it for a full site (1): say so rather than
      // save a crystal other than the one typed.
      refusal = "The occupancy of atom " + std::to_string(row + 1) + " must be above 0 and at most 1.";
      field = "atom:" + std::to_string(row);
      return std::nullopt;
    }
    d.atoms.push_back(line);
  }
  for (const DebyeRowTexts& row : debye_) {
    const auto value = StrictNumber(row.kelvin);
    if (!value || *value < 0) {
      refusal = "Enter the Debye temperature of " + row.symbol + " in K (0: atoms at rest).";
      field = "debye:" + row.symbol;
      return std::nullopt;
    }
    d.debyeTemperatures[row.z] = *value;
  }
  return d;
}

std::optional<crystal::CrystalStructure> StructureEditorForm::Read(UserInterface* ui) {
  std::string refusal, field;
  auto description = Description(refusal, field);
  if (!description) {
    if (ui) {
      ui->ShowMessage(refusal, MessageIcon::Warning);
      ui->Focus(field);
    }
    return std::nullopt;
  }
  // The saved file's own text, through the reader of every program.
  std::istringstream text(crystal::FormatStructFile(*description));
  crystal::CrystalStructure structure;
  crystal::StructFileFailure failure;
  core::SilentNotifier silent;
  core::Notifier& notifier = ui ? static_cast<core::Notifier&>(*ui) : silent;
  if (!crystal::ReadStructFile(structure, text, kReadingTemperature, dataDirectory_, notifier, &failure)) {
    if (ui) {
      // Atom lines are lines 5 to 4 + N of the file: rows of the table here.
      const int atomRow = failure.line - 4;
      if (atomRow >= 1 && atomRow <= static_cast<int>(atoms_.size())) {
        ui->ShowMessage("Atom " + std::to_string(atomRow) + ": " + failure.what, MessageIcon::Warning);
        ui->Focus("atom:" + std::to_string(atomRow - 1));
      } else {
        ui->ShowMessage("The structure cannot be used: " + failure.Describe(), MessageIcon::Warning);
        ui->Focus(FieldOfReaderFault(failure.what));
      }
    }
    return std::nullopt;
  }
  if (!structure.IsLoaded()) {
    if (ui) {
      ui->ShowMessage("Add the atoms of the cell.", MessageIcon::Warning);
      ui->Focus("atoms");
    }
    return std::nullopt;
  }
  return structure;
}

void StructureEditorForm::UpdatePreview() {
  for (F f : {F::Volume, F::Density, F::D, F::ThetaB}) Text(f).text.clear();
  SyncDebyeRows();
  // The preview does not need the thermal data: read without it when it is
  // still missing.
  std::vector<DebyeRowTexts> kept = debye_;
  for (DebyeRowTexts& row : debye_)
    if (!StrictNumber(row.kelvin)) row.kelvin = "0";
  const auto structure = Read(nullptr);
  debye_ = std::move(kept);
  if (!structure) return;
  Text(F::Volume).text = NumberText(structure->volume);
  char density[32];
  std::snprintf(density, sizeof density, "%.4f", crystal::Density(*structure));
  Text(F::Density).text = density;
  const auto h = StrictNumber(Text(F::H).text), k = StrictNumber(Text(F::K).text), l = StrictNumber(Text(F::L).text);
  if (!h || !k || !l || *h != std::round(*h) || *k != std::round(*k) || *l != std::round(*l)) return;
  if (std::abs(*h) > 1000 || std::abs(*k) > 1000 || std::abs(*l) > 1000) return;
  const double d = structure->DSpacing(static_cast<int>(*h), static_cast<int>(*k), static_cast<int>(*l));
  if (!(d > 0)) return;
  Text(F::D).text = NumberText(d);
  const auto energy = StrictNumber(Text(F::Energy).text);
  if (!energy || !(*energy > 0)) return;
  // Beyond the back reflection there is no Bragg angle; θB then shows 90.
  const auto theta = crystal::BraggAngle(*energy * core::kEvPerKev, d);
  Text(F::ThetaB).text = theta ? NumberText(*theta / core::kDegree) : std::string("90");
}

bool StructureEditorForm::Validate(UserInterface& ui) {
  SyncDebyeRows();
  const bool ok = Read(&ui).has_value();
  UpdatePreview();
  return ok;
}

void StructureEditorForm::Fill(const crystal::StructDescription& d) {
  Text(F::Name).text = d.name;
  Text(F::A).text = NumberText(d.a);
  Text(F::B).text = NumberText(d.b);
  Text(F::C).text = NumberText(d.c);
  Text(F::Alpha).text = NumberText(d.alpha);
  Text(F::Beta).text = NumberText(d.beta);
  Text(F::Gamma).text = NumberText(d.gamma);
  atoms_.clear();
  for (const crystal::AtomLine& atom : d.atoms)
    atoms_.push_back(
        {atom.symbol, NumberText(atom.x), NumberText(atom.y), NumberText(atom.z), NumberText(atom.occupancy)});
  typedDebye_.clear();
  debye_.clear();
  for (const auto& [z, kelvin] : d.debyeTemperatures) typedDebye_[z] = NumberText(kelvin);
  SyncDebyeRows();
  UpdatePreview();
}

bool StructureEditorForm::MayDropChanges(UserInterface& ui) {
  return !changed_ || ui.AskYesNo("The structure has changed and is not saved. Drop the changes?",
                                  MessageIcon::Warning) == Answer::Yes;
}

bool StructureEditorForm::New(UserInterface& ui) {
  if (!MayDropChanges(ui)) return false;
  Fill({});
  Text(F::Name).text.clear();
  Text(F::A).text = Text(F::B).text = Text(F::C).text = "";
  path_.clear();
  notes_.clear();
  changed_ = false;
  UpdatePreview();
  return true;
}

bool StructureEditorForm::Open(UserInterface& ui) {
  if (!MayDropChanges(ui)) return false;
  FileDialogRequest request;
  request.title = "Open Crystal Structure File";
  request.filter = kFilter;
  request.defaultExtension = "struct";
  request.startDirectory = directory_;
  const auto chosen = ui.ChooseOpenFile(request);
  if (!chosen) return false;
  // A file that fails to open leaves the form, and its unsaved changes, as
  // they were.
  return OpenPath(ui, *chosen);
}

bool StructureEditorForm::OpenPath(UserInterface& ui, const std::filesystem::path& path) {
  directory_ = path.parent_path();
  if (crystal::IsCifPath(path)) return ImportCifPath(ui, path);
  crystal::CrystalStructure structure;
  crystal::StructFileFailure failure;
  if (!crystal::LoadStructFile(structure, path, kReadingTemperature, dataDirectory_, ui, &failure)) {
    ui.ShowMessage(UnreadableStructureMessage(path, failure), MessageIcon::Error);
    return false;
  }
  crystal::StructDescription d;
  d.name = structure.name;
  d.a = structure.a;
  d.b = structure.b;
  d.c = structure.c;
  // Degrees as typed: 90 rather than 90.00000000000001.
  auto degrees = [](double radians) { return std::round(radians / core::kDegree * 1e9) / 1e9; };
  d.alpha = degrees(structure.alpha);
  d.beta = degrees(structure.beta);
  d.gamma = degrees(structure.gamma);
  for (const crystal::ElementGroup& group : structure.groups) {
    for (const crystal::AtomSite& atom : group.atoms)
      d.atoms.push_back({std::string(crystal::ElementTable::Symbol(group.z)), atom.x, atom.y, atom.z, atom.occupancy});
    d.debyeTemperatures[group.z] = group.debyeTemperature;
  }
  Fill(d);
  path_ = path;
  notes_.clear();
  changed_ = false;
  return true;
}

bool StructureEditorForm::ImportCif(UserInterface& ui) {
  if (!MayDropChanges(ui)) return false;
  FileDialogRequest request;
  request.title = "Import CIF";
  request.filter = "CIF (*.cif)|*.cif|All Files (*.*)|*.*||";
  request.defaultExtension = "cif";
  request.startDirectory = directory_;
  const auto chosen = ui.ChooseOpenFile(request);
  if (!chosen) return false;
  directory_ = chosen->parent_path();
  return ImportCifPath(ui, *chosen);
}

bool StructureEditorForm::ImportCifPath(UserInterface& ui, const std::filesystem::path& path) {
  auto read = crystal::ReadCifFile(path);
  if (auto* reason = std::get_if<std::string>(&read)) {
    ui.ShowMessage("Cannot import " + path.filename().string() + ":\n" + *reason, MessageIcon::Error);
    return false;
  }
  crystal::CifCrystal& crystal = std::get<crystal::CifCrystal>(read);
  const auto missing = crystal::ResolveDebyeTemperatures(crystal);
  Fill(crystal.description);
  notes_.clear();
  for (const std::string& note : crystal.notes) notes_ += note + "\n";
  // A new structure file, named after the CIF, to be saved once checked.
  path_.clear();
  directory_ = path.parent_path();
  proposedName_ = path.stem().string() + ".struct";
  changed_ = true;
  if (!missing.empty()) {
    std::string message = crystal::MissingDebyeMessage(missing);
    message[0] = 'N';
    ui.ShowMessage(message + ".\nEnter it in the table of Debye temperatures (0: atoms at rest).",
                   MessageIcon::Information);
    ui.Focus("debye:" + std::string(crystal::ElementTable::Symbol(missing.front())));
  }
  return true;
}

void StructureEditorForm::AddAtom() {
  atoms_.push_back({});
  changed_ = true;
}

void StructureEditorForm::RemoveAtom(int row) {
  if (row < 0 || row >= static_cast<int>(atoms_.size())) return;
  atoms_.erase(atoms_.begin() + row);
  SyncDebyeRows();
  changed_ = true;
  UpdatePreview();
}

bool StructureEditorForm::Save(UserInterface& ui) {
  if (path_.empty()) return SaveAs(ui);
  return WriteTo(ui, path_);
}

bool StructureEditorForm::SaveAs(UserInterface& ui) {
  if (!Validate(ui)) return false;
  FileDialogRequest request;
  request.title = "Save Crystal Structure File";
  request.filter = "Crystal structure (*.struct)|*.struct|All Files (*.*)|*.*||";
  request.defaultExtension = "struct";
  request.startDirectory = directory_;
  request.fileName = path_.empty() ? proposedName_ : path_.filename().string();
  auto chosen = ui.ChooseSaveFile(request);
  if (!chosen) return false;
  // A structure file never replaces the CIF it came from.
  if (crystal::IsCifPath(*chosen)) chosen->replace_extension(".struct");
  return WriteTo(ui, *chosen);
}

bool StructureEditorForm::WriteTo(UserInterface& ui, const std::filesystem::path& path) {
  if (!Validate(ui)) return false;
  std::string refusal, field;
  const auto description = Description(refusal, field);
  if (!description || !core::WriteOutputFile(path, crystal::FormatStructFile(*description)).Ok()) {
    const core::Refusal cannot = CannotCreateFile(path);
    ui.ShowMessage(cannot.message, cannot.icon);
    return false;
  }
  path_ = path;
  directory_ = path.parent_path();
  changed_ = false;
  return true;
}

}  // namespace velto::programs
