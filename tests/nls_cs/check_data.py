#!/usr/bin/env python3
"""Checks of the character-set source data that need Unicode's character database:
the classes of the internal code agree with the characters' general categories, the fixed
codes hold their characters, and the generated sources are what the generator makes of the
committed inputs. When the code-page sources are installed, the committed mapping files are
also checked against them.

usage: check_data.py SOURCE_DIR
"""
import os
import shutil
import subprocess
import sys
import unicodedata

ROOT = sys.argv[1]
GEN = os.path.join(ROOT, "tools", "gen")
failures = []


def fail(msg):
    failures.append(msg)
    print("FAIL:", msg)


def expected_class(code, u):
    """Class flags that a character's general category calls for."""
    if code < 128:
        return None  # the POSIX classes, checked by the unit tests
    cat = unicodedata.category(chr(u))
    if code == 159:
        return 0x28
    if cat in ("Lu", "Lt"):
        return 0x01
    if cat == "Ll":
        return 0x02
    if code < 300:  # the symbol range: everything but the controls is punctuation
        return 0 if cat == "Cc" else 0x10
    if cat[0] in "PS" or cat in ("No", "Zs"):
        return 0x10
    return 0  # letters without case, marks, digits of other scripts, format characters


rows = {}
with open(os.path.join(ROOT, "base", "data", "src", "internal-code.tsv"), encoding="utf-8") as f:
    for line in f:
        if line.startswith("#") or not line.strip():
            continue
        col = line.rstrip("\n").split("\t")
        rows[int(col[0])] = (int(col[1][2:], 16), int(col[2], 16), col[3], col[4])

for code, (u, cls, similar, name) in sorted(rows.items()):
    want = expected_class(code, u)
    if want is not None and cls != want:
        fail("code %d U+%04X %s: class %02X, category %s wants %02X" %
             (code, u, name, cls, unicodedata.category(chr(u)), want))
    if code < 128 and u != code:
        fail("code %d is not ASCII" % code)
    if name and unicodedata.name(chr(u), "") not in ("", name):
        fail("code %d: name %s is not that of U+%04X" % (code, name, u))
    if similar != "-" and not 0x20 <= int(similar) < 0x7F:
        fail("code %d: similar character %s is not printable ASCII" % (code, similar))

anchors = {300: "À", 304: "Ä", 340: "Ĳ", 357: "Ö", 377: "Ü", 400: "à", 404: "ä", 440: "ĳ",
           457: "ö", 477: "ü", 492: "ß"}
for code, ch in anchors.items():
    if rows.get(code, (None,))[0] != ord(ch):
        fail("code %d is not %s" % (code, ch))
# A lower-case Latin letter sits at its upper-case partner plus 100.
for code in range(300, 400):
    if code in rows and code + 100 in rows:
        u, lo = rows[code][0], rows[code + 100][0]
        if chr(u).lower() != chr(lo) and not (u == 0x130):
            fail("codes %d and %d are not case partners" % (code, code + 100))
for code in range(128, 1000):
    if code in rows and code > 926:
        fail("code %d beyond the assigned range" % code)
if sum(1 for c in rows if c >= 128 and rows[c][2] != "-") != 48:
    fail("the similar characters are not exactly 48")

# The generated sources are what the generator makes of the committed inputs.
r = subprocess.run([sys.executable, os.path.join(GEN, "charsets.py"), "--check"],
                   capture_output=True, text=True)
if r.returncode:
    fail("generated tables differ from tools/gen/charsets.py output:\n" + r.stdout + r.stderr)

# The committed mapping files against the installed sources, where they are installed.
have_sources = (shutil.which("localedef") and shutil.which("uconv") and
                os.path.isdir("/usr/share/i18n/charmaps"))
if have_sources:
    for script in ("cs_sources.py", "cs_mbsources.py"):
        r = subprocess.run([sys.executable, os.path.join(GEN, script), "--check"],
                           capture_output=True, text=True)
        if r.returncode:
            fail("%s: committed files differ from the sources:\n%s%s" % (script, r.stdout, r.stderr))
else:
    print("code-page sources not installed: mapping files not rechecked")

print("%d codes checked, %d failures" % (len(rows), len(failures)))
sys.exit(1 if failures else 0)
