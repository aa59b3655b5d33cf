"""The ``{kesp-header}`` blocks of the C++ reference, written out from Doxygen's XML.

A block ``{kesp-header} input/runSettings.h`` on a page becomes, before the
page is parsed, one Breathe directive per declaration of that header: each
class and struct with its members, then each enum, type alias, variable and
function at namespace level (every overload by its parameters). Each
declaration is thus shown once, under its header, and the namespace is not
repeated per header. The XML is read from ``breathe_projects["kesp"]``.
"""

import re
import xml.etree.ElementTree as ElementTree
from pathlib import Path

from docutils import nodes

BLOCK = re.compile(r"^```\{kesp-header\} *(\S+)\n```\n", re.MULTILINE)
SIMPLE_KINDS = {"enum": "doxygenenum", "typedef": "doxygentypedef", "variable": "doxygenvariable"}


def text_of(element) -> str:
    return "".join(element.itertext()).strip() if element is not None else ""


def header_compound(xml_dir: Path, header: str):
    """The file compound of ``header`` ("input/runSettings.h") in Doxygen's XML."""
    index = ElementTree.parse(xml_dir / "index.xml").getroot()
    for compound in index.findall("compound[@kind='file']"):
        document = ElementTree.parse(xml_dir / f"{compound.get('refid')}.xml").getroot().find("compounddef")
        location = document.find("location")
        if location is not None and location.get("file", "").endswith("/" + header) or (
                location is not None and location.get("file") == header):
            return document
    raise RuntimeError(f"kesp-header: {header} is not in Doxygen's XML ({xml_dir}); is it a public header?")


def namespace_members(xml_dir: Path, header: str) -> list:
    """The members of the namespaces (kesp::detail aside) that ``header`` declares."""
    index = ElementTree.parse(xml_dir / "index.xml").getroot()
    members = []
    for compound in index.findall("compound[@kind='namespace']"):
        if compound.findtext("name").endswith("::detail"):
            continue
        document = ElementTree.parse(xml_dir / f"{compound.get('refid')}.xml").getroot()
        members += [member for member in document.iter("memberdef")
                    if member.find("location") is not None and member.find("location").get("file") == header]
    return members


def function_signature(member) -> str:
    """``kesp::name(type1 name1, ...)`` of a function, for doxygenfunction."""
    qualified = member.find("qualifiedname")
    name = text_of(qualified) if qualified is not None else text_of(member.find("name"))
    params = []
    for param in member.findall("param"):
        declaration = text_of(param.find("type"))
        if param.find("declname") is not None:
            declaration += " " + text_of(param.find("declname"))
        params.append(declaration)
    suffix = " const" if member.get("const") == "yes" else ""
    return f"{name}({', '.join(params)}){suffix}"


def directives(xml_dir: Path, header: str) -> str:
    """The MyST text of every declaration of ``header``."""
    compound = header_compound(xml_dir, header)
    blocks = []
    for inner in compound.findall("innerclass"):
        kind = "doxygenstruct" if inner.get("refid", "").startswith("struct") else "doxygenclass"
        blocks.append(f"```{{{kind}}} {inner.text}\n:project: kesp\n:members:\n:undoc-members:\n```\n")
    for member in [*compound.iter("memberdef"), *namespace_members(xml_dir, header)]:
        kind = member.get("kind")
        if kind == "function":
            blocks.append(f"```{{doxygenfunction}} {function_signature(member)}\n:project: kesp\n```\n")
        elif kind in SIMPLE_KINDS:
            name = text_of(member.find("qualifiedname")) or text_of(member.find("name"))
            blocks.append(f"```{{{SIMPLE_KINDS[kind]}}} {name}\n:project: kesp\n```\n")
    return "\n".join(blocks) if blocks else "This header declares nothing of its own.\n"


def expand(app, docname, source):
    """Replace each kesp-header block of a page by the declarations of its header."""
    if "{kesp-header}" not in source[0]:
        return
    xml_dir = Path(app.config.breathe_projects["kesp"])
    source[0] = BLOCK.sub(lambda match: directives(xml_dir, match.group(1)), source[0])


def header_reference(app, env, node, contnode):
    """Resolve Doxygen's links to a header ("inputScan_8h") to the header's label on the reference page."""
    target = node.get("reftarget", "")
    if node.get("refdomain") != "std" or not re.fullmatch(r"\w+_8h(_source)?", target):
        return None
    labels = env.get_domain("std").labels
    found = labels.get(target.lower()) or labels.get(target.lower().replace("_source", ""))
    if found is None:
        return None
    docname, label_id, _ = found
    reference = nodes.reference("", "", internal=True,
                                refuri=app.builder.get_relative_uri(node["refdoc"], docname) + "#" + label_id)
    reference += contnode
    return reference


def setup(app):
    app.connect("source-read", expand)
    app.connect("missing-reference", header_reference)
    return {"parallel_read_safe": True, "parallel_write_safe": True}
