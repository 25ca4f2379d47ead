"""X-ray dynamical diffraction from perfect crystals: the VELTO programs from Python.

The functions call the same code as the VELTO windows and ``velto-cli``; refusals raise
ValueError with the program's own message, notices come as :class:`VeltoWarning`, and a
long computation stops at Ctrl-C with KeyboardInterrupt.
"""

import os as _os

from . import _velto
from ._velto import (Chi, ConvolutionResult, Crystal, FormFactor, MapPolyline, MbdBeam, MbdMapResult, MbdScanResult,
                     MonochromatorResult, RockingCurveResult, StructureFactors, VeltoWarning, convolution, form_factor,
                     mbd_map, mbd_scan, monochromator, rocking_curve, structure_factors)

# The atomic-data tables and the example crystal are installed beside the module.
_velto._set_data_directory(_os.path.join(_os.path.dirname(_os.path.abspath(__file__)), "data"))

EXAMPLE_CRYSTAL = _os.path.join(_os.path.dirname(_os.path.abspath(__file__)), "data", "Silicon.struct")
"""The silicon structure file velto-cli uses when no --struct is given."""

__all__ = ["Chi", "ConvolutionResult", "Crystal", "EXAMPLE_CRYSTAL", "FormFactor", "MapPolyline", "MbdBeam",
           "MbdMapResult", "MbdScanResult", "MonochromatorResult", "RockingCurveResult", "StructureFactors",
           "VeltoWarning", "convolution", "form_factor", "mbd_map", "mbd_scan", "monochromator", "rocking_curve",
           "structure_factors"]
