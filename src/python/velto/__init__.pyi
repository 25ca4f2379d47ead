"""X-ray dynamical diffraction from perfect crystals: the VELTO programs from Python."""

import os
from typing import Literal, Optional, Sequence, Tuple, Union

import numpy as np
import numpy.typing as npt

PathLike = Union[str, os.PathLike[str]]
Hkl = Sequence[int]

EXAMPLE_CRYSTAL: str
"""The silicon structure file velto-cli uses when no --struct is given."""

class VeltoWarning(UserWarning):
    """A notice of the program (velto-cli prints it on stderr)."""

class Chi:
    """What ``velto-cli chi`` prints for one reflection, in its units."""

    name: str
    energy_kev: float
    temperature: float
    """K, as the crystal was loaded."""
    hkl: Tuple[int, int, int]
    d: float
    """d-spacing in angstrom."""
    theta_b_deg: float
    """Bragg angle in degrees; 90 when the Bragg condition cannot be met."""
    bragg: bool
    """Whether the Bragg condition can be met at this energy."""
    chi0: complex
    chih: complex
    chimh: complex
    chihp: complex
    chimhp: complex
    @property
    def components(self) -> Tuple[complex, complex, complex, complex, complex]:
        """chi0, chih, chi-h, chih (pi), chi-h (pi), unscaled."""
    f0: complex
    fh: complex
    fmh: complex
    mu_per_um: float
    """Linear absorption coefficient in 1/um."""
    penetration_um: Optional[float]
    """1/mu in um; None without absorption."""

class Crystal:
    """A crystal read from a structure file at one temperature."""

    @staticmethod
    def load(path: PathLike, temperature: float = 293.15) -> "Crystal":
        """Reads a structure file; the temperature (K) sets the Debye-Waller factors.

        Raises ValueError with the program's message when the file cannot be read.
        """
    @property
    def name(self) -> str: ...
    @property
    def temperature(self) -> float:
        """K; load refuses 0 K and below (ValueError, as velto-cli's --temp does)."""
    @property
    def path(self) -> os.PathLike[str]: ...
    @property
    def defined(self) -> bool:
        """Whether the file gave atoms (a lattice alone still has d-spacings)."""
    def d(self, hkl: Hkl) -> float:
        """The d-spacing of the reflection h k l in angstrom."""
    def chi(self, hkl: Hkl, energy_kev: float) -> Chi:
        """The five susceptibility components, structure factors and absorption of one reflection."""

class RockingCurveResult:
    """A rocking curve or energy scan with the analysis ``velto-cli rc --json`` prints.

    Arrays own the computed data (no copy was made). Analysis values are None where
    velto-cli prints null (no full width at half maximum within the scan, ...).
    """

    x: npt.NDArray[np.float64]
    """Scan coordinate from the Bragg condition: arcsec (angle scan) or eV (energy scan)."""
    r: npt.NDArray[np.float64]
    """Reflectivity."""
    t: Optional[npt.NDArray[np.float64]]
    """Transmissivity; None for a semi-infinite crystal."""
    exit: npt.NDArray[np.float64]
    """Exit-angle deviation in arcsec."""
    depth: Optional[npt.NDArray[np.float64]]
    """Penetration depth in um; None in the Laue case."""
    specular: Optional[npt.NDArray[np.float64]]
    """Specular reflectivity; None unless the rigorous theory was used."""
    scan: Literal["angle", "energy"]
    laue: bool
    points: int
    failed_points: int
    theta_b_deg: float
    b: float
    max_r: Optional[float]
    x_max: Optional[float]
    x_max_exit: Optional[float]
    r_centre: Optional[float]
    x_centre: Optional[float]
    x_centre_exit: Optional[float]
    fwhm: Optional[float]
    """arcsec (angle scan) or eV (energy scan)."""
    fwhm_exit: Optional[float]
    x_left: Optional[float]
    x_right: Optional[float]
    abs_max: Optional[float]
    """Absolute position of the maximum: degrees (angle scan) or keV (energy scan)."""
    abs_centre: Optional[float]
    analytic_shift: Optional[float]
    analytic_fwhm: Optional[float]
    dumond_slope: Optional[float]
    """eV per arcsec."""
    min_depth_um: Optional[float]
    extinction_um: Optional[float]

