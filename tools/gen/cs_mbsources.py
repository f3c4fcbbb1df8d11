#!/usr/bin/env python3
"""Extracts the code lists of the multibyte character sets from the sources installed on this
machine (glibc charmaps, glibc iconv through iconv(3), ICU uconv) and writes them as compact
mapping files into base/data/src/charsets/mb/:

  <NAME>.mb    one line per multibyte code: the code in hex, a space, the Unicode scalar;
               a third field n makes the line stand for n consecutive codes and scalars
  <NAME>.sb    the single-byte page of a host set: byte and Unicode scalar per line
  <NAME>.wide  the encoded full-width form of each Unicode scalar the wide-form table needs

The committed files are what tools/gen/charsets.py reads; rerun this script only to refresh
them (--check compares instead of writing).
"""
import ctypes
import gzip
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cs_sources import charmap_dir, write_outputs  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OUT = os.path.join(ROOT, "base", "data", "src", "charsets", "mb")
LINE = re.compile(r"^<U([0-9A-Fa-f]{4,8})>\s+((?:/x[0-9A-Fa-f]{2})+)")

_libc = ctypes.CDLL(None, use_errno=True)
_libc.iconv_open.restype = ctypes.c_void_p
_libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
_libc.iconv.restype = ctypes.c_size_t
_libc.iconv.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_char_p),
                        ctypes.POINTER(ctypes.c_size_t), ctypes.POINTER(ctypes.c_char_p),
                        ctypes.POINTER(ctypes.c_size_t)]
_libc.iconv_close.argtypes = [ctypes.c_void_p]


class Iconv:
    def __init__(self, to, frm):
        self.cd = _libc.iconv_open(to.encode(), frm.encode())
        if self.cd in (None, ctypes.c_void_p(-1).value):
            raise SystemExit("iconv cannot convert %s to %s" % (frm, to))

    def __call__(self, data):
        """Converts one whole input; None when iconv rejects any of it."""
        _libc.iconv(self.cd, None, None, None, None)  # reset the shift state
        inbuf = ctypes.create_string_buffer(data, len(data))
        outbuf = ctypes.create_string_buffer(64)
        pin = ctypes.c_char_p(ctypes.addressof(inbuf))
        pout = ctypes.c_char_p(ctypes.addressof(outbuf))
        nin = ctypes.c_size_t(len(data))
        nout = ctypes.c_size_t(64)
        r = _libc.iconv(self.cd, ctypes.byref(pin), ctypes.byref(nin), ctypes.byref(pout),
                        ctypes.byref(nout))
        if r == ctypes.c_size_t(-1).value or nin.value:
            return None
        # Flush a trailing shift sequence.
        _libc.iconv(self.cd, None, None, ctypes.byref(pout), ctypes.byref(nout))
        return outbuf.raw[:64 - nout.value]


def decode32(b):
    return None if b is None or len(b) != 4 else int.from_bytes(b, "big")


def charmap_multi(name, keep):
    table = {}
    inside = False
    with gzip.open(os.path.join(charmap_dir(), name + ".gz"), "rt", encoding="latin-1") as f:
        for line in f:
            if line.startswith("CHARMAP"):
                inside = True
            elif line.startswith("END CHARMAP"):
                break
            elif inside:
                m = LINE.match(line)
                if m:
                    seq = bytes(int(x, 16) for x in m.group(2).split("/x")[1:])
                    if len(seq) > 1 and keep(seq):
                        table[int.from_bytes(seq, "big")] = int(m.group(1), 16)
    return table


def iconv_multi(name, leads, trails, wrap=lambda s: s):
    dec = Iconv("UTF-32BE", name)
    table = {}
    for a in leads:
        for b in trails:
            u = decode32(dec(wrap(bytes([a, b]))))
            if u is not None and u >= 0x20:
                table[a * 256 + b] = u
    return table


def iconv_single(name):
    dec = Iconv("UTF-32BE", name)
    return {b: u for b in range(256) if (u := decode32(dec(bytes([b])))) is not None}


