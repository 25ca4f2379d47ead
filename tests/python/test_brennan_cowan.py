"""velto.form_factor and velto.structure_factors against velto-cli ff and sf."""

import warnings

import pytest

import velto


@pytest.mark.parametrize("element,energy,theta", [("Si", 8.047987942062702, 0.0), ("ge", 12.0, 20.0), (79, 30.0, 20.0),
                                                  ("U", 17.0, 90.0), ("Fe", 7.1, 12.0), ("Si", 8.0, 95.0)])
def test_form_factor_gives_the_numbers_of_the_command(cli, element, energy, theta):
    expected = cli.json("ff", "--element", element, "--energy", repr(energy), "--theta", repr(theta))
    f = velto.form_factor(element, energy, theta)
    for name in ("element", "z", "energy_kev", "theta_deg", "sin_theta_over_lambda", "f0", "f1", "f2", "f_cmpt",
                 "f_real", "f_imag"):
        assert getattr(f, name) == expected[name], name


def test_form_factor_refusals(cli):
    for element in ("Xx", "0", "93"):
        with pytest.raises(ValueError) as raised:
            velto.form_factor(int(element) if element.isdigit() else element)
        assert str(raised.value) == cli.refusal("ff", "--element", element)
    # Beyond the wavevector the engine's tables reach.
    with pytest.raises(ValueError) as raised:
        velto.form_factor(79, 30.0, 45.5)
    assert str(raised.value) == cli.refusal("ff", "--element", 79, "--energy", 30.0, "--theta", 45.5)


@pytest.mark.parametrize("hkl,energy,temperature", [((1, 1, 1), 8.047987942062702, 293.15), ((2, 2, 0), 10.0, 293.15),
                                                    ((4, 4, 4), 20.0, 77.0), ((0, 0, 0), 12.0, 293.15),
                                                    ((9, 9, 9), 8.0, 293.15), ((2, 0, 0), 8.0, 293.15)])
def test_structure_factors_give_the_numbers_of_the_command(cli, hkl, energy, temperature):
    expected = cli.json("sf", "--hkl", *hkl, "--energy", repr(energy), "--temp", repr(temperature))
    crystal = velto.Crystal.load(velto.EXAMPLE_CRYSTAL, temperature=temperature)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", velto.VeltoWarning)  # 9 9 9 has no Bragg angle at 8 keV
        s = velto.structure_factors(crystal, hkl, energy)
    assert (s.crystal, s.energy_kev, s.temperature_k, s.hkl) == (expected["crystal"], expected["energy_kev"],
                                                                 expected["temperature_k"], hkl)
    assert (s.d, s.theta_b_deg) == (expected["d"], expected["theta_b_deg"])
    factors = expected["structure_factors"]
    assert s.structure_factors == {name: complex(*f["value"]) for name, f in factors.items()}
    assert s.moduli == {name: f["modulus"] for name, f in factors.items()}
    assert s.phases_deg == {name: f["phase_deg"] for name, f in factors.items()}
    assert s.chi == {name: complex(*value) for name, value in expected["chi"].items()}
    assert (s.mu_per_um, s.penetration_um, s.clipboard) == (expected["mu_per_um"], expected["penetration_um"],
                                                            expected["clipboard"])


def test_structure_factors_notice_and_refusal(cli, silicon, tmp_path):
    # No diffraction at this energy: the program says so and still gives F0.
    status, _, err = cli.run("sf", "--hkl", 9, 9, 9, "--energy", 8, "--json")
    assert status == 0
    with pytest.warns(velto.VeltoWarning) as caught:
        velto.structure_factors(silicon, (9, 9, 9), 8.0)
    assert [str(w.message) for w in caught] == [err.strip()]

    with pytest.raises(ValueError) as raised:
        velto.structure_factors(silicon, (1, 1, 1), -2.0)
    assert str(raised.value) == cli.refusal("sf", "--energy", -2.0)

    empty = tmp_path / "empty.struct"
    empty.write_text("Empty\n5.43 5.43 5.43\n90 90 90\n0\n")
    with pytest.raises(ValueError) as raised:
        velto.structure_factors(velto.Crystal.load(empty), (1, 1, 1), 8.0)
    assert str(raised.value) == cli.refusal("sf", "--struct", empty)
