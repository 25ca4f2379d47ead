"""velto.mbd_scan against velto-cli mbd: the results file byte for byte, the grids to the last digit the file
prints, the beam table; refusals, Ctrl-C and two threads at once."""

import _thread
import json
import math
import threading
import time

import numpy as np
import pytest

import velto
from conftest import format_number

# The silicon 2 2 2 reflection is forbidden: it diffracts only through the three-beam case with 1 1 -1
# (coupled by 1 1 3), excited near this azimuth from 1 -1 0 at Cu K-alpha1.
UMWEG_AZIMUTH = -5.722933448216933

# Keyword arguments, and the velto-cli mbd options that say the same.
CASES = [
    (dict(href=(1, -1, 0), azimuth_deg=0, dtheta=(-20, 30, 26), dphi=(-20, 20, 5)),
     ["--href", 1, -1, 0, "--azimuth", 0, "--dtheta", -20, 30, 26, "--dphi", -20, 20, 5]),
    (dict(hkl=(2, 2, 2), href=(1, -1, 0), azimuth_deg=UMWEG_AZIMUTH, add=[(1, 1, -1), (1, 1, 3)], force=True,
          thickness_um=100.0, polarization_deg=30.0, dtheta=(-10, 15, 11), dphi=(-60, 60, 9),
          columns="phi,theta,r,components,amplitudes,wavevector"),
     ["--hkl", 2, 2, 2, "--href", 1, -1, 0, "--azimuth", UMWEG_AZIMUTH, "--add", "1 1 -1", "--add", "1 1 3", "--force",
      "--thickness", 100.0, "--pol", 30.0, "--dtheta", -10, 15, 11, "--dphi", -60, 60, 9,
      "--columns", "phi,theta,r,components,amplitudes,wavevector"]),
    (dict(hkl=(2, 2, 2), href=(1, -1, 0), azimuth_deg=UMWEG_AZIMUTH, add=[(1, 1, -1)], force=True, energy_kev=8.05,
          thickness_um=50.0, transmission=True, beam=2, offcut_deg=2.0, offcut_azimuth_deg=30.0, de_ev=1.5,
          si_mode=True, dtheta=(-30, 30, 7), dphi=(-40, 40, 5), columns="theta,r,components"),
     ["--hkl", 2, 2, 2, "--href", 1, -1, 0, "--azimuth", UMWEG_AZIMUTH, "--add", "1 1 -1", "--force", "--energy", 8.05,
      "--thickness", 50.0, "--transmission", "--beam", 2, "--offcut", 2.0, "--offcut-azimuth", 30.0, "--de", 1.5,
      "--si-mode", "on", "--dtheta", -30, 30, 7, "--dphi", -40, 40, 5, "--columns", "theta,r,components"]),
    (dict(href=(1, -1, 0), azimuth_deg=0, dtheta=(-10, 10, 5), dphi=(-5, 5, 3), convolution=(1, 4, 3, 10, 3, 10, 3),
          columns="phi,theta,r,components"),
     ["--href", 1, -1, 0, "--azimuth", 0, "--dtheta", -10, 10, 5, "--dphi", -5, 5, 3, "--conv", 1, 4, 3, 10, 3, 10, 3,
      "--columns", "phi,theta,r,components"]),
]


def _run_cli(cli, extra, path):
    status, out, err = cli.run("mbd", *extra, "-o", path)
    assert status == 0, err
    return json.loads(out)


def _file_lines(result, columns):
    """The results file's lines that the grids give, in the program's number format."""
    chosen = columns.split(",")
    lines = []
    for c, theta in enumerate(result.delta_theta_arcsec):
        for d, phi in enumerate(result.delta_phi_arcsec):
            if math.isnan(result.r[c, d]):
                continue  # the incident direction does not enter: no line
            values = []
            if "phi" in chosen:
                values.append(phi)
            if "theta" in chosen:
                values.append(theta)
            if "r" in chosen:
                values.append(result.r[c, d])
            if "components" in chosen and not math.isnan(result.r_sigma[c, d]):
                values += [result.r_sigma[c, d], result.r_pi[c, d]]
            if "amplitudes" in chosen and not result.convolution:
                values += [grid[c, d] for grid in result.amplitudes]
            if "wavevector" in chosen and not result.convolution:
                values += [grid[c, d] for grid in result.wave_vector]
            lines.append(", ".join(format_number(v) for v in values if not math.isnan(v)))
    return lines


def _beams(result):
    return [{"index": b.index, "hkl": list(b.hkl), "bragg_deg": b.bragg_deg, "azimuths_deg": list(b.azimuths_deg)}
            for b in result.beams]


