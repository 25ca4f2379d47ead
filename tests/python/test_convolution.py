"""velto.convolution against velto-cli conv, refusals, and Ctrl-C in a long convolution."""

import signal
import subprocess
import sys
import time

import numpy as np
import pytest

import velto

JSON_NUMBERS = ["curve", "energy_kev", "spectrum_fwhm_ev", "spectrum_range_ev", "spectral_points", "divergence_points",
                "thickness_um", "from_arcsec", "to_arcsec", "points", "step_arcsec", "peak", "peak_at_arcsec",
                "fwhm_arcsec", "fwhm_deg", "fwhm_urad"]

# Keyword arguments beside the crystals, and the velto-cli conv options that say the same.
CASES = [
    (dict(), []),
    (dict(energy_kev=12.4, dcm=False, polarization="random", spectrum_fwhm_ev=2.5, range=(-80, 40), points=121),
     ["--energy", 12.4, "--dcm", "off", "--pol", "random", "--fwhm", 2.5, "--from", -80, "--to", 40, "--points", 121]),
    (dict(geometry="dispersive", thickness_um=3.0, divergence_urad=30.0, divergence_points=41, centre_arcsec=5.5,
          sample_asymmetry_deg=-6.0, monochromator_asymmetry_deg=3.0),
     ["--geometry", "dispersive", "--thickness", 3.0, "--divergence", 30.0, "--divergence-points", 41, "--center", 5.5,
      "--sample-asym", -6.0, "--mono-asym", 3.0]),
    (dict(channel_cut=True, thickness_um=3.0, rigorous=True, spectrum_fwhm_ev=0, spectrum_range_ev=10,
          spectral_points=51),
     ["--channel-cut", "--thickness", 3.0, "--rigorous", "--fwhm", 0, "--range", 10, "--spectral-points", 51]),
]


def _cli_args(extra, mono=velto.EXAMPLE_CRYSTAL, sample=velto.EXAMPLE_CRYSTAL):
    return ["conv", "--mono-struct", mono, "--mono-hkl", 1, 1, 1, "--sample-struct", sample, "--sample-hkl", 3, 3, 3,
            *extra]


@pytest.mark.parametrize("kwargs,extra", CASES)
def test_convolution_gives_the_numbers_of_the_command(cli, silicon, kwargs, extra):
    expected = cli.json(*_cli_args(extra))
    result = velto.convolution(silicon, (1, 1, 1), silicon, (3, 3, 3), **kwargs)
    for name in JSON_NUMBERS:
        assert getattr(result, name) == expected[name], name
    assert result.values.tolist() == expected["values"]
    assert np.array_equal(result.x, result.from_arcsec + np.arange(result.points) * result.step_arcsec)
    assert type(result.values.base).__name__ == "PyCapsule"


def test_crystal_temperature_reaches_the_form(cli, tmp_path):
    cold = velto.Crystal.load(velto.EXAMPLE_CRYSTAL, temperature=77.0)
    expected = cli.json("conv", "--mono-struct", velto.EXAMPLE_CRYSTAL, "--mono-temp", 77.0, "--sample-struct",
                        velto.EXAMPLE_CRYSTAL, "--sample-hkl", 4, 4, 4, "--sample-temp", 77.0)
    result = velto.convolution(cold, (1, 1, 1), cold, (4, 4, 4))
    assert result.values.tolist() == expected["values"]
    warm = velto.convolution(velto.Crystal.load(velto.EXAMPLE_CRYSTAL), (1, 1, 1), cold, (4, 4, 4))
    assert warm.values.tolist() != expected["values"]


def test_refusals_carry_the_message_of_the_command(cli, silicon):
    cases = [(dict(points=2), ["--points", 2]),
             (dict(range=(5, -5)), ["--from", 5, "--to", -5]),
             (dict(energy_kev=-3), ["--energy", -3])]
    for kwargs, extra in cases:
        with pytest.raises(ValueError) as raised:
            velto.convolution(silicon, (1, 1, 1), silicon, (3, 3, 3), **kwargs)
        # velto-cli names a bound field on a line of its own.
        assert str(raised.value) == cli.form_refusal(*_cli_args(extra)).split("\n(field:")[0], kwargs
    with pytest.raises(ValueError) as raised:
        velto.convolution(None, (1, 1, 1), silicon, (3, 3, 3))
    assert str(raised.value) == cli.refusal("conv", "--sample-struct", velto.EXAMPLE_CRYSTAL, "--sample-hkl", 3, 3, 3)
    with pytest.raises(ValueError):
        velto.convolution(silicon, (1, 1, 1), silicon, (3, 3, 3), geometry="sideways")


# Run in an interpreter of its own, which the test interrupts as Ctrl-C in a
# terminal does: SIGINT to the process, in the middle of the computation.
CTRL_C_SCRIPT = """
import sys, time
import numpy as np
import velto

si = velto.Crystal.load(velto.EXAMPLE_CRYSTAL)
reference = velto.convolution(si, (1, 1, 1), si, (3, 3, 3))
print("computing", flush=True)
started = time.monotonic()
try:
    # About five billion evaluations: minutes on any machine, unless the
    # interrupt reaches the convolution's cancel flag.
    velto.convolution(si, (1, 1, 1), si, (3, 3, 3), points=100000, range=(-500, 500))
    print("finished", flush=True)
except KeyboardInterrupt:
    stopped = time.monotonic()
    again = velto.convolution(si, (1, 1, 1), si, (3, 3, 3))
    print("interrupted", started, stopped, np.array_equal(again.values, reference.values), flush=True)
"""


def test_ctrl_c_stops_a_long_convolution_within_a_second():
    child = subprocess.Popen([sys.executable, "-c", CTRL_C_SCRIPT], stdout=subprocess.PIPE, text=True)
    try:
        assert child.stdout.readline() == "computing\n"
        time.sleep(1.0)  # well inside the convolution, whatever the load
        signalled = time.monotonic()  # the same clock in both processes
        child.send_signal(signal.SIGINT)
        out, _ = child.communicate(timeout=60)
    finally:
        child.kill()
    word, started, stopped, same = out.split()
    assert word == "interrupted"
    assert float(started) < signalled < float(stopped)
    assert float(stopped) - signalled < 1.0, "from SIGINT to KeyboardInterrupt"
    assert same == "True", "the interpreter computes as before after the interrupt"
    assert child.returncode == 0


def test_crystal_file_is_found_after_the_script_changes_directory(silicon, tmp_path, monkeypatch):
    # The form reads the structure file again when it defines the crystal.
    (tmp_path / "si.struct").write_text(open(velto.EXAMPLE_CRYSTAL).read())
    monkeypatch.chdir(tmp_path)
    crystal = velto.Crystal.load("si.struct")
    monkeypatch.chdir("/")
    moved = velto.convolution(crystal, (1, 1, 1), crystal, (3, 3, 3))
    assert np.array_equal(moved.values, velto.convolution(silicon, (1, 1, 1), silicon, (3, 3, 3)).values)
