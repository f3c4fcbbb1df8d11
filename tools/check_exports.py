#!/usr/bin/env python3
"""Compare a shared library's exported dynamic symbols with its export list.

usage: check_exports.py LIBRARY EXPORT_LIST
Prints the names missing from the library and the names it exports beyond the list, and
exits 1 when either set is non-empty.
"""
import subprocess
import sys


def main() -> int:
    lib, listing = sys.argv[1], sys.argv[2]
    with open(listing, encoding="ascii") as f:
        expected = {line.strip() for line in f if line.strip()}
    out = subprocess.run(["nm", "-D", "--defined-only", lib], check=True,
                         capture_output=True, text=True).stdout
    actual = set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[1] not in ("A",):
            actual.add(parts[2].split("@")[0])
    missing = sorted(expected - actual)
    extra = sorted(actual - expected)
    for n in missing:
        print(f"missing: {n}")
    for n in extra:
        print(f"extra: {n}")
    print(f"{lib}: {len(expected)} expected, {len(missing)} missing, {len(extra)} extra")
    return 1 if missing or extra else 0


if __name__ == "__main__":
    sys.exit(main())