def uconv_bulk(name, codes, nbytes):
    """Decodes many codes with one uconv run; lines stay aligned with --callback skip."""
    data = b"".join(c.to_bytes(nbytes, "big") + b"\n" for c in codes)
    r = subprocess.run(["uconv", "-f", name, "-t", "UTF-32BE", "--callback", "skip"],
                       input=data, capture_output=True, check=True).stdout
    lines = []
    cur = b""
    for i in range(0, len(r), 4):
        ch = r[i:i + 4]
        if ch == b"\x00\x00\x00\x0a":
            lines.append(cur)
            cur = b""
        else:
            cur += ch
    assert len(lines) == len(codes), (name, len(lines), len(codes))
    table = {}
    for c, ln in zip(codes, lines):
        if len(ln) == 4:
            table[c] = int.from_bytes(ln, "big")
    return table


def uconv_encode(name, scalars):
    out = {}
    for u in scalars:
        r = subprocess.run(["uconv", "-f", "UTF-32BE", "-t", name, "--callback", "stop"],
                           input=u.to_bytes(4, "big"), capture_output=True)
        if r.returncode == 0 and r.stdout:
            out[u] = int.from_bytes(r.stdout, "big")
    return out


def iconv_encode(name, scalars, unwrap=lambda b: b):
    enc = Iconv(name, "UTF-32BE")
    out = {}
    for u in scalars:
        b = enc(u.to_bytes(4, "big"))
        if b:
            b = unwrap(b)
            if b and len(b) >= 2:
                out[u] = int.from_bytes(b, "big")
    return out


def fullwidth_scalars():
    """Every full-width form a wide-form table can name: U+3000, U+FF01-FF5E, the katakana
    that the half-width forms stand for, and their voiced marks."""
    import unicodedata
    s = {0x3000} | set(range(0xFF01, 0xFF5F))
    for u in range(0xFF61, 0xFFA0):
        n = unicodedata.normalize("NFKC", chr(u))
        if len(n) == 1:
            s.add(ord(n))
    s |= {0x2019, 0x201D, 0x2212, 0x301C, 0xFFE3, 0xFFE5, 0xFFE6, 0x309B, 0x309C}
    return sorted(s)


def strip_shift(b):
    return b[1:-1] if b[:1] == b"\x0e" and b[-1:] == b"\x0f" else None


def host_wrap(s):
    return b"\x0e" + s + b"\x0f"


def build():
    out = {}
    r = range
    euc_jp = charmap_multi("EUC-JP", lambda s: len(s) == 2)
    out["JIS0208.mb"] = {c: u for c, u in euc_jp.items() if c >> 8 != 0x8E}
    out["JISKANA.mb"] = {c: u for c, u in euc_jp.items() if c >> 8 == 0x8E}
    sjis_leads = list(r(0x81, 0xA0)) + list(r(0xE0, 0xFD))
    sjis_trails = list(r(0x40, 0x7F)) + list(r(0x80, 0xFD))
    out["IBM943.mb"] = iconv_multi("IBM943", sjis_leads, sjis_trails)
    host = iconv_multi("IBM930", r(0x40, 0xFF), r(0x40, 0xFF), host_wrap)
    out["HOSTJA.mb"] = host
    out["IBM939.sb"] = iconv_single("IBM939")
    out["IBM930.sb"] = iconv_single("IBM930")
    out["KSC5601.mb"] = charmap_multi("EUC-KR", lambda s: len(s) == 2)
    out["HOSTKO.mb"] = iconv_multi("IBM933", r(0x40, 0xFF), r(0x40, 0xFF), host_wrap)
    out["IBM933.sb"] = iconv_single("IBM933")
    out["GB2312.mb"] = charmap_multi("GB2312", lambda s: len(s) == 2)
    two = [a * 256 + b for a in r(0xA1, 0xFF) for b in r(0xA1, 0xFF)]
    cns = uconv_bulk("ibm-964_P110-1999", two, 2)
    for plane in (0xA1, 0xA2):
        codes = [0x8E000000 | plane << 16 | c for c in two]
        cns.update(uconv_bulk("ibm-964_P110-1999", codes, 4))
    out["CNS11643.mb"] = cns
    big5 = [a * 256 + b for a in r(0x81, 0xFF) for b in list(r(0x40, 0x7F)) + list(r(0xA1, 0xFF))]
    out["BIG5.mb"] = uconv_bulk("ibm-950_P110-1999", big5, 2)
    fw = fullwidth_scalars()
    out["IBM943.wide"] = iconv_encode("IBM943", fw)
    out["EUCJP.wide"] = iconv_encode("EUC-JP", fw)
    out["HOSTJA.wide"] = iconv_encode("IBM930", fw, strip_shift)
    out["HOSTKO.wide"] = iconv_encode("IBM933", fw, strip_shift)
    out["KSC5601.wide"] = iconv_encode("EUC-KR", fw)
    out["GB2312.wide"] = iconv_encode("EUC-CN", fw)
    out["CNS11643.wide"] = uconv_encode("ibm-964_P110-1999", fw)
    out["BIG5.wide"] = uconv_encode("ibm-950_P110-1999", fw)
    return out


