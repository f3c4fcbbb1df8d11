#!/usr/bin/env python3
"""Extracts the byte-to-Unicode tables of the single-byte character sets from the code-page
sources installed on this machine (glibc charmaps, ICU uconv, Python codecs) and writes them,
with the corrections each set needs, as compact mapping files into base/data/src/charsets/.

Each output file <NAME>.map starts with a comment line naming its source and holds one line
per defined byte: two hex digits, a space and the Unicode scalar in hex. Bytes without a line
have no character. The files are committed, so
tools/gen/charsets.py never needs the sources; rerun this script only to refresh them.

usage: tools/gen/cs_sources.py [--check]   (--check compares instead of writing)
"""
import gzip
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OUT = os.path.join(ROOT, "base", "data", "src", "charsets")


def charmap_dir():
    out = subprocess.run(["localedef", "--help"], capture_output=True, text=True).stdout
    m = re.search(r"character maps\s*:\s*(\S+)", out)
    return m.group(1) if m else "/usr/share/i18n/charmaps"


LINE = re.compile(r"^<U([0-9A-Fa-f]{4,8})>\s+((?:/x[0-9A-Fa-f]{2})+)")


def from_charmap(name):
    path = os.path.join(charmap_dir(), name + ".gz")
    table = {}
    inside = False
    with gzip.open(path, "rt", encoding="latin-1") as f:
        for line in f:
            if line.startswith("CHARMAP"):
                inside = True
                continue
            if line.startswith("END CHARMAP"):
                break
            if not inside:
                continue
            m = LINE.match(line)
            if not m:
                continue
            seq = [int(x, 16) for x in m.group(2).split("/x")[1:]]
            if len(seq) == 1:
                table[seq[0]] = int(m.group(1), 16)
    return table


def from_icu(name):
    table = {}
    for b in range(256):
        r = subprocess.run(["uconv", "-f", name, "-t", "UTF-32BE", "--callback", "stop"],
                           input=bytes([b]), capture_output=True)
        if r.returncode == 0 and len(r.stdout) == 4:
            table[b] = int.from_bytes(r.stdout, "big")
    return table


def from_python(codec):
    table = {}
    for b in range(256):
        try:
            s = bytes([b]).decode(codec)
        except UnicodeDecodeError:
            continue
        if len(s) == 1:
            table[b] = ord(s)
    return table


def ascii7(changes):
    """A 7-bit national variant: ASCII with the given byte -> character replacements."""
    t = {b: b for b in range(128)}
    for b, ch in changes.items():
        t[b] = ord(ch)
    return t


def patch(table, changes):
    t = dict(table)
    for b, u in changes.items():
        if u is None:
            t.pop(b, None)
        else:
            t[b] = u if isinstance(u, int) else ord(u)
    return t


def ascii_half(table):
    """ASCII-based 8-bit pages keep the ASCII characters at their bytes, whatever a source
    does with the controls at 1A/1C/7F."""
    t = dict(table)
    for b in range(128):
        t[b] = b
    return t


