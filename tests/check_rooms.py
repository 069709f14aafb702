"""Checks the house rules that the compiler cannot: a room includes only the rooms below it (the
order of docs/ARCHITECTURE.md), the test doubles are used only by tests, benchmarks and tools, no
program source file is over 500 lines, and no room holds more than a quarter of the program's lines."""

import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# Each room and the rooms it may include.
BELOW = {
    "model": set(), "art": set(), "startup": set(),
    "settings": set(),
    "platform": {"settings", "model"},
    "forms": {"platform", "settings", "model"},
    "shaped": {"forms", "platform", "settings", "model"},
}
BELOW["caliper"] = BELOW["shaped"] | {"shaped", "art"}
BELOW["magnifier"] = BELOW["shaped"] | {"art"}
BELOW["foldingrule"] = BELOW["shaped"] | {"shaped", "art"}
BELOW["panel"] = BELOW["caliper"] | {"caliper", "magnifier", "foldingrule", "startup"}
BELOW["app"] = BELOW["panel"] | {"panel"}
BELOW["tools"] = BELOW["app"]
MAY_USE_FAKES = {"tools", "tests", "bench"}
MAX_FILE_LINES = 500
MAX_ROOM_SHARE = 0.25

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
# Lines that are not counted: blank lines, comments and preprocessor lines.
CODE_LINE = re.compile(r"^\s*((//|#).*)?$")


def sources(room):
    for folder, _, files in os.walk(os.path.join(ROOT, room)):
        for name in files:
            if name.endswith((".cpp", ".h")):
                yield os.path.join(folder, name)


def main():
    faults = []
    lines = {}
    for room in BELOW:
        lines[room] = 0
        for path in sources(room):
            rel = os.path.relpath(path, ROOT)
            with open(path, encoding="utf-8") as f:
                text = f.read()
            total = text.count("\n")
            if total > MAX_FILE_LINES:
                faults.append(f"{rel}: {total} lines, more than {MAX_FILE_LINES}")
            fake = rel.startswith("platform/fake/")
            if not fake:
                lines[room] += sum(1 for line in text.splitlines() if not CODE_LINE.match(line))
            for included in INCLUDE.findall(text):
                top = included.split("/")[0]
                if included.startswith("platform/fake/"):
                    if not fake and room not in MAY_USE_FAKES:
                        faults.append(f"{rel}: includes the test double {included}")
                elif top != room and top in BELOW and top not in BELOW[room]:
                    faults.append(f"{rel}: {room}/ may not include {included}")
    everything = sum(lines.values())
    for room, count in lines.items():
        if count > MAX_ROOM_SHARE * everything:
            faults.append(f"{room}/ holds {count} of the program's {everything} lines, over a quarter")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