ORIGIN = {
    "JIS0208.mb": "glibc charmap EUC-JP, two-byte JIS X 0208 codes",
    "JISKANA.mb": "glibc charmap EUC-JP, half-width katakana behind 8E",
    "IBM943.mb": "glibc iconv IBM943, two-byte codes",
    "HOSTJA.mb": "glibc iconv IBM930, double-byte codes",
    "HOSTKO.mb": "glibc iconv IBM933, double-byte codes",
    "KSC5601.mb": "glibc charmap EUC-KR",
    "GB2312.mb": "glibc charmap GB2312",
    "CNS11643.mb": "ICU ibm-964_P110-1999, plane 1 in two bytes and planes 1-2 behind 8E",
    "BIG5.mb": "ICU ibm-950_P110-1999",
    "IBM939.sb": "glibc iconv IBM939, single bytes",
    "IBM930.sb": "glibc iconv IBM930, single bytes",
    "IBM933.sb": "glibc iconv IBM933, single bytes",
    "IBM943.wide": "glibc iconv IBM943, encoded full-width forms",
    "EUCJP.wide": "glibc iconv EUC-JP, encoded full-width forms",
    "HOSTJA.wide": "glibc iconv IBM930, encoded full-width forms",
    "HOSTKO.wide": "glibc iconv IBM933, encoded full-width forms",
    "KSC5601.wide": "glibc iconv EUC-KR, encoded full-width forms",
    "GB2312.wide": "glibc iconv EUC-CN, encoded full-width forms",
    "CNS11643.wide": "ICU ibm-964_P110-1999, encoded full-width forms",
    "BIG5.wide": "ICU ibm-950_P110-1999, encoded full-width forms",
}


def render(name, table):
    return ("# %s: %s; extracted by tools/gen/cs_mbsources.py, do not edit\n" %
            (name, ORIGIN[name])) + render_body(name, table)


def render_body(name, table):
    if name.endswith(".wide"):
        return "".join("%04X %X\n" % (u, table[u]) for u in sorted(table))
    if name.endswith(".sb"):
        return "".join("%02X %04X\n" % (b, table[b]) for b in sorted(table))
    # Runs of consecutive codes with consecutive scalars are one line: code, scalar, count.
    lines = []
    codes = sorted(table)
    i = 0
    while i < len(codes):
        j = i
        while (j + 1 < len(codes) and codes[j + 1] == codes[j] + 1 and
               table[codes[j + 1]] == table[codes[j]] + 1):
            j += 1
        if j > i:
            lines.append("%X %04X %d\n" % (codes[i], table[codes[i]], j - i + 1))
        else:
            lines.append("%X %04X\n" % (codes[i], table[codes[i]]))
        i = j + 1
    return "".join(lines)


def main():
    files = {name: render(name, table) for name, table in build().items()}
    return write_outputs(OUT, files, "--check" in sys.argv)


if __name__ == "__main__":
    sys.exit(main())