def build():
    cm, icu, py = from_charmap, from_icu, from_python
    dec_mcs = cm("DEC-MCS")
    sets = {}
    sets["WE8DEC"] = ascii_half(dec_mcs)
    sets["WE8HP"] = ascii_half(cm("HP-ROMAN8"))
    sets["US8PC437"] = ascii_half(cm("IBM437"))
    sets["WE8EBCDIC37"] = cm("IBM037")
    sets["WE8EBCDIC500"] = cm("IBM500")
    sets["WE8PC850"] = ascii_half(cm("IBM850"))
    sets["D7DEC"] = cm("DIN_66003")
    sets["F7DEC"] = cm("NF_Z_62-010_1973")
    # DEC's Swedish and Finnish replacement sets keep "$" (and the Finnish one "@").
    sets["S7DEC"] = patch(cm("SEN_850200_C"), {0x24: "$"})
    sets["E7DEC"] = cm("ES")
    sets["SF7ASCII"] = cm("SEN_850200_B")
    sets["NDK7DEC"] = patch(cm("NS_4551-1"), {0x40: "Ä", 0x5E: "Ü", 0x60: "ä", 0x7E: "ü"})
    sets["I7DEC"] = cm("IT")
    sets["NL7DEC"] = ascii7({0x23: "£", 0x40: "¾", 0x5B: "\u0133", 0x5C: "½", 0x5D: "|",
                             0x7B: "¨", 0x7C: "\u0192", 0x7D: "¼", 0x7E: "´"})
    sets["CH7DEC"] = ascii7({0x23: "ù", 0x40: "à", 0x5B: "é", 0x5C: "ç", 0x5D: "ê", 0x5E: "î",
                             0x5F: "è", 0x60: "ô", 0x7B: "ä", 0x7C: "ö", 0x7D: "ü", 0x7E: "û"})
    sets["SF7DEC"] = patch(cm("SEN_850200_C"), {0x24: "$", 0x40: "@"})
    sets["TR7DEC"] = ascii7({0x26: "ğ", 0x40: "İ", 0x5B: "Ş", 0x5C: "Ö", 0x5D: "Ç", 0x5E: "Ü",
                             0x60: "Ğ", 0x7B: "ş", 0x7C: "ö", 0x7D: "ç", 0x7E: "ü"})
    for n, src in (("WE8ISO8859P1", "ISO-8859-1"), ("EE8ISO8859P2", "ISO-8859-2"),
                   ("SE8ISO8859P3", "ISO-8859-3"), ("NEE8ISO8859P4", "ISO-8859-4"),
                   ("CL8ISO8859P5", "ISO-8859-5"), ("AR8ISO8859P6", "ISO-8859-6"),
                   ("WE8ISO8859P9", "ISO-8859-9"), ("NE8ISO8859P10", "ISO-8859-10"),
                   ("TH8TISASCII", "TIS-620")):
        sets[n] = ascii_half(cm(src))
    # The 1987 Greek and 1988 Hebrew editions: without the euro, drachma, ypogegrammeni and
    # the two direction marks that later editions added.
    sets["EL8ISO8859P7"] = ascii_half(patch(cm("ISO-8859-7"), {0xA4: None, 0xA5: None, 0xAA: None}))
    sets["IW8ISO8859P8"] = ascii_half(patch(cm("ISO-8859-8"), {0xFD: None, 0xFE: None}))
    sets["TH8TISEBCDIC"] = icu("ibm-838_P100-1995")
    asmo708 = sets["AR8ISO8859P6"]
    sets["AR8EBCDICX"] = cm("IBM420")
    sets["EL8DEC"] = ascii_half(el8dec(dec_mcs))
    sets["TR8DEC"] = ascii_half(patch(dec_mcs, {0xA8: "¨", 0xAE: "İ", 0xBE: "ı", 0xD0: "Ğ",
                                                0xDE: "Ş", 0xF0: "ğ", 0xFE: "ş"}))
    sets["WE8EBCDIC37C"] = sets["WE8EBCDIC37"]
    sets["WE8EBCDIC500C"] = sets["WE8EBCDIC500"]
    sets["RU8PC855"] = ascii_half(cm("IBM855"))
    # Mac Roman before the 1998 euro change, with the Apple logo and increment as the
    # other sources give them.
    mac = ascii_half(patch(cm("MACINTOSH"), {0xDB: 0xA4, 0xF0: 0xF8FF, 0xC6: 0x2206}))
    sets["WE8MACROMAN8"] = mac
    sets["WE8MACROMAN8S"] = mac
    sets["TR8ISO8859P9"] = sets["WE8ISO8859P9"]
    sets["EEC8EUROPA3"] = sets["WE8ISO8859P1"]
    sets["EE8PC852"] = ascii_half(cm("IBM852"))
    sets["RU8PC866"] = ascii_half(cm("IBM866"))
    sets["RU8BESTA"] = sets["CL8ISO8859P5"]
    sets["TR8PC857"] = ascii_half(cm("IBM857"))
    cp1251 = ascii_half(patch(cm("CP1251"), {0x88: None}))
    sets["CL8MSWINDOW31"] = cp1251
    sets["CL8MSWIN1251"] = cp1251
    sets["WE8PC860"] = ascii_half(cm("IBM860"))
    sets["IS8PC861"] = ascii_half(cm("IBM861"))
    sets["EE8MSWIN1250"] = ascii_half(patch(cm("CP1250"), {0x80: None}))
    sets["D8EBCDIC273"] = cm("IBM273")
    sets["I8EBCDIC280"] = cm("IBM280")
    sets["DK8EBCDIC277"] = cm("IBM277")
    sets["S8EBCDIC278"] = icu("ibm-278_P100-1995")
    sets["EE8EBCDIC870"] = icu("ibm-870_P100-1995")
    sets["N8PC865"] = ascii_half(cm("IBM865"))
    sets["HU8CWI2"] = ascii_half(cm("CWI"))
    sets["EL8PC437S"] = ascii_half(cm("CP737"))
    sets["EL8EBCDIC875"] = icu("ibm-875_P100-1995")
    sets["LT8PC772"] = ascii_half(cm("CP772"))
    sets["LT8PC774"] = ascii_half(cm("CP774"))
    sets["CDN8PC863"] = ascii_half(cm("IBM863"))
    cp720 = ascii_half(icu("ibm-720_P100-1997"))
    sets["AR8ADOS720"] = cp720
    sets["AR8ADOS720T"] = cp720
    sets["AR8MSAWIN"] = ascii_half(patch(cm("CP1256"), {b: None for b in
                                   (0x80, 0x8A, 0x8F, 0x98, 0x9A, 0x9F, 0xAA, 0xC0, 0xFF)}))
    macar = ascii_half(py("mac_arabic"))
    sets["AR8ARABICMAC"] = macar
    sets["AR8ARABICMACS"] = macar
    # The DOS and vendor Arabic pages without a published table take the ASMO 708 layout
    # of their script.
    for n in ("AR8ADOS710", "AR8NAFITHA711", "AR8SAKHR707", "AR8MUSSAD768",
              "AR8APTEC715", "AR8NAFITHA721", "AR8SAKHR706"):
        sets[n] = asmo708
    glyphs = asmo8x(asmo708)
    sets["AR8ASMO8X"] = glyphs
    # The shaping sets with ligatures hold the four isolated lam-alef ligatures at the bytes
    # where their glyph set has them.
    plus = dict(asmo708)
    for b, u in glyphs.items():
        if u in LAM_ALEF:
            plus[b] = u
    sets["AR8ASMO708PLUS"] = plus
    sets["AR8ADOS710T"] = plus
    sets["AR7ASMO449PLUS"] = cm("ASMO_449")
    return sets


