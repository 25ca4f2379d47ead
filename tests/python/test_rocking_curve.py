"""velto.rocking_curve against velto-cli rc: the analysis, every exported column, the refusals."""

import os
import signal
import threading
import time
import _thread

import numpy as np
import pytest

import velto
from conftest import format_number

ANALYSIS = ["theta_b_deg", "b", "points", "scan", "max_r", "x_max", "x_max_exit", "r_centre", "x_centre",
            "x_centre_exit", "fwhm", "fwhm_exit", "x_left", "x_right", "abs_max", "abs_centre", "analytic_shift",
            "analytic_fwhm", "dumond_slope", "min_depth_um", "extinction_um"]

# Keyword arguments of rocking_curve and the velto-cli rc options that say the same.
CASES = [
    (dict(hkl=(1, 1, 1), energy_kev=8.047987942062702), []),
    (dict(hkl=(1, 1, 1), energy_kev=8.0, polarization="pi", range=(-20.5, 40.25), points=777), ["--pol", "pi", "--from", -20.5, "--to", 40.25, "--points", 777]),
    (dict(hkl=(2, 2, 0), energy_kev=12.0, scan="energy", offset=3.5), ["--scan", "energy", "--offset", 3.5]),
    (dict(hkl=(4, 0, 0), energy_kev=10.0, thickness_um=2.5, asymmetry_deg=-5.0), ["--thickness", 2.5, "--asym", -5.0]),
    (dict(hkl=(1, 1, 1), energy_kev=8.0, rigorous=True, asymmetry_deg=13.5, range=(-100, 200), points=3001),
     ["--rigorous", "--asym", 13.5, "--from", -100, "--to", 200, "--points", 3001]),
    (dict(hkl=(2, 2, 0), energy_kev=17.4794, laue=True), ["--laue"]),
    (dict(hkl=(1, 1, 1), energy_kev=15.0, laue=True, thickness_um=30, asymmetry_deg=4, scan="energy", range=(-3, 3)),
     ["--laue", "--thickness", 30, "--asym", 4, "--scan", "energy", "--from", -3, "--to", 3]),
    # Far off the reflection: no full width within the scan, the analysis is null.
    (dict(hkl=(1, 1, 1), energy_kev=8.0, range=(400, 500), points=11), ["--from", 400, "--to", 500, "--points", 11]),
]


def _cli_args(kwargs, extra):
    h, k, l = kwargs["hkl"]
    return ["rc", "--struct", velto.EXAMPLE_CRYSTAL, "--hkl", h, k, l, "--energy", repr(kwargs["energy_kev"]), *extra]


def _call(crystal, kwargs):
    rest = {key: value for key, value in kwargs.items() if key not in ("hkl", "energy_kev")}
    return velto.rocking_curve(crystal, kwargs["hkl"], kwargs["energy_kev"], **rest)


@pytest.mark.parametrize("kwargs,extra", CASES)
def test_analysis_gives_the_numbers_of_the_command(cli, silicon, kwargs, extra):
    expected = cli.json(*_cli_args(kwargs, extra))
    curve = _call(silicon, kwargs)
    for name in ANALYSIS:
        assert getattr(curve, name) == expected[name], name
    assert curve.laue == kwargs.get("laue", False)
    assert curve.failed_points == 0


@pytest.mark.parametrize("kwargs,extra", CASES[:7])
def test_arrays_give_every_exported_column(cli, silicon, tmp_path, kwargs, extra):
    curve = _call(silicon, kwargs)
    energy_scan = kwargs.get("scan") == "energy"
    columns = ["scan" if energy_scan else "scan:arcsec:rel", "exit:arcsec:rel", "r"]
    arrays = [curve.x, curve.exit, curve.r]
    # The export offers exactly the columns whose arrays are not None.
    for column, array, scale in (("t", curve.t, 1), ("depth", curve.depth, 1000), ("specular", curve.specular, 1)):
        if array is not None:
            columns.append(column)
            arrays.append(array * scale)  # depth: µm here, nm in the file
    assert (curve.t is not None) == (kwargs.get("thickness_um", 50 if kwargs.get("laue") else -1) > 0)
    assert (curve.depth is None) == kwargs.get("laue", False)
    assert (curve.specular is not None) == kwargs.get("rigorous", False)

    path = tmp_path / "curve.dat"
    status, _, err = cli.run(*_cli_args(kwargs, extra), "-o", path, "--columns", ",".join(columns))
    assert status == 0, err
    rows = [line.split("\t") for line in path.read_bytes().decode().split("\r\n") if line]
    assert len(rows) == curve.points == len(curve.x)
    for index, array in enumerate(arrays):
        assert array.dtype == np.float64 and array.shape == (curve.points,)
        assert [format_number(value) for value in array] == [row[index] for row in rows], columns[index]


def test_curves_reach_python_without_a_copy(silicon):
    curve = velto.rocking_curve(silicon, (1, 1, 1), 8.0, points=100000, range=(-300, 300), thickness_um=5)
    for array in (curve.x, curve.r, curve.t, curve.exit, curve.depth):
        # The array is a view on the vector the computation filled, kept
        # alive by a capsule; numpy made no copy of its own.
        assert not array.flags.owndata
        assert type(array.base).__name__ == "PyCapsule"
        assert array.flags.c_contiguous and array.flags.writeable
    # Each array has a storage of its own: writing one leaves the others.
    before = curve.t.copy()
    curve.r[:] = 0
    assert np.array_equal(curve.t, before) and curve.max_r > 0.5