def rocking_curve(
    crystal: Crystal,
    hkl: Hkl,
    energy_kev: float,
    *,
    laue: bool = False,
    polarization: Literal["sigma", "pi"] = "sigma",
    scan: Literal["angle", "energy"] = "angle",
    offset: float = 0,
    range: Optional[Tuple[float, float]] = None,
    points: int = 2001,
    asymmetry_deg: float = 0,
    thickness_um: Optional[float] = None,
    rigorous: bool = False,
) -> RockingCurveResult:
    """A rocking curve or energy scan of one two-beam reflection, as ``velto-cli rc`` computes it.

    offset: eV beside an angle scan, arcsec beside an energy scan.
    range: (from, to) in arcsec or eV; None: (-50, 50) arcsec or (-2, 3) eV.
    thickness_um: None: semi-infinite (-1) in the Bragg case, 50 um in the Laue case.
    Releases the GIL while computing; Ctrl-C stops the computation (KeyboardInterrupt).
    """

class ConvolutionResult:
    """A convoluted rocking curve with what ``velto-cli conv --json`` prints.

    The numbers of the fields are those the calculation left in the form (it
    normalises some of them). Peak and FWHM values are None without a curve or a width.
    """

    x: npt.NDArray[np.float64]
    """Sample angle in arcsec, relative to its nominal incidence."""
    values: npt.NDArray[np.float64]
    """The convoluted reflectivity."""
    curve: bool
    energy_kev: float
    spectrum_fwhm_ev: float
    spectrum_range_ev: float
    spectral_points: int
    divergence_points: int
    thickness_um: float
    from_arcsec: float
    to_arcsec: float
    points: int
    step_arcsec: float
    peak: Optional[float]
    peak_at_arcsec: Optional[float]
    fwhm_arcsec: Optional[float]
    fwhm_deg: Optional[float]
    fwhm_urad: Optional[float]

def convolution(
    monochromator: Optional[Crystal],
    monochromator_hkl: Hkl,
    sample: Optional[Crystal],
    sample_hkl: Hkl,
    energy_kev: Optional[float] = None,
    *,
    dcm: bool = True,
    channel_cut: bool = False,
    geometry: Literal["nondispersive", "dispersive"] = "nondispersive",
    polarization: Literal["sigma", "pi", "random"] = "sigma",
    rigorous: bool = False,
    monochromator_asymmetry_deg: Optional[float] = None,
    sample_asymmetry_deg: Optional[float] = None,
    thickness_um: Optional[float] = None,
    spectrum_fwhm_ev: Optional[float] = None,
    spectrum_range_ev: Optional[float] = None,
    spectral_points: Optional[int] = None,
    divergence_urad: Optional[float] = None,
    divergence_points: Optional[int] = None,
    centre_arcsec: Optional[float] = None,
    range: Optional[Tuple[float, float]] = None,
    points: Optional[int] = None,
    force: bool = False,
) -> ConvolutionResult:
    """The convoluted rocking curve of a sample behind a monochromator, as ``velto-cli conv`` computes it.

    The crystals are defined through the program's crystal dialog from their files and
    temperatures; every argument left at None keeps the program's default. dcm: a
    channel-cut or double-crystal monochromator; thickness_um <= 0 is semi-infinite;
    spectrum_fwhm_ev <= 0 a flat spectrum; divergence_urad a flat divergence.
    force answers Yes to the program's questions (a crystal with zero chi components).
    Runs on all cores with the GIL released; Ctrl-C stops it (KeyboardInterrupt) and
    leaves nothing half-done.
    """