# Isolated lam-alef ligatures: with madda, hamza above, hamza below, plain.
LAM_ALEF = (0xFEF5, 0xFEF7, 0xFEF9, 0xFEFB)

# Shaped glyphs of the Arabic glyph set beyond the ASMO 708 letters (which serve as the
# isolated forms): the initial, medial and final forms of the Arabic EBCDIC page, and the
# lam-alef ligatures in isolated and final form.
GLYPH_FORMS = (
    0xFE7D, 0xFE82, 0xFE84, 0xFE8E, 0xFE91, 0xFE97, 0xFE9B, 0xFE9F, 0xFEA3, 0xFEA7, 0xFEB3,
    0xFEB7, 0xFEBB, 0xFEBF, 0xFECA, 0xFECB, 0xFECC, 0xFECE, 0xFECF, 0xFED0, 0xFED3, 0xFED7,
    0xFEDB, 0xFEDF, 0xFEE3, 0xFEE7, 0xFEEB, 0xFEEC, 0xFEF0, 0xFEF2, 0xFEF3, 0xFEF5, 0xFEF6,
    0xFEF7, 0xFEF8, 0xFEF9, 0xFEFA, 0xFEFB, 0xFEFC)


def asmo8x(asmo708):
    """The Arabic glyph set: ASMO 708 with the shaped forms in the positions it leaves free."""
    t = dict(asmo708)
    free = [b for b in range(0xA0, 0x100) if b not in t]
    assert len(free) >= len(GLYPH_FORMS)
    for b, u in zip(free, GLYPH_FORMS):
        t[b] = u
    return t


