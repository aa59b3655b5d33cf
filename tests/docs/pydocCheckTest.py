"""The docs build's checks of the pybind11 docstrings (docs/_ext/kesp_pydoc.py)
find an undocumented or unknown parameter, and an overloaded function reads
as one numpydoc docstring.

Usage: pydocCheckTest.py DOCS_EXT_DIR   (with the package kesp on PYTHONPATH)
"""

import logging
import sys
import unittest


class Recorded(logging.Handler):
    def __init__(self):
        super().__init__()
        self.messages = []

    def emit(self, record):
        self.messages.append(record.getMessage())


def autodoc_lines(obj) -> list:
    """The docstring as autodoc hands it over: a pybind11 function's first signature line taken off."""
    lines = obj.__doc__.split("\n")
    return lines[1:] if lines[0].endswith("(*args, **kwargs)") else lines


class Pybind11Docstrings(unittest.TestCase):
    def setUp(self):
        self.recorded = Recorded()
        logging.getLogger("sphinx.kesp_pydoc").addHandler(self.recorded)

    def tearDown(self):
        logging.getLogger("sphinx.kesp_pydoc").removeHandler(self.recorded)

    def check(self, what, name, obj, lines):
        kesp_pydoc.check_pybind11_parameters(None, what, name, obj, {}, lines)
        return self.recorded.messages

    def test_the_package_documents_every_parameter(self):
        for name, obj in [("kesp.Settings", kesp.Settings), ("kesp.OxygenModel", kesp.OxygenModel),
                          ("kesp.DmsoModel", kesp.DmsoModel), ("kesp.Field", kesp.Field)]:
            self.assertTrue(kesp_pydoc.pybind11_parameters(obj), name)
            self.assertEqual(self.check("class", name, obj, autodoc_lines(obj)), [], name)
        particle = autodoc_lines(kesp.Field.particle)
        kesp_pydoc.overloads_as_one(None, "method", "kesp.Field.particle", kesp.Field.particle, {}, particle)
        self.assertEqual(self.check("method", "kesp.Field.particle", kesp.Field.particle, particle), [])

    def test_an_undocumented_and_an_unknown_parameter_are_warned_of(self):
        lines = autodoc_lines(kesp.Settings)
        start = lines.index("threads : int")
        lines[start:start + 3] = ["colour : str", "    Not a parameter of Settings."]
        messages = self.check("class", "kesp.Settings", kesp.Settings, lines)
        self.assertEqual(len(messages), 2, messages)
        self.assertIn("does not document its parameter threads", messages[0])
        self.assertIn("documents colour, which is not one of its parameters", messages[1])

    def test_signature_parameters_skip_self_stars_and_defaults(self):
        self.assertEqual(kesp_pydoc.parameter_names(
            "self: kesp._core.Field, components: List[Tuple[str, float, float]], file_name: str = ''"),
            ["components", "file_name"])
        self.assertEqual(kesp_pydoc.parameter_names("name: str, *, energy_mev: float = f(1, 2)"),
                         ["name", "energy_mev"])
        self.assertIn("oxygen_model", kesp_pydoc.pybind11_parameters(kesp.Settings))

    def test_an_overloaded_function_reads_as_one_numpydoc_docstring(self):
        lines = autodoc_lines(kesp.Field.particle)
        kesp_pydoc.overloads_as_one(None, "method", "kesp.Field.particle", kesp.Field.particle, {}, lines)
        parsed = NumpyDocString("\n".join(lines))
        self.assertEqual(parsed["Summary"], ["One particle type at a kinetic energy of the whole particle in MeV."])
        self.assertEqual([p.name for p in parsed["Parameters"]], ["name", "kinetic_energy_mev", "energy_mev"])
        forms = [line for line in lines if line[:3] in ("1. ", "2. ")]
        self.assertEqual(len(forms), 2, lines)
        self.assertIn("energy_mev: float", forms[1])
        self.assertIn("deprecated", forms[1])

    def test_numpydoc_leaves_exactly_the_pybind11_objects_to_these_checks(self):
        names = kesp_pydoc.pybind11_names()
        self.assertTrue({"kesp.Settings", "kesp.Field", "kesp.Field.particle"} <= names, names)
        self.assertFalse({"kesp.run", "kesp.Results", "kesp.particle", "kesp.survival.CellLine"} & names, names)


if __name__ == "__main__":
    sys.path.insert(0, sys.argv.pop(1))
    import kesp
    import kesp_pydoc
    from numpydoc.docscrape import NumpyDocString

    unittest.main()