class MonochromatorResult:
    """A double-crystal monochromator curve with what ``velto-cli dcm --json`` prints.

    Positions are in the scan's unit: arcsec, or eV relative to the photon energy.
    Values without a curve or a width within the scan are None.
    """

    x: npt.NDArray[np.float64]
    values: npt.NDArray[np.float64]
    """Reflectivity of the pair (of the 1st crystal with only_first)."""
    exit_deviation_arcsec: npt.NDArray[np.float64]
    scan: Literal["angle", "energy"]
    unit: Literal["arcsec", "eV"]
    phi_deg: float
    """Relative orientation Phi of the two crystals."""
    delta_phi_arcsec: float
    delta_omega_arcsec: float
    @property
    def range(self) -> Tuple[float, float]: ...
    points: int
    step: float
    curve: bool
    max: Optional[float]
    max_at: Optional[float]
    fwhm: Optional[float]
    centre: Optional[float]
    half_maxima: Optional[Tuple[float, float]]
    centre_reflectivity: Optional[float]
    auto_set: Optional[dict[str, float]]
    """The proposals of "Auto Set..." that were applied (phi_deg, delta_phi_arcsec, delta_omega_arcsec)."""

def monochromator(
    first: Optional[Crystal],
    first_hkl: Hkl,
    second: Optional[Crystal],
    second_hkl: Hkl,
    energy_kev: Optional[float] = None,
    *,
    first_channel_cut: bool = False,
    second_channel_cut: bool = False,
    geometry: Literal["nondispersive", "dispersive"] = "nondispersive",
    polarization: Literal["sigma", "pi"] = "sigma",
    scan: Literal["angle", "energy"] = "angle",
    only_first: bool = False,
    rigorous: bool = False,
    auto_set: bool = False,
    first_asymmetry_deg: Optional[float] = None,
    second_asymmetry_deg: Optional[float] = None,
    delta_phi_arcsec: Optional[float] = None,
    delta_omega_arcsec: Optional[float] = None,
    range: Optional[Tuple[float, float]] = None,
    points: Optional[int] = None,
    force: bool = False,
) -> MonochromatorResult:
    """A double-crystal monochromator under a plane wave, as ``velto-cli dcm`` computes it.

    The pair is rocked as one assembly (scan="angle", arcsec) or the photon energy is
    scanned (scan="energy", eV relative to the energy). auto_set applies the proposed
    Delta Phi and delta omega first. Every argument left at None keeps the program's
    default; delta_omega_arcsec applies to the energy scan only.
    """

class MapPolyline:
    """One MBD line of the map as drawn: the points of one reflection up to a break
    (for the slow map, which has no breaks, all the points of one reflection)."""

    hkl: Tuple[int, int, int]
    phi_deg: npt.NDArray[np.float64]
    """Azimuth of each point in degrees (0 along the horizontal reference direction)."""
    energy_kev: npt.NDArray[np.float64]
    """Photon energy of each point in keV."""

class MbdMapResult:
    """The MBD-line map with what ``velto-cli map`` prints, and the points of its lines."""

    crystal: str
    si_mode: bool
    """Whether the Si/Ge/C (diamond-structure) rule chose the allowed reflections."""
    lowest_energy_ev: float
    """E0 of the primary reflection: below it, it does not diffract."""
    points: int
    """The number of entries of the point list, break markers included, as velto-cli counts them."""
    lines: list[Tuple[int, int, int]]
    """Reflections found by the azimuth sweep."""
    steep_lines: list[Tuple[int, int, int]]
    """Reflections found only by the energy sweep."""
    rejected: int
    """Reflections left out as weak by the chi threshold."""
    polylines: list[MapPolyline]

