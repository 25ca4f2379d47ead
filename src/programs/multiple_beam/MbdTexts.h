#pragma once

// The captions, labels and tooltips of the multiple-beam window that are
// not field contents, exactly as the window shows them ("\n" breaks a
// caption into lines).
namespace velto::programs::mbd_texts {

inline constexpr const char* kPhotonEnergy = "Photon Energy...";
inline constexpr const char* kThickness = "Crystal Thickness:";
inline constexpr const char* kSiMode = "Si//Ge/C structure";
inline constexpr const char* kDefineCrystal = "Define Crystal ...";
inline constexpr const char* kPrimaryReflection = "Primary Reflection (G):";
inline constexpr const char* kReference = "Horizontal Reference Direction...";
inline constexpr const char* kReferenceNote = "corresponding to Azimuthal angle = 0";
inline constexpr const char* kOffcut = "Crystal Surface Offcut angle \nfrom Bragg plane (-180 - 180):";
inline constexpr const char* kOffcutAzimuth = "Azimuthal angle of Offcut :";
inline constexpr const char* kPrincipalAzimuth = "Principal Azimuth angle of Incident Beam:";
inline constexpr const char* kSetAzimuth = "Set Azimuth Angle of 3-Beam Diffraction";
inline constexpr const char* kSetAzimuthNote = "based on 000, G and Reflection #2 in the list below";
inline constexpr const char* kSecond = "2nd";
inline constexpr const char* kSecondToolTip = "Select the 2nd Azimuth Angle";
inline constexpr const char* kZero = "0";
inline constexpr const char* kAdd = "Add Reflection:";
inline constexpr const char* kRemove = "Remove selected reflection";
inline constexpr const char* kRemoveToolTip =
    "Click to select a reflection in the list below, then you can click here to remove it";
inline constexpr const char* kListColumns[4] = {"  Reflection #", "  h  k  l", "  Bragg angle (deg)",
                                                "  Azimuthal angles (deg)"};
inline constexpr int kListWidths[4] = {90, 100, 130, 280};
inline constexpr const char* kIndexNote = "0-based Reflection # index:  0 - Incident Beam, 1 - Primary Reflection";
inline constexpr const char* kChi = "Calculate or Import\nChi Components";
inline constexpr const char* kChiToolTip = "It also resets Surface Coordinate System if offcut is changed";
inline constexpr const char* kPolarisation = "Polarization angle:";
inline constexpr const char* kPolarisationFrom = "From 0 - Sigma";
inline constexpr const char* kPolarisationTo = "To   90 - Pi";
inline constexpr const char* kNoPhiScan = ".";
inline constexpr const char* kNoPhiScanToolTip = "No Phi scan";
inline constexpr const char* kPlaneWave = "Calculate Multiple-Beam Diffraction\nwith Plane-Wave Incidence";
inline constexpr const char* kHelp = "Help";
inline constexpr const char* kSearch =
    "Search Reflections with Azimuth\nAngles close to current Principal\nAzimuth Angle of Incidence";
inline constexpr const char* kSearchColumns[2] = {"h k l", "Delta Phi (deg)"};
inline constexpr int kSearchWidths[2] = {70, 130};
inline constexpr const char* kOpenMap = "MBD Lines\n(Monochromator Glitches)\nin Azimuth-Energy Map...";

}  // namespace velto::programs::mbd_texts
