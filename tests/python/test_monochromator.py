"""velto.monochromator against velto-cli dcm."""

import pytest

import velto

NUMBERS = ["phi_deg", "delta_phi_arcsec", "delta_omega_arcsec", "scan", "unit", "points", "step", "curve", "max",
           "max_at", "fwhm", "centre", "centre_reflectivity"]

# Second crystal's reflection, keyword arguments, and the velto-cli dcm options that say the same.
CASES = [
    ((1, 1, 1), dict(), []),
    ((3, 3, 3), dict(auto_set=True, scan="energy", geometry="dispersive"),
     ["--auto-set", "--scan", "energy", "--geometry", "dispersive"]),
    ((2, 2, 0), dict(energy_kev=11.0, polarization="pi", first_asymmetry_deg=4.0, second_asymmetry_deg=-4.0,
                     delta_phi_arcsec=2.5, range=(-40, 60), points=301),
     ["--energy", 11.0, "--pol", "pi", "--phi1", 4.0, "--phi2", -4.0, "--dphi", 2.5, "--from", -40, "--to", 60,
      "--points", 301]),
    ((1, 1, 1), dict(scan="energy", delta_omega_arcsec=3.0, only_first=True, rigorous=True, first_channel_cut=True),
     ["--scan", "energy", "--domega", 3.0, "--only-first", "--rigorous", "--c1-channel-cut"]),
    # Far off: no width within the scan.
    ((1, 1, 1), dict(range=(300, 400), points=21), ["--from", 300, "--to", 400, "--points", 21]),
]


def _cli_args(second_hkl, extra):
    return ["dcm", "--c1-struct", velto.EXAMPLE_CRYSTAL, "--c2-struct", velto.EXAMPLE_CRYSTAL, "--c2-hkl",
            *second_hkl, *extra]


@pytest.mark.parametrize("second_hkl,kwargs,extra", CASES)
def test_monochromator_gives_the_numbers_of_the_command(cli, silicon, second_hkl, kwargs, extra):
    expected = cli.json(*_cli_args(second_hkl, extra))
    result = velto.monochromator(silicon, (1, 1, 1), silicon, second_hkl, **kwargs)
    for name in NUMBERS:
        assert getattr(result, name) == expected[name], name
    assert result.range == (expected["from"], expected["to"])
    assert result.half_maxima == (tuple(expected["half_maxima"]) if expected["half_maxima"] else None)
    assert result.values.tolist() == expected["values"]
    assert result.exit_deviation_arcsec.tolist() == expected["exit_deviation_arcsec"]
    assert len(result.x) == result.points and result.x[0] == expected["from"]
    if "auto_set" in expected:
        assert result.auto_set == {key: expected["auto_set"][key]
                                   for key in ("phi_deg", "delta_phi_arcsec", "delta_omega_arcsec")}
    else:
        assert result.auto_set is None


def test_refusals_carry_the_message_of_the_command(cli, silicon):
    for kwargs, extra in [(dict(points=2), ["--points", 2]), (dict(range=(5, -5)), ["--from", 5, "--to", -5]),
                          (dict(energy_kev=0), ["--energy", 0])]:
        with pytest.raises(ValueError) as raised:
            velto.monochromator(silicon, (1, 1, 1), silicon, (1, 1, 1), **kwargs)
        assert str(raised.value) == cli.form_refusal(*_cli_args((1, 1, 1), extra)).split("\n(field:")[0], kwargs
    with pytest.raises(ValueError) as raised:
        velto.monochromator(silicon, (1, 1, 1), None, (1, 1, 1))
    assert str(raised.value) == cli.refusal("dcm", "--c1-struct", velto.EXAMPLE_CRYSTAL)
    with pytest.raises(ValueError):
        velto.monochromator(silicon, (1, 1, 1), silicon, (1, 1, 1), scan="phi")


@pytest.mark.parametrize("scan,span", [("energy", 3.0), ("angle", 30.0)])
def test_parallel_pair_reflects_the_square_of_one_crystal(silicon, scan, span):
    # Two identical reflections in the (+,-) setting see the same deviation:
    # the pair reflects R(x)^2 at every point of either scan, for both polarizations.
    for polarization in ("sigma", "pi"):
        pair = velto.monochromator(silicon, (1, 1, 1), silicon, (1, 1, 1), 8.0, scan=scan, polarization=polarization,
                                   range=(-span, span), points=601)
        single = velto.rocking_curve(silicon, (1, 1, 1), 8.0, scan=scan, polarization=polarization,
                                     range=(-span, span), points=601)
        assert list(pair.x) == list(single.x)
        assert max(abs(pair.values - single.r ** 2)) < 1e-9
        assert max(pair.values) > 0.8


def test_example_script_draws_its_picture(tmp_path):
    pytest.importorskip("matplotlib")
    import runpy
    import pathlib

    script = pathlib.Path(__file__).parents[2] / "examples" / "dcm_energy_scan.py"
    picture = tmp_path / "dcm.png"
    runpy.run_path(str(script), run_name="example")["main"](str(picture))
    assert picture.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
