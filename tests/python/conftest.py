"""Runs velto-cli beside the module, so that every function can be held against the command."""

import json
import os
import re
import subprocess

import pytest

import velto


def _cli_path():
    path = os.environ.get("VELTO_CLI")
    if not path:
        pytest.skip("VELTO_CLI names no velto-cli to compare with")
    return path


class Cli:
    def __init__(self, path):
        self.path = path

    def run(self, *args):
        """(exit status, stdout, stderr) of velto-cli with `args` (numbers given as Python writes them)."""
        done = subprocess.run([self.path, *map(str, args)], capture_output=True, text=True, timeout=300)
        return done.returncode, done.stdout, done.stderr

    def json(self, *args):
        status, out, err = self.run(*args, "--json")
        assert status == 0, err
        return json.loads(out)

    def refusal(self, *args):
        """The message velto-cli refuses `args` with."""
        status, _, err = self.run(*args)
        assert status == 1
        return err.strip()

    def form_refusal(self, *args):
        """The form's message velto-cli refuses `args` with, without the option it names in front of a refused
        field's message (a Python call has keyword arguments, not options)."""
        return re.sub(r"^--[a-z-]+: ", "", self.refusal(*args))


@pytest.fixture(scope="session")
def cli():
    return Cli(_cli_path())


@pytest.fixture(scope="session")
def silicon():
    return velto.Crystal.load(velto.EXAMPLE_CRYSTAL)


def format_number(x, decimals=8):
    """The program's number text: fixed point without trailing zeros, %g outside 1e-4 ... 1e7."""
    magnitude = abs(x)
    if not magnitude <= 1e7 or magnitude < 1e-4:
        return f"{x:.6g}"
    return f"{x:.{decimals}f}".rstrip("0").rstrip(".")
