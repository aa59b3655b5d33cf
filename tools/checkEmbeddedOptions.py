#!/usr/bin/python3
"""Checks a build of examples/embedded: KESP's own files are compiled with
its options (-ffp-contract=off and the warnings), the including project's
file without them. Usage: checkEmbeddedOptions.py compile_commands.json"""
import json
import sys

KESP_OPTIONS = ("-ffp-contract=off", "-Wconversion")


def main() -> int:
    with open(sys.argv[1], encoding="utf-8") as file:
        commands = json.load(file)
    faults = []
    for entry in commands:
        own = not entry["file"].endswith("examples/library/protonYields.cpp")
        for option in KESP_OPTIONS:
            if (option in entry["command"]) != own:
                where = "lacks" if own else "was given"
                faults.append(f"{entry['file']} {where} {option}")
    for fault in faults:
        print(f"checkEmbeddedOptions: {fault}", file=sys.stderr)
    if not commands:
        print("checkEmbeddedOptions: no compile commands", file=sys.stderr)
    return 1 if faults or not commands else 0


if __name__ == "__main__":
    sys.exit(main())