def test_refusals_carry_the_message_of_the_command(cli, silicon, tmp_path):
    cases = [
        (dict(hkl=(0, 0, 0), energy_kev=8), []),
        (dict(hkl=(1, 1, 1), energy_kev=-1), []),
        (dict(hkl=(1, 1, 1), energy_kev=100), []),
        (dict(hkl=(1, 1, 1), energy_kev=8, laue=True, rigorous=True), ["--laue", "--rigorous"]),
        (dict(hkl=(1, 1, 1), energy_kev=8, range=(5, -5)), ["--from", 5, "--to", -5]),
        (dict(hkl=(1, 1, 1), energy_kev=8, points=2), ["--points", 2]),
        (dict(hkl=(1, 1, 1), energy_kev=8, points=100001), ["--points", 100001]),
        (dict(hkl=(1, 1, 1), energy_kev=8, asymmetry_deg=89.99999), ["--asym", 89.99999]),
        (dict(hkl=(1, 1, 1), energy_kev=8, asymmetry_deg=20), ["--asym", 20]),
        (dict(hkl=(1, 1, 1), energy_kev=8, offset=-8001), ["--offset", -8001]),
        (dict(hkl=(1, 1, 1), energy_kev=8, scan="energy", range=(-9000, 5)), ["--scan", "energy", "--from", -9000, "--to", 5]),
        (dict(hkl=(9, 9, 9), energy_kev=8, laue=True), ["--laue"]),
        (dict(hkl=(1, 1, 1), energy_kev=8, laue=True, asymmetry_deg=80), ["--laue", "--asym", 80]),
        (dict(hkl=(1, 1, 1), energy_kev=8, offset=float("inf")), ["--offset", "inf"]),
    ]
    for kwargs, extra in cases:
        with pytest.raises(ValueError) as raised:
            _call(silicon, kwargs)
        assert str(raised.value) == cli.form_refusal(*_cli_args(kwargs, extra)), kwargs

    empty = tmp_path / "empty.struct"
    empty.write_text("Empty\n5.43 5.43 5.43\n90 90 90\n0\n")
    with pytest.raises(ValueError) as raised:
        velto.rocking_curve(velto.Crystal.load(empty), (1, 1, 1), 8)
    assert str(raised.value) == cli.refusal("rc", "--struct", empty)

    for wrong in (dict(polarization="both"), dict(scan="phi")):
        with pytest.raises(ValueError):
            velto.rocking_curve(silicon, (1, 1, 1), 8, **wrong)


def test_two_threads_give_the_results_of_two_lone_calls(silicon):
    calls = [dict(hkl=(1, 1, 1), energy_kev=8.0, points=60000, rigorous=True),
             dict(hkl=(2, 2, 0), energy_kev=17.0, laue=True, points=60000, scan="energy")]
    alone = [_call(silicon, kwargs) for kwargs in calls]
    together = [None, None]

    def run(index):
        together[index] = _call(silicon, calls[index])

    threads = [threading.Thread(target=run, args=(i,)) for i in range(2)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for lone, shared in zip(alone, together):
        assert np.array_equal(lone.r, shared.r) and np.array_equal(lone.exit, shared.exit)
        assert lone.fwhm == shared.fwhm and lone.max_r == shared.max_r


def test_ctrl_c_leaves_the_interpreter_usable(silicon):
    # Ctrl-C arrives while curves are being computed (inside a call, where the
    # module turns it into the scan's cancel, or between two calls); either
    # way KeyboardInterrupt comes through and later calls compute in full.
    reference = velto.rocking_curve(silicon, (1, 1, 1), 8.0, points=100000, rigorous=True)
    timer = threading.Timer(0.3, _thread.interrupt_main)
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        for _ in range(10000):
            velto.rocking_curve(silicon, (1, 1, 1), 8.0, points=100000, rigorous=True)
    timer.join()
    again = velto.rocking_curve(silicon, (1, 1, 1), 8.0, points=100000, rigorous=True)
    assert np.array_equal(again.r, reference.r) and again.fwhm == reference.fwhm


def test_a_forked_child_computes_as_its_parent(silicon):
    # The long runs compute on worker threads that stay for the next run; a
    # child made by fork has none of them and must make its own.
    parent = velto.rocking_curve(silicon, (1, 1, 1), 8.0, points=201)
    pid = os.fork()
    if pid == 0:
        status = 1
        try:
            child = velto.rocking_curve(silicon, (1, 1, 1), 8.0, points=201)
            status = 0 if np.array_equal(child.r, parent.r) else 2
        finally:
            os._exit(status)
    deadline = time.monotonic() + 120
    while time.monotonic() < deadline:
        done, status = os.waitpid(pid, os.WNOHANG)
        if done:
            assert os.waitstatus_to_exitcode(status) == 0
            return
        time.sleep(0.05)
    os.kill(pid, signal.SIGKILL)
    pytest.fail("the child did not finish")