def el8dec(dec_mcs):
    t = {b: u for b, u in dec_mcs.items() if b < 0xC0}
    t[0xC0] = 0x03CA
    for i, b in enumerate(range(0xC1, 0xD0)):
        t[b] = 0x0391 + i
    for i, u in enumerate((0x03A0, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03A6, 0x03A7, 0x03A8, 0x03A9)):
        t[0xD1 + i] = u
    t.update({0xDA: 0x03AC, 0xDB: 0x03AD, 0xDC: 0x03AE, 0xDD: 0x03AF, 0xDF: 0x03CC, 0xE0: 0x03CB})
    for i, b in enumerate(range(0xE1, 0xF0)):
        t[b] = 0x03B1 + i
    for i, u in enumerate((0x03C0, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03C6, 0x03C7, 0x03C8, 0x03C9)):
        t[0xF1 + i] = u
    t.update({0xFA: 0x03C2, 0xFB: 0x03CD, 0xFC: 0x03CE, 0xFD: 0x0384})
    return t


# Where each mapping file comes from, written as its first line.
ORIGIN = {
    "WE8DEC": "glibc charmap DEC-MCS", "WE8HP": "glibc charmap HP-ROMAN8",
    "US8PC437": "glibc charmap IBM437", "WE8EBCDIC37": "glibc charmap IBM037",
    "WE8EBCDIC500": "glibc charmap IBM500", "WE8PC850": "glibc charmap IBM850",
    "D7DEC": "glibc charmap DIN_66003", "F7DEC": "glibc charmap NF_Z_62-010_1973",
    "S7DEC": "glibc charmap SEN_850200_C with 24 as the dollar sign (DEC Swedish)",
    "E7DEC": "glibc charmap ES", "SF7ASCII": "glibc charmap SEN_850200_B",
    "NDK7DEC": "glibc charmap NS_4551-1 with 40, 5E, 60, 7E as in DEC Norwegian/Danish",
    "I7DEC": "glibc charmap IT", "NL7DEC": "DEC Dutch replacement set",
    "CH7DEC": "DEC Swiss replacement set",
    "SF7DEC": "glibc charmap SEN_850200_C with 24 and 40 as in ASCII (DEC Finnish)",
    "TR7DEC": "DEC Turkish 7-bit set",
    "WE8ISO8859P1": "glibc charmap ISO-8859-1", "EE8ISO8859P2": "glibc charmap ISO-8859-2",
    "SE8ISO8859P3": "glibc charmap ISO-8859-3", "NEE8ISO8859P4": "glibc charmap ISO-8859-4",
    "CL8ISO8859P5": "glibc charmap ISO-8859-5", "AR8ISO8859P6": "glibc charmap ISO-8859-6",
    "EL8ISO8859P7": "glibc charmap ISO-8859-7 without A4, A5, AA (1987 edition)",
    "IW8ISO8859P8": "glibc charmap ISO-8859-8 without FD, FE (1988 edition)",
    "WE8ISO8859P9": "glibc charmap ISO-8859-9", "NE8ISO8859P10": "glibc charmap ISO-8859-10",
    "TH8TISASCII": "glibc charmap TIS-620", "TH8TISEBCDIC": "ICU ibm-838_P100-1995",
    "AR8ASMO708PLUS": "glibc charmap ISO-8859-6 with the isolated lam-alef ligatures",
    "AR7ASMO449PLUS": "glibc charmap ASMO_449", "AR8EBCDICX": "glibc charmap IBM420",
    "EL8DEC": "DEC-MCS with the DEC Greek supplemental set in C0-FF",
    "TR8DEC": "DEC-MCS with the DEC Turkish supplemental positions",
    "WE8EBCDIC37C": "glibc charmap IBM037", "WE8EBCDIC500C": "glibc charmap IBM500",
    "RU8PC855": "glibc charmap IBM855",
    "WE8MACROMAN8": "glibc charmap MACINTOSH with DB as the currency sign (before 1998), "
                    "F0 U+F8FF, C6 U+2206",
    "WE8MACROMAN8S": "as WE8MACROMAN8", "TR8ISO8859P9": "glibc charmap ISO-8859-9",
    "AR8ASMO8X": "glibc charmap ISO-8859-6 with shaped glyphs in the free positions",
    "EEC8EUROPA3": "no published table: ISO-8859-1", "EE8PC852": "glibc charmap IBM852",
    "RU8PC866": "glibc charmap IBM866", "RU8BESTA": "no published table: ISO-8859-5",
    "TR8PC857": "glibc charmap IBM857", "CL8MSWINDOW31": "glibc charmap CP1251 without 88",
    "WE8PC860": "glibc charmap IBM860", "IS8PC861": "glibc charmap IBM861",
    "EE8MSWIN1250": "glibc charmap CP1250 without 80", "CL8MSWIN1251": "glibc charmap CP1251 without 88",
    "D8EBCDIC273": "glibc charmap IBM273", "I8EBCDIC280": "glibc charmap IBM280",
    "DK8EBCDIC277": "glibc charmap IBM277", "S8EBCDIC278": "ICU ibm-278_P100-1995",
    "EE8EBCDIC870": "ICU ibm-870_P100-1995", "N8PC865": "glibc charmap IBM865",
    "HU8CWI2": "glibc charmap CWI", "EL8PC437S": "glibc charmap CP737",
    "EL8EBCDIC875": "ICU ibm-875_P100-1995", "LT8PC772": "glibc charmap CP772",
    "LT8PC774": "glibc charmap CP774", "CDN8PC863": "glibc charmap IBM863",
    "AR8ADOS710T": "as AR8ASMO708PLUS (no published table)",
    "AR8ADOS720T": "ICU ibm-720_P100-1997", "AR8ADOS720": "ICU ibm-720_P100-1997",
    "AR8MSAWIN": "glibc charmap CP1256 without the 1998 additions",
    "AR8ARABICMAC": "Python codec mac_arabic", "AR8ARABICMACS": "Python codec mac_arabic",
}
for _n in ("AR8ADOS710", "AR8NAFITHA711", "AR8SAKHR707", "AR8MUSSAD768", "AR8APTEC715",
           "AR8NAFITHA721", "AR8SAKHR706"):
    ORIGIN[_n] = "no published table: ISO-8859-6 (ASMO 708)"


def render(name, table):
    head = "# %s: %s; extracted by tools/gen/cs_sources.py, do not edit\n" % (name, ORIGIN[name])
    return head + "".join("%02X %04X\n" % (b, table[b]) for b in sorted(table))


def write_outputs(outdir, files, check):
    """Writes {file name: text} into outdir, or with check compares and lists the files that
    differ. Returns 1 when a file differs."""
    bad = 0
    os.makedirs(outdir, exist_ok=True)
    for name in sorted(files):
        path = os.path.join(outdir, name)
        if check:
            old = open(path, encoding="utf-8").read() if os.path.exists(path) else None
            if old != files[name]:
                print("differs:", name)
                bad = 1
        else:
            with open(path, "w", encoding="utf-8") as f:
                f.write(files[name])
    return bad


def main():
    sets = build()
    files = {name + ".map": render(name, table) for name, table in sets.items()}
    return write_outputs(OUT, files, "--check" in sys.argv)


if __name__ == "__main__":
    sys.exit(main())
