"""The package as a user meets it: importable, with its version."""

import re

import kesp


def test_version_is_the_projects():
    assert re.fullmatch(r"\d+\.\d+(\.\d+)?", kesp.__version__)