def mbd_map(
    crystal: Optional[Crystal] = None,
    hkl: Optional[Hkl] = None,
    href: Optional[Tuple[float, float, float]] = None,
    *,
    energy_range: Optional[Tuple[float, float, int]] = None,
    phi_range: Optional[Tuple[float, float, int]] = None,
    threshold: Optional[float] = None,
    limits: Optional[Tuple[int, int, int]] = None,
    si_mode: Optional[bool] = None,
    slow: bool = False,
    force: bool = False,
) -> MbdMapResult:
    """The multiple-beam diffraction lines (monochromator glitches) of a crystal in the
    azimuth-energy plane, as ``velto-cli map`` computes them.

    crystal None is the built-in silicon; hkl is the primary reflection G, href the
    horizontal reference direction (azimuth zero, perpendicular to G); energy_range is
    (kev_min, kev_max, points), phi_range (deg_min, deg_max, points); limits are the
    largest |h|, |k|, |l| searched; si_mode None follows the crystal's name. Every
    argument left at None keeps the program's default (111, 1 -1 0, 7-9 keV by 51,
    -10-10 deg by 201, threshold 1e-8, limits 99). slow is the brute-force diagnostic
    map (points only); force answers Yes to the program's questions. Runs with the GIL
    released; Ctrl-C stops it (KeyboardInterrupt) through the map's cancel.
    """

class MbdBeam:
    """One beam of the multiple-beam table, as ``velto-cli mbd`` prints it: 0 is the incident
    beam, 1 the primary reflection G, then the reflections added."""

    index: int
    hkl: Tuple[int, int, int]
    bragg_deg: Optional[float]
    """Bragg angle of an added reflection in degrees; None for beams 0 and 1 and where the
    window shows "90 (O+)"."""
    azimuths_deg: Tuple[Optional[float], Optional[float]]
    """The azimuths (degrees) at which the reflection is excited together with G; None where
    there is none."""

Grid = npt.NDArray[np.float64]

class MbdScanResult:
    """A multiple-beam scan as grids over delta theta (rows) and delta phi (columns), with what
    ``velto-cli mbd`` prints beside its results file.

    The grids own the computed points (no copy). A point whose incident direction does not
    enter the crystal is NaN (the results file has no line for it); so are the polarisation
    groups at an exact back reflection, which the file leaves out.
    """

    crystal: str
    si_mode: bool
    energy_kev: float
    theta_b_deg: float
    """Bragg angle of G at the energy."""
    offcut_deg: float
    offcut_azimuth_deg: float
    azimuth_deg: Optional[float]
    """The principal azimuth phi0 the scan is centred on; None when none was given."""
    beams: list[MbdBeam]
    beam: int
    """The beam whose intensity the grids hold."""
    convolution: bool
    lines: int
    """Points written (the lines of the results file)."""
    points_not_entering: int
    solver_failures: int
    delta_theta_arcsec: npt.NDArray[np.float64]
    """Delta theta from the Bragg angle of G, arcsec (rows of the grids)."""
    delta_phi_arcsec: npt.NDArray[np.float64]
    """Delta phi from phi0, arcsec (columns of the grids)."""
    r: Grid
    """Reflectivity of the beam (for a convolution the integrated intensity, arbitrary units)."""
    r_sigma: Optional[Grid]
    """The sigma' part of r (column "components"; else None)."""
    r_pi: Optional[Grid]
    """The pi' part of r (column "components"; else None)."""
    amplitudes: Optional[Tuple[Grid, Grid, Grid, Grid]]
    """|A1|, arg A1, |A2|, arg A2 (degrees) of the exit wave (column "amplitudes", plane wave only)."""
    wave_vector: Optional[Tuple[Grid, Grid, Grid]]
    """The diffracted wave vector's direction cosines with H, C and G (column "wavevector", plane wave only)."""
    file: Optional[os.PathLike[str]]
    """The results file written, byte for byte the one velto-cli mbd -o writes; None when none was asked for."""

