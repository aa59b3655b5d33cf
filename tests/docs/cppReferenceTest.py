"""Every declaration of the public headers is in the site's C++ reference.

Usage: cppReferenceTest.py DOXYGEN_XML_DIR CPP_PAGE

Doxygen reads the public headers and nothing else; every class, struct and
union it finds in them, and every member that is not private (functions,
variables, enums, type aliases, at namespace level or in a class), must have
its Doxygen id as an anchor of the page. Private members and the namespace
kesp::detail (helpers of the headers' inline code) are left out.
"""

import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

from siteHtml import ids_of

CLASS_KINDS = {"class", "struct", "union"}
MEMBER_SECTIONS_SKIPPED = ("private-", "friend")


def public_declarations(xml_dir: Path) -> dict:
    """Doxygen id -> a readable name of each public declaration of the headers."""
    index = ElementTree.parse(xml_dir / "index.xml").getroot()
    headers = {compound.get("refid") for compound in index.findall("compound[@kind='file']")}
    classes = {}
    for compound in index.findall("compound"):
        if compound.get("kind") in CLASS_KINDS and "::detail::" not in compound.findtext("name"):
            classes[compound.get("refid")] = compound.findtext("name")
    namespaces = {compound.get("refid") for compound in index.findall("compound[@kind='namespace']")
                  if not compound.findtext("name").endswith("::detail")}
    declarations = dict(classes)
    for refid in headers | set(classes) | namespaces:
        compound = ElementTree.parse(xml_dir / f"{refid}.xml").getroot().find("compounddef")
        owner = compound.findtext("compoundname")
        for section in compound.findall("sectiondef"):
            if section.get("kind", "").startswith(MEMBER_SECTIONS_SKIPPED):
                continue
            for member in section.findall("memberdef"):
                if member.get("prot") == "private":
                    continue
                declarations[member.get("id")] = f"{owner}: {member.findtext('name')}"
    return declarations


def main(xml_dir: str, page: str) -> int:
    declarations = public_declarations(Path(xml_dir))
    if not declarations:
        print(f"no declaration in {xml_dir}: Doxygen read no public header")
        return 1
    anchors = ids_of(Path(page))
    missing = sorted(name for refid, name in declarations.items() if refid not in anchors)
    for name in missing:
        print(f"not in the C++ reference: {name}")
    print(f"{len(declarations) - len(missing)} of {len(declarations)} public declarations in {page}")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
