"""Silicon 1 1 1 double-crystal monochromator: the energy scan of the pair beside one crystal.

    PYTHONPATH=build/python python3 examples/dcm_energy_scan.py [picture.png]
"""

import sys

import matplotlib

matplotlib.use("Agg")  # a file, no window
import matplotlib.pyplot as plt

import velto

ENERGY_KEV = 8.0
SCAN_EV = (-3.0, 3.0)


def main(picture):
    silicon = velto.Crystal.load(velto.EXAMPLE_CRYSTAL)
    fig, ax = plt.subplots(figsize=(7, 4.2))
    for polarization, style in (("sigma", "-"), ("pi", "--")):
        pair = velto.monochromator(silicon, (1, 1, 1), silicon, (1, 1, 1), ENERGY_KEV, scan="energy",
                                   polarization=polarization, range=SCAN_EV, points=1201)
        single = velto.rocking_curve(silicon, (1, 1, 1), ENERGY_KEV, scan="energy", polarization=polarization,
                                     range=SCAN_EV, points=1201)
        ax.plot(pair.x, pair.values, style, color="C0",
                label=f"two crystals, {polarization} (FWHM {pair.fwhm:.3f} eV)")
        ax.plot(single.x, single.r, style, color="C1", alpha=0.7,
                label=f"one crystal, {polarization} (FWHM {single.fwhm:.3f} eV)")
    ax.set_xlabel(f"photon energy − {ENERGY_KEV:g} keV (eV)")
    ax.set_ylabel("reflectivity")
    ax.set_title("Si 1 1 1 double-crystal monochromator, (+,−) setting")
    ax.legend(fontsize=8)
    ax.grid(alpha=0.3)
    fig.tight_layout()
    fig.savefig(picture, dpi=100)
    print(f"wrote {picture}")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "dcm_energy_scan.png")