@pytest.mark.parametrize("kwargs,extra", CASES)
def test_scan_gives_the_file_and_numbers_of_the_command(cli, tmp_path, kwargs, extra):
    expected = _run_cli(cli, extra, tmp_path / "cli.dat")
    result = velto.mbd_scan(**kwargs, file=tmp_path / "python.dat")

    assert (tmp_path / "python.dat").read_bytes() == (tmp_path / "cli.dat").read_bytes()
    cli_lines = (tmp_path / "cli.dat").read_text().splitlines()
    assert _file_lines(result, kwargs.get("columns", "phi,theta,r")) == cli_lines
    assert len(cli_lines) == result.lines == expected["lines"]

    for name in ["crystal", "si_mode", "theta_b_deg", "offcut_deg", "offcut_azimuth_deg", "azimuth_deg",
                 "points_not_entering", "solver_failures"]:
        assert getattr(result, name) == expected[name], name
    assert _beams(result) == expected["beams"]
    assert result.beam == kwargs.get("beam", 1)
    assert result.convolution == ("convolution" in kwargs)
    assert str(result.file) == str(tmp_path / "python.dat")

    n_theta, n_phi = kwargs["dtheta"][2], kwargs["dphi"][2]
    assert result.r.shape == (n_theta, n_phi)
    assert np.array_equal(result.delta_theta_arcsec, np.linspace(*kwargs["dtheta"]))
    assert np.array_equal(result.delta_phi_arcsec, np.linspace(*kwargs["dphi"]))
    assert np.count_nonzero(np.isnan(result.r)) == result.points_not_entering
    for grid in [result.r, result.r_sigma]:
        if grid is not None:
            assert type(grid.base).__name__ == "PyCapsule", "the grids own the computed points, not a copy"


def test_forbidden_222_diffracts_only_at_the_multiple_beam_point():
    scan = velto.mbd_scan(hkl=(2, 2, 2), href=(1, -1, 0), azimuth_deg=UMWEG_AZIMUTH, add=[(1, 1, -1)], force=True,
                          dtheta=(-20, 20, 41), dphi=(-100, 100, 21))
    assert scan.beams[1].hkl == (2, 2, 2)
    # Strong where 1 1 -1 is excited together with 2 2 2 (Umweg), weak elsewhere.
    assert np.nanmax(scan.r) > 0.3
    assert np.nanmedian(scan.r) < 1e-3
    far = velto.mbd_scan(hkl=(2, 2, 2), href=(1, -1, 0), azimuth_deg=UMWEG_AZIMUTH + 1, add=[(1, 1, -1)], force=True,
                         dtheta=(-20, 20, 41), dphi=(-100, 100, 21))
    assert np.nanmax(far.r) < 1e-4


def test_defaults_are_those_of_the_command(cli, tmp_path):
    expected = _run_cli(cli, ["--href", 1, -1, 0, "--azimuth", 0], tmp_path / "cli.dat")
    result = velto.mbd_scan(href=(1, -1, 0), azimuth_deg=0, file=str(tmp_path / "python.dat"))
    assert (tmp_path / "python.dat").read_bytes() == (tmp_path / "cli.dat").read_bytes()
    assert result.r.shape == (51, 41) and result.lines == expected["lines"]
    assert result.crystal == expected["crystal"] == "Silicon"
    assert result.energy_kev == pytest.approx(8.047987942062702)


def test_urad_file_and_the_crystal_temperature(cli, tmp_path):
    cold = velto.Crystal.load(velto.EXAMPLE_CRYSTAL, temperature=77.0)
    extra = ["--href", 1, -1, 0, "--azimuth", 10, "--dtheta", -20, 30, 6, "--dphi", -20, 20, 3, "--urad"]
    _run_cli(cli, ["--temp", 77.0, *extra], tmp_path / "cli.dat")
    result = velto.mbd_scan(cold, href=(1, -1, 0), azimuth_deg=10, dtheta=(-20, 30, 6), dphi=(-20, 20, 3),
                            microradians=True, file=tmp_path / "python.dat")
    assert (tmp_path / "python.dat").read_bytes() == (tmp_path / "cli.dat").read_bytes()
    warm = velto.mbd_scan(href=(1, -1, 0), azimuth_deg=10, dtheta=(-20, 30, 6), dphi=(-20, 20, 3))
    assert not np.array_equal(warm.r, result.r)
    assert result.delta_theta_arcsec[1] == -10, "the grids' angles stay in arcsec"


