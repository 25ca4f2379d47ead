"""Silicon 2 2 2, a forbidden reflection, in an azimuth scan: it reflects only where another reflection is
excited together with it and feeds it (Umweg, multiple-beam diffraction).

    PYTHONPATH=build/python python3 examples/mbd_forbidden_222.py [picture.png]

Left: the azimuth (Renninger) scan on the 2 2 2 Bragg condition, plane wave, sigma polarisation, with the four
reflections that come through the Ewald sphere within +-7 degrees of the reference direction 1 -1 0 at Cu
K-alpha1. Right: around the three-beam point of 1 1 -1 (coupled to 2 2 2 through 1 1 3), the grid of the
rocking angle against the azimuth: the 2 2 2 intensity follows the line along which 1 1 -1 is excited and is
strong only where that line meets the 2 2 2 Bragg condition. About a minute on two cores.
"""

import sys
import warnings

import matplotlib

matplotlib.use("Agg")  # a file, no window
import matplotlib.pyplot as plt
import numpy as np
from matplotlib.colors import LogNorm

import velto

# Found with `velto-cli mbd --hkl 2 2 2 --href 1 -1 0 --azimuth 0 --search 7 1e-7 --force`.
PARTNERS = {(1, 1, -1): -5.722933448216933, (1, 1, 3): 5.722933448216933,
            (-3, 1, 3): -1.0472823757661989, (1, 5, -1): 1.0472823757661989}


def refraction_shift_arcsec(crystal, hkl, energy_kev):
    """How far above the kinematic Bragg angle the Bragg condition lies inside a crystal (symmetric case):
    -Re chi0 / sin 2 thetaB."""
    chi = crystal.chi(hkl, energy_kev)
    return -chi.chi0.real / np.sin(2 * np.radians(chi.theta_b_deg)) * 180 / np.pi * 3600


def main(picture):
    # 2 2 2 has no chi of its own: the crystal dialog's question "Some Chi components are zero" is answered
    # Yes with force=True, which the program notes as a warning.
    warnings.simplefilter("ignore", velto.VeltoWarning)
    common = dict(hkl=(2, 2, 2), href=(1, -1, 0), force=True)
    silicon = velto.Crystal.load(velto.EXAMPLE_CRYSTAL)
    dtheta = refraction_shift_arcsec(silicon, (2, 2, 2), 8.047987942062702)

    scan = velto.mbd_scan(silicon, **common, azimuth_deg=0, add=list(PARTNERS), dtheta=(dtheta, dtheta + 1, 1),
                          dphi=(-25200, 25200, 25201))
    three_beam = -5.722933448216933
    grid = velto.mbd_scan(silicon, **common, azimuth_deg=three_beam, add=[(1, 1, -1)],
                          dtheta=(-15, 20, 141), dphi=(-120, 120, 121))

    fig, (left, right) = plt.subplots(1, 2, figsize=(11, 4.4), gridspec_kw=dict(width_ratios=[1.25, 1]))
    left.semilogy(scan.delta_phi_arcsec / 3600, scan.r[0], lw=0.8)
    left.set_ylim(1e-8, 2)
    for hkl, phi in PARTNERS.items():
        peak = scan.r[0][np.abs(scan.delta_phi_arcsec / 3600 - phi) < 0.01].max()
        left.annotate(" ".join(map(str, hkl)), (phi, peak), textcoords="offset points", xytext=(0, 6),
                      ha="center", fontsize=8)
    left.set_xlabel("azimuth φ from 1 −1 0 (degrees)")
    left.set_ylabel("2 2 2 reflectivity")
    left.set_title(f"azimuth scan on the 2 2 2 Bragg condition (Δθ = {dtheta:.2f}″)", fontsize=10)
    left.grid(alpha=0.3)

    image = right.pcolormesh(grid.delta_phi_arcsec, grid.delta_theta_arcsec, grid.r, shading="nearest",
                             norm=LogNorm(vmin=1e-6, vmax=1), cmap="inferno")
    right.set_xlabel(f"Δφ from {three_beam:.4f}° (arcsec)")
    right.set_ylabel("Δθ from θB of 2 2 2 (arcsec)")
    right.set_title("three-beam point 0 0 0 / 2 2 2 / 1 1 −1", fontsize=10)
    fig.colorbar(image, ax=right, label="2 2 2 reflectivity")

    fig.suptitle(f"Si 2 2 2 (forbidden) at {scan.energy_kev:.3f} keV, σ, semi-infinite crystal: "
                 f"intensity only through multiple-beam (Umweg) excitations", fontsize=11)
    fig.tight_layout()
    fig.savefig(picture, dpi=100)
    print(f"wrote {picture}")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "mbd_forbidden_222.png")
