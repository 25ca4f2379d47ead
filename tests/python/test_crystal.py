"""velto.Crystal, d and chi against velto-cli chi."""

import math

import pytest

import velto

CHI_CASES = [
    # hkl, energy keV, temperature K
    ((1, 1, 1), 8.047987942062702, 293.15),
    ((2, 2, 0), 17.4794, 293.15),
    ((4, 0, 0), 12.0, 80.0),
    ((3, 3, 3), 30.5, 500.0),
    ((-1, 3, 5), 9.2, 1e-6),  # the lowest temperature the Debye-Waller factor accepts
]


@pytest.mark.parametrize("hkl,energy,temperature", CHI_CASES)
def test_chi_gives_the_numbers_of_the_command(cli, hkl, energy, temperature):
    expected = cli.json("chi", "--struct", velto.EXAMPLE_CRYSTAL, "--hkl", *hkl, "--energy", repr(energy),
                        "--temp", repr(temperature))
    crystal = velto.Crystal.load(velto.EXAMPLE_CRYSTAL, temperature=temperature)
    chi = crystal.chi(hkl, energy)
    assert crystal.d(hkl) == expected["d"]
    assert chi.d == expected["d"]
    assert chi.theta_b_deg == expected["theta_b_deg"]
    assert chi.bragg == expected["bragg"]
    for name in ("chi0", "chih", "chimh", "chihp", "chimhp", "f0", "fh", "fmh"):
        assert getattr(chi, name) == complex(*expected[name]), name
    assert chi.components == (chi.chi0, chi.chih, chi.chimh, chi.chihp, chi.chimhp)
    assert chi.mu_per_um == expected["mu_per_um"]
    assert chi.penetration_um == expected["penetration_um"]
    assert chi.hkl == hkl and chi.energy_kev == energy and chi.name == "Silicon"


def test_temperature_lowers_the_structure_factor(silicon):
    # Thermal vibration damps |Fh| the more the higher the reflection: a
    # check that the temperature given to load reaches the computation.
    cold = velto.Crystal.load(velto.EXAMPLE_CRYSTAL, temperature=10.0)
    hot = velto.Crystal.load(velto.EXAMPLE_CRYSTAL, temperature=900.0)
    assert abs(cold.chi((8, 8, 0), 20).fh) > abs(silicon.chi((8, 8, 0), 20).fh) > abs(hot.chi((8, 8, 0), 20).fh)
    assert cold.d((8, 8, 0)) == hot.d((8, 8, 0))
    tiny = velto.Crystal.load(velto.EXAMPLE_CRYSTAL, temperature=1e-6)
    assert tiny.temperature == 1e-6 and abs(tiny.chi((8, 8, 0), 20).fh) > abs(cold.chi((8, 8, 0), 20).fh)


def test_temperatures_at_or_below_0_k_are_refused_as_the_command_refuses_them(cli):
    # The Debye-Waller factor needs a temperature above 0 K; velto-cli's --temp names itself in front.
    for kelvin in (0, -5, -273.15):
        with pytest.raises(ValueError) as raised:
            velto.Crystal.load(velto.EXAMPLE_CRYSTAL, temperature=kelvin)
        refusal = cli.refusal("chi", "--temp", kelvin).split("\n")[0]
        assert refusal == "--temp: " + str(raised.value), kelvin
        assert str(raised.value) == f'a temperature must be above 0 K, not "{kelvin:g}"'


def test_no_bragg_condition_warns_as_the_command_does(cli, silicon):
    status, out, err = cli.run("chi", "--hkl", 9, 9, 9, "--energy", 8, "--json")
    assert status == 0
    with pytest.warns(velto.VeltoWarning) as caught:
        chi = silicon.chi((9, 9, 9), 8)
    assert [str(w.message) for w in caught] == [err.strip()]
    assert chi.theta_b_deg == 90 and not chi.bragg


def _crystal_without_atoms(tmp_path):
    path = tmp_path / "empty.struct"
    path.write_text("Empty\n5.43 5.43 5.43\n90 90 90\n0\n")
    return path


def test_refusals_carry_the_message_of_the_command(cli, silicon, tmp_path):
    cases = [
        (lambda: silicon.chi((0, 0, 0), 8), ("--hkl", 0, 0, 0)),
        (lambda: silicon.chi((1000, 1, 1), 8), ("--hkl", 1000, 1, 1)),
        (lambda: silicon.d((0, 0, -1000)), ("--hkl", 0, 0, -1000)),
        (lambda: silicon.chi((1, 1, 1), -8), ("--energy", -8)),
        (lambda: silicon.chi((1, 1, 1), 0), ("--energy", 0)),
        (lambda: silicon.chi((1, 1, 1), 120), ("--energy", 120)),
    ]
    for call, args in cases:
        with pytest.raises(ValueError) as raised:
            call()
        assert str(raised.value) == cli.refusal("chi", *args), args


def test_unreadable_and_empty_structure_files(cli, tmp_path):
    missing = tmp_path / "missing.struct"
    with pytest.raises(ValueError) as raised:
        velto.Crystal.load(missing)
    assert str(raised.value) == cli.refusal("chi", "--struct", missing)

    empty = _crystal_without_atoms(tmp_path)
    status, _, err = cli.run("chi", "--struct", empty)
    crystal = velto.Crystal.load(empty)
    # The lattice alone has d-spacings; chi needs the atoms, as velto-cli says.
    assert not crystal.defined
    assert math.isclose(crystal.d((1, 0, 0)), 5.43)
    with pytest.raises(ValueError) as raised:
        crystal.chi((1, 1, 1), 8)
    assert str(raised.value) == err.strip() and status == 1

    with pytest.raises(ValueError, match="finite"):
        velto.Crystal.load(velto.EXAMPLE_CRYSTAL, temperature=float("nan"))


def test_a_cif_loads_as_the_command_reads_it(cli):
    # The CIFs of tests/data/cif: silicon reads as velto-cli reads it; GaAs
    # gives no displacement parameters and arsenic is in no table of Debye
    # temperatures, so it is refused, in the command's words.
    import pathlib
    cif = str(pathlib.Path(__file__).parent.parent / "data" / "cif" / "silicon.cif")
    expected = cli.json("chi", "--struct", cif, "--hkl", 2, 2, 0)
    crystal = velto.Crystal.load(cif)
    assert crystal.chi((2, 2, 0), 8.047987942062702).chih == complex(*expected["chih"])
    gaas = str(pathlib.Path(cif).parent / "gaas.cif")
    with pytest.raises(ValueError, match="no Debye temperature for As"):
        velto.Crystal.load(gaas)