def test_refusals_carry_the_message_of_the_command(cli):
    frame = dict(href=(1, -1, 0), azimuth_deg=0)
    frame_options = ["--href", 1, -1, 0, "--azimuth", 0]
    cases = [(dict(frame, dtheta=(30, -20, 51)), [*frame_options, "--dtheta", 30, -20, 51]),
             (dict(frame, dphi=(5, 5, 3)), [*frame_options, "--dphi", 5, 5, 3]),
             (dict(frame, beam=2), [*frame_options, "--beam", 2]),
             (dict(frame, transmission=True), [*frame_options, "--transmission"]),
             (dict(frame, columns="phi,intensity"), [*frame_options, "--columns", "phi,intensity"]),
             (dict(frame, columns="amplitudes", convolution=(1, 4, 3, 10, 3, 10, 3)),
              [*frame_options, "--columns", "amplitudes", "--conv", 1, 4, 3, 10, 3, 10, 3]),
             (dict(frame, energy_kev=1.0), [*frame_options, "--energy", 1.0]),
             (dict(frame, energy_kev=-8.0), [*frame_options, "--energy", -8.0]),
             (dict(frame, hkl=(1000, 0, 0)), [*frame_options, "--hkl", 1000, 0, 0]),
             (dict(frame, add=[(0, 0, 1000)]), [*frame_options, "--add", "0 0 1000"]),
             (dict(), [])]
    for kwargs, extra in cases:
        with pytest.raises(ValueError) as raised:
            velto.mbd_scan(**kwargs)
        # The command shows the questions answered on the way (the warning about a long convolution) first.
        assert str(raised.value) == cli.refusal("mbd", *extra).split("\n")[-1], kwargs


def test_a_forbidden_primary_reflection_needs_force(cli):
    with pytest.raises(ValueError) as raised:
        velto.mbd_scan(hkl=(2, 2, 2), href=(1, -1, 0))
    question = cli.refusal("mbd", "--hkl", 2, 2, 2, "--href", 1, -1, 0).split("\n")[0]
    assert str(raised.value) == question.removesuffix(" [no]") + "\n(force=True answers Yes.)"


def test_reflections_left_out_unless_forced(cli, tmp_path):
    extra = ["--href", 1, -1, 0, "--azimuth", 0, "--add", "1 0 0", "--dtheta", 0, 1, 1, "--dphi", 0, 1, 1]
    kwargs = dict(href=(1, -1, 0), azimuth_deg=0, add=[(1, 0, 0)], dtheta=(0, 1, 1), dphi=(0, 1, 1))
    status, out, err = cli.run("mbd", *extra, "-o", tmp_path / "left.dat")
    assert status == 0 and "1 0 0 not included" in err
    with pytest.warns(velto.VeltoWarning, match=r"1 0 0 not included \(force=True includes it\)"):
        left = velto.mbd_scan(**kwargs)
    assert _beams(left) == json.loads(out)["beams"] and len(left.beams) == 2

    forced_cli = _run_cli(cli, [*extra, "--force"], tmp_path / "forced.dat")
    forced = velto.mbd_scan(**kwargs, force=True)
    assert _beams(forced) == forced_cli["beams"] and forced.beams[2].hkl == (1, 0, 0)


def test_ctrl_c_stops_a_long_scan_and_keeps_an_earlier_file(tmp_path):
    kwargs = dict(hkl=(2, 2, 2), href=(1, -1, 0), azimuth_deg=UMWEG_AZIMUTH, add=[(1, 1, -1), (1, 1, 3)], force=True)
    small = dict(kwargs, dtheta=(-5, 5, 3), dphi=(-5, 5, 3))
    reference = velto.mbd_scan(**small)
    earlier = tmp_path / "earlier.dat"
    earlier.write_text("an earlier run\n")
    # A million four-beam points: minutes on any machine, unless the
    # interrupt reaches the window's cancel.
    interrupted = {}
    timer = threading.Timer(0.5, lambda: (interrupted.setdefault("at", time.monotonic()), _thread.interrupt_main()))
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        velto.mbd_scan(**kwargs, dtheta=(-50, 50, 1001), dphi=(-50, 50, 1001), file=earlier)
    stopped = time.monotonic() - interrupted["at"]
    timer.join()
    assert stopped < 1, stopped
    assert earlier.read_text() == "an earlier run\n"
    assert np.array_equal(velto.mbd_scan(**small).r, reference.r)


def test_two_threads_give_the_results_of_two_lone_calls():
    calls = [dict(href=(1, -1, 0), azimuth_deg=0, dtheta=(-20, 30, 21), dphi=(-20, 20, 11)),
             dict(hkl=(2, 2, 2), href=(1, -1, 0), azimuth_deg=UMWEG_AZIMUTH, add=[(1, 1, -1)], force=True,
                  dtheta=(-10, 10, 11), dphi=(-40, 40, 21))]
    alone = [velto.mbd_scan(**kwargs).r for kwargs in calls]
    together = [None, None]

    def run(i):
        together[i] = velto.mbd_scan(**calls[i]).r

    threads = [threading.Thread(target=run, args=(i,)) for i in range(2)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert all(np.array_equal(a, b) for a, b in zip(alone, together))
