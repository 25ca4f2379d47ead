"""velto.mbd_map against velto-cli map."""

import _thread
import json
import threading
import time

import numpy as np
import pytest

import velto

# Keyword arguments, and the velto-cli map options that say the same.
CASES = [
    (dict(), []),
    (dict(crystal="silicon", hkl=(0, 0, 4), href=(1, 0, 0), energy_range=(10, 12, 41), phi_range=(-5, 15, 101),
          threshold=1e-7, limits=(6, 6, 6), si_mode=False),
     ["--struct", velto.EXAMPLE_CRYSTAL, "--hkl", 0, 0, 4, "--href", 1, 0, 0, "--energy-range", 10, 12, 41,
      "--phi-range", -5, 15, 101, "--threshold", 1e-7, "--limits", 6, 6, 6, "--si-mode", "off"]),
]


def _indices(text):
    return tuple(int(n) for n in text.split())


def _exported_lines(path):
    """The polylines of velto-cli map's export: "phi, E,  h, k, l" per point, an empty line per break (two
    breaks in a row leave no line between them)."""
    lines, current = [], []
    for row in path.read_text().split("\n")[:-1]:
        if row:
            current.append(row)
        elif current:
            lines.append(current)
            current = []
    assert not current, "the export ends with a break"
    return lines


def _as_exported(polyline):
    h, k, l = polyline.hkl
    return [f"{phi:g}, {kev * 1000:g},  {h}, {k}, {l}" for phi, kev in zip(polyline.phi_deg, polyline.energy_kev)]


@pytest.mark.parametrize("kwargs,extra", CASES)
def test_map_gives_the_lines_and_points_of_the_command(cli, silicon, tmp_path, kwargs, extra):
    exported = tmp_path / "map.dat"
    status, out, err = cli.run("map", *extra, "-o", exported)
    assert status == 0, err
    expected = json.loads(out)
    if kwargs.get("crystal") == "silicon":
        kwargs = dict(kwargs, crystal=silicon)
    result = velto.mbd_map(**kwargs)

    assert result.crystal == expected["crystal"]
    assert result.si_mode == expected["si_mode"]
    assert result.lowest_energy_ev == expected["lowest_energy_ev"]
    assert result.points == expected["points"]
    assert result.rejected == expected["rejected"]
    assert result.lines == [_indices(t) for t in expected["lines"]]
    assert result.steep_lines == [_indices(t) for t in expected["steep_lines"]]
    assert [_as_exported(p) for p in result.polylines] == _exported_lines(exported)
    assert result.polylines and all(len(p.phi_deg) for p in result.polylines)
    for p in result.polylines:
        assert p.phi_deg.dtype.name == "float64" and len(p.phi_deg) == len(p.energy_kev)
        assert p.phi_deg.base is not None, "the arrays own the computed points, not a copy"


def test_slow_map_gathers_the_points_of_each_reflection(cli, tmp_path):
    exported = tmp_path / "slow.dat"
    status, out, err = cli.run("map", "--slow", "-o", exported)
    assert status == 0, err
    result = velto.mbd_map(slow=True)
    assert result.points == json.loads(out)["points"]
    rows = [row for row in exported.read_text().split("\n") if row]
    assert len(rows) == result.points, "the slow map has no break markers"
    by_reflection = {}
    for row in rows:
        by_reflection.setdefault(row.split(",  ")[1], []).append(row)
    assert [_as_exported(p) for p in result.polylines] == list(by_reflection.values())
    assert len({p.hkl for p in result.polylines}) == len(result.polylines)


def test_refusals_carry_the_message_of_the_command(cli, silicon):
    for kwargs, extra in [(dict(href=(1, 0, 0)), ["--href", 1, 0, 0]),
                          (dict(hkl=(0, 0, 0)), ["--hkl", 0, 0, 0]),
                          (dict(limits=(0, 0, 0)), ["--limits", 0, 0, 0]),
                          (dict(energy_range=(9, 7, 51)), ["--energy-range", 9, 7, 51]),
                          (dict(phi_range=(10, -10, 201)), ["--phi-range", 10, -10, 201])]:
        with pytest.raises(ValueError) as raised:
            velto.mbd_map(silicon, **kwargs)
        assert str(raised.value) == cli.form_refusal("map", *extra), kwargs

    # A question answered No: the command names --force, the module force=True.
    high = dict(energy_range=(60, 62, 5))
    with pytest.raises(ValueError) as raised:
        velto.mbd_map(**high)
    question = cli.refusal("map", "--energy-range", 60, 62, 5).split("\n")[0]
    assert str(raised.value) == question.removesuffix(" [no]") + "\n(force=True answers Yes.)"
    status, out, err = cli.run("map", "--energy-range", 60, 62, 5, "--force")
    assert status == 0, err
    with pytest.warns(velto.VeltoWarning, match="high energies"):
        forced = velto.mbd_map(**high, force=True)
    assert forced.points == json.loads(out)["points"]


def test_ctrl_c_stops_a_long_map_and_keeps_the_module_usable():
    reference = velto.mbd_map()
    # Over a minute of tracing on any machine, unless the interrupt reaches the map's cancel.
    timer = threading.Timer(0.5, _thread.interrupt_main)
    timer.start()
    started = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        velto.mbd_map(energy_range=(7, 40, 20001), phi_range=(-180, 180, 36001), force=True)
    stopped = time.monotonic() - started
    timer.join()
    assert stopped < 10, stopped
    again = velto.mbd_map()
    assert again.lines == reference.lines
    assert all(np.array_equal(a.energy_kev, b.energy_kev) for a, b in zip(again.polylines, reference.polylines))
