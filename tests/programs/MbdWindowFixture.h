#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/multiple_beam/ChiComponentsForm.h"
#include "programs/multiple_beam/HorizontalReferenceForm.h"
#include "programs/multiple_beam/MbdForm.h"
#include "programs/multiple_beam/MbdSaveForm.h"
#include "support/FakeUserInterface.h"
#include "support/TestFiles.h"

namespace velto::programs {

// A multiple-beam window driven as a person would: the crystal through the
// structure-file chooser and the crystal dialog, H through its dialog, the
// chi components and the runs through theirs.
class MbdWindow : public ::testing::Test {
 protected:
  MbdWindow() : app(state) { state.exeDirectory = testing::BuildDataDirectory(); }

  void DefineSilicon(MbdForm& form, const char* h = "1", const char* k = "1", const char* l = "1") {
    if (!form.Crystal().structure.IsLoaded()) ui.QueueOpenFile(state.exeDirectory / "Silicon.struct");
    ui.QueueDialog<CrystalParamsForm>([h, k, l](CrystalParamsForm& f, UserInterface& inner) {
      f.Index(0).text = h;
      f.Index(1).text = k;
      f.Index(2).text = l;
      return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
    });
    form.DefineCrystal(ui);
  }
  bool SetReference(MbdForm& form, const char* h, const char* k, const char* l) {
    ui.QueueDialog<HorizontalReferenceForm>([h, k, l](HorizontalReferenceForm& f, UserInterface& inner) {
      f.Index(0).text = h;
      f.Index(1).text = k;
      f.Index(2).text = l;
      return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
    });
    return form.HorizontalReference(ui);
  }
  bool SetEnergyKev(MbdForm& form, const char* kev) {
    ui.QueueDialog<ChangeWavelengthForm>([kev](ChangeWavelengthForm& f, UserInterface& inner) {
      f.EnergyEdited(kev);
      return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
    });
    return form.PhotonEnergy(ui);
  }
  bool Add(MbdForm& form, const char* h, const char* k, const char* l) {
    form.Field(MbdField::AddH).text = h;
    form.Field(MbdField::AddK).text = k;
    form.Field(MbdField::AddL).text = l;
    return form.AddReflection(ui);
  }
  void CalculateChi(MbdForm& form, DialogResult close = DialogResult::Ok) {
    ui.QueueDialog<ChiComponentsForm>([close](ChiComponentsForm& f, UserInterface& inner) {
      f.Calculate(inner);
      return close;
    });
    form.ChiComponents(ui);
  }
  // Silicon 1 1 1 at 8 keV, H = 1 −1 0, φ0 = 0, chi computed.
  void ReadySilicon(MbdForm& form) {
    SetEnergyKev(form, "8");
    DefineSilicon(form);
    SetReference(form, "1", "-1", "0");
    form.Field(MbdField::PrincipalAzimuth).text = "0";
    CalculateChi(form);
  }
  // Runs a plane-wave scan into `file` with the given save-dialog choices.
  bool RunInto(MbdForm& form, const std::filesystem::path& file,
               std::function<void(MbdSaveForm&)> choose = [](MbdSaveForm&) {}) {
    ui.QueueDialog<MbdSaveForm>([file, choose](MbdSaveForm& f, UserInterface& inner) {
      f.FileName().text = file.string();
      choose(f);
      return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
    });
    return form.PlaneWaveScan(ui);
  }
  void SmallScan(MbdForm& form) {
    form.Field(MbdField::ThetaFrom).text = "-10";
    form.Field(MbdField::ThetaTo).text = "20";
    form.Field(MbdField::ThetaPoints).text = "7";
    form.Field(MbdField::PhiFrom).text = "-5";
    form.Field(MbdField::PhiTo).text = "5";
    form.Field(MbdField::PhiPoints).text = "3";
  }

  shell::MainFrameState state;
  AppContext app;
  testing::FakeUserInterface ui;
};

}  // namespace velto::programs