def mbd_scan(
    crystal: Optional[Crystal] = None,
    hkl: Optional[Hkl] = None,
    *,
    energy_kev: Optional[float] = None,
    href: Optional[Tuple[float, float, float]] = None,
    offcut_deg: Optional[float] = None,
    offcut_azimuth_deg: Optional[float] = None,
    azimuth_deg: Optional[float] = None,
    add: Sequence[Hkl] = (),
    force: bool = False,
    si_mode: Optional[bool] = None,
    thickness_um: Optional[float] = None,
    polarization_deg: Optional[float] = None,
    dtheta: Optional[Tuple[float, float, int]] = None,
    dphi: Optional[Tuple[float, float, int]] = None,
    de_ev: Optional[float] = None,
    beam: Optional[int] = None,
    transmission: bool = False,
    chi_import: Optional[PathLike] = None,
    convolution: Optional[Tuple[float, float, int, float, int, float, int]] = None,
    columns: Optional[str] = None,
    microradians: bool = False,
    file: Optional[PathLike] = None,
) -> MbdScanResult:
    """N-beam dynamical diffraction of a primary reflection G with the reflections added, scanned
    over delta theta and delta phi, as ``velto-cli mbd`` computes it through the multiple-beam
    window's form.

    crystal None is the built-in silicon at 293.15 K; hkl is G (default 1 1 1). energy_kev is set
    through "Photon Energy..." once the crystal is defined (None: Cu K-alpha1). href is the
    horizontal reference direction (azimuth 0), azimuth_deg the principal azimuth phi0 the scan is
    centred on; add lists the reflections h k l of the other beams: one that is forbidden or has
    no Bragg angle is left out with a VeltoWarning unless force is True. thickness_um <= 0 is
    semi-infinite; polarization_deg is 0 for sigma, 90 for pi; dtheta and dphi are (from, to,
    points) in arcsec (default (-20, 30, 51) and (-20, 20, 41)); de_ev shifts the energy; beam is
    the beam whose intensity is kept (0-based; default 1, G); transmission takes it on the exit
    side of a plate. chi_import reads the chi components from a file instead of computing them.
    convolution is (fwhm_ev, range_ev, energy_points, theta_divergence_urad, theta_points,
    phi_divergence_urad, phi_points): the intensities convoluted over a Gaussian spectrum and
    the divergences. columns chooses the save dialog's column groups ("phi,theta,r" and any of
    "components", "amplitudes", "wavevector"): the results file's and the grids beside r.
    file writes the results file as velto-cli mbd -o does (microradians: its angles in urad).
    Refusals raise ValueError with the program's message. Runs on all cores with the GIL
    released; Ctrl-C stops it (KeyboardInterrupt) through the window's cancel, leaving an
    earlier file of that name as it was.
    """

class FormFactor:
    """The atomic scattering factors ``velto-cli ff --json`` prints."""

    element: str
    z: int
    energy_kev: float
    theta_deg: float
    sin_theta_over_lambda: float
    """1/angstrom."""
    f0: float
    f1: float
    """f'."""
    f2: float
    """f''."""
    f_cmpt: float
    """The Compton part added to f''."""
    f_real: float
    """f0 + f'."""
    f_imag: float
    """f'' + f_cmpt."""

def form_factor(element: Union[str, int], energy_kev: float = 8.047987942062702, theta_deg: float = 0) -> FormFactor:
    """f0, f', f'', f_cmpt of one element (symbol in any letter case, or atomic number 1..92)
    from the Brennan-Cowan engine, as the scattering-factor dialog and ``velto-cli ff`` compute them."""

class StructureFactors:
    """What ``velto-cli sf --json`` prints. The dictionaries are keyed F0, Fh, F-h, Fh_pi, F-h_pi
    (chi0, chih, chimh, chihp, chimhp); for hkl 0 0 0 or without diffraction only F0 and chi0."""

    crystal: str
    energy_kev: float
    temperature_k: float
    @property
    def hkl(self) -> Tuple[int, int, int]: ...
    d: Optional[float]
    theta_b_deg: Optional[float]
    structure_factors: dict[str, complex]
    moduli: dict[str, float]
    phases_deg: dict[str, float]
    chi: dict[str, complex]
    mu_per_um: float
    penetration_um: Optional[float]
    clipboard: Optional[str]
    """The text "Copy Chi to Clipboard" gives (chi of the reflection, for the other programs)."""

def structure_factors(crystal: Crystal, hkl: Hkl, energy_kev: float = 8.047987942062702) -> StructureFactors:
    """Structure factors, chi, absorption and penetration depth from the Brennan-Cowan engine, as the
    structure-factor program and ``velto-cli sf`` compute them; hkl 0 0 0 gives the forward values only."""
