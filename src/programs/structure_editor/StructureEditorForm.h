#pragma once
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "crystal/CrystalStructure.h"
#include "crystal/StructDescription.h"
#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

namespace velto::programs {

enum class StructureEditorField {
  Name,
  A,
  B,
  C,
  Alpha,
  Beta,
  Gamma,
  H,
  K,
  L,
  Energy,  // keV, for the preview
  // Read-only results:
  Volume,   // Å³
  Density,  // g/cm³
  D,        // Å, of the preview reflection
  ThetaB,   // degrees
  Count
};

// One row of the atom table, its texts as typed.
struct AtomRowTexts {
  std::string symbol, x, y, z, occupancy = "1";
};

// One row of the table of Debye temperatures: an element of the atoms, in
// ascending atomic number as the structure file lists them.
struct DebyeRowTexts {
  int z = 0;
  std::string symbol;
  std::string kelvin;
};

// The structure editor: a structure file in a form (name, cell) and two
// tables (the atoms, the Debye temperature of each element). What it saves
// is checked by the structure-file reader itself, so a file it accepts loads
// in every program; it also imports CIFs.
class StructureEditorForm {
 public:
  using Field = StructureEditorField;

  // `dataDirectory` holds the atomic data the reader needs (f0f1f2/).
  explicit StructureEditorForm(std::filesystem::path dataDirectory);

  FormField& Text(Field field) { return fields_[static_cast<int>(field)]; }
  const FormField& Text(Field field) const { return fields_[static_cast<int>(field)]; }
  std::vector<AtomRowTexts>& Atoms() { return atoms_; }
  const std::vector<AtomRowTexts>& Atoms() const { return atoms_; }
  // The elements of the atom table with their Debye temperatures; call
  // SyncDebyeRows after the atoms changed.
  std::vector<DebyeRowTexts>& DebyeRows() { return debye_; }
  const std::vector<DebyeRowTexts>& DebyeRows() const { return debye_; }
  void SyncDebyeRows();

  // The file the form was opened from or saved to; empty for a new one.
  const std::filesystem::path& FilePath() const { return path_; }
  // "velto-struct - Quartz.struct", "velto-struct - (new)"; a "*" when changed.
  std::string Title() const;
  // Any edit since the last open or save; the view calls MarkChanged on edits.
  bool Changed() const { return changed_; }
  void MarkChanged() { changed_ = true; }
  // Notes of the last CIF import, one per line.
  const std::string& ImportNotes() const { return notes_; }

  // Commands. Each asks before dropping unsaved changes.
  bool New(UserInterface& ui);
  bool Open(UserInterface& ui);
  // Opens `path` (a structure file, or a CIF to import) without a dialog.
  bool OpenPath(UserInterface& ui, const std::filesystem::path& path);
  bool ImportCif(UserInterface& ui);
  void AddAtom();
  void RemoveAtom(int row);
  // Reads the form as the reader would read the saved file; on a refusal
  // shows it (and moves the focus to the field or row concerned) and
  // returns false. Also updates the volume, density and preview.
  bool Validate(UserInterface& ui);
  bool Save(UserInterface& ui);
  // Whether the window may close: asks before dropping unsaved changes.
  bool MayClose(UserInterface& ui) { return MayDropChanges(ui); }
  bool SaveAs(UserInterface& ui);
  // Volume, density, d and θB from the form, when it reads; the fields are
  // blank where it does not. Shows nothing.
  void UpdatePreview();

  // The form as the content of a structure file, or the refusal of a field
  // that holds no number ("" when it reads).
  std::optional<crystal::StructDescription> Description(std::string& refusal, std::string& field) const;

  // The texts of the form as a Silicon-like file would set them.
  void Fill(const crystal::StructDescription& description);

  static constexpr const char* kFilter = "Crystal structure (*.struct *.cif)|*.struct;*.cif|All Files (*.*)|*.*||";

 private:
  bool MayDropChanges(UserInterface& ui);
  bool ImportCifPath(UserInterface& ui, const std::filesystem::path& path);
  bool WriteTo(UserInterface& ui, const std::filesystem::path& path);
  // The structure the reader makes of the form; nothing (with the refusal
  // shown when `ui` is given) when it makes none.
  std::optional<crystal::CrystalStructure> Read(UserInterface* ui);

  std::filesystem::path dataDirectory_;
  std::vector<FormField> fields_;
  std::vector<AtomRowTexts> atoms_;
  std::vector<DebyeRowTexts> debye_;
  std::map<int, std::string> typedDebye_;  // kept while an element leaves and comes back
  std::filesystem::path path_;
  std::filesystem::path directory_;  // where the file dialogs start
  std::string notes_;
  std::string proposedName_;  // for Save As after an import
  bool changed_ = false;
};

}  // namespace velto::programs
