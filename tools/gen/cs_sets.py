"""The list of the built-in character sets: number order, names, ids and the fields that
follow from each set's group; and the small readers the generators share."""

# (name, id) in number order.
SETS = [
    ("US7ASCII", 1), ("WE8DEC", 2), ("WE8HP", 3), ("US8PC437", 4), ("WE8EBCDIC37", 5),
    ("WE8EBCDIC500", 6), ("WE8PC850", 10), ("D7DEC", 11), ("F7DEC", 12), ("S7DEC", 13),
    ("E7DEC", 14), ("SF7ASCII", 15), ("NDK7DEC", 16), ("I7DEC", 17), ("NL7DEC", 18),
    ("CH7DEC", 19), ("SF7DEC", 21), ("TR7DEC", 22), ("WE8ISO8859P1", 31),
    ("EE8ISO8859P2", 32), ("SE8ISO8859P3", 33), ("NEE8ISO8859P4", 34), ("CL8ISO8859P5", 35),
    ("AR8ISO8859P6", 36), ("EL8ISO8859P7", 37), ("IW8ISO8859P8", 38), ("WE8ISO8859P9", 39),
    ("NE8ISO8859P10", 40), ("TH8TISASCII", 41), ("TH8TISEBCDIC", 42), ("AR8ASMO708PLUS", 61),
    ("AR7ASMO449PLUS", 62), ("AR8EBCDICX", 70), ("EL8DEC", 81), ("TR8DEC", 82),
    ("WE8EBCDIC37C", 90), ("WE8EBCDIC500C", 91), ("RU8PC855", 155), ("WE8MACROMAN8", 351),
    ("WE8MACROMAN8S", 352), ("TR8ISO8859P9", 370), ("AR8ASMO8X", 500), ("JA16VMS", 829),
    ("JA16EUC", 830), ("JA16SJIS", 832), ("JA16DBCS", 833), ("JA16EBCDIC930", 835),
    ("KO16KSC5601", 840), ("KO16DBCS", 842), ("ZHS16CGB231280", 850), ("ZHT32EUC", 860),
    ("ZHT32CNS1164386", 860), ("ZHT32SOPS", 861), ("ZHT16DBT", 862), ("ZHT32TRIS", 863),
    ("ZHT16BIG5", 865), ("JA16TSTSET2", 997), ("JA16TSTSET", 998), ("EEC8EUROPA3", 113),
    ("EE8PC852", 150), ("RU8PC866", 152), ("RU8BESTA", 153), ("TR8PC857", 156),
    ("CL8MSWINDOW31", 157), ("WE8PC860", 160), ("IS8PC861", 161), ("EE8MSWIN1250", 170),
    ("CL8MSWIN1251", 171), ("D8EBCDIC273", 180), ("I8EBCDIC280", 181), ("DK8EBCDIC277", 182),
    ("S8EBCDIC278", 183), ("EE8EBCDIC870", 184), ("N8PC865", 190), ("HU8CWI2", 368),
    ("EL8PC437S", 380), ("EL8EBCDIC875", 381), ("LT8PC772", 383), ("LT8PC774", 384),
    ("CDN8PC863", 390), ("AR8ADOS710T", 507), ("AR8ADOS720T", 508), ("AR8NAFITHA711", 554),
    ("AR8SAKHR707", 555), ("AR8MUSSAD768", 556), ("AR8ADOS710", 557), ("AR8ADOS720", 558),
    ("AR8APTEC715", 559), ("AR8MSAWIN", 560), ("AR8NAFITHA721", 561), ("AR8SAKHR706", 563),
    ("AR8ARABICMAC", 565), ("AR8ARABICMACS", 566),
]
assert len(SETS) == 93

NUMBER = {name: i for i, (name, _) in enumerate(SETS)}

EBCDIC = {"WE8EBCDIC37", "WE8EBCDIC500", "WE8EBCDIC37C", "WE8EBCDIC500C", "D8EBCDIC273",
          "I8EBCDIC280", "DK8EBCDIC277", "S8EBCDIC278", "EE8EBCDIC870", "AR8EBCDICX",
          "EL8EBCDIC875", "TH8TISEBCDIC"}

SEVEN_BIT = {"US7ASCII", "D7DEC", "F7DEC", "S7DEC", "E7DEC", "SF7ASCII", "NDK7DEC", "I7DEC",
             "NL7DEC", "CH7DEC", "SF7DEC", "TR7DEC", "AR7ASMO449PLUS"}

# Arabic shaping sets: (glyph set number, Arabic flags).
SHAPING = {"AR8ASMO708PLUS": (NUMBER["AR8ASMO8X"], 0x02),
           "AR8ADOS710T": (NUMBER["AR8ASMO8X"], 0x02),
           "AR8ADOS720T": (NUMBER["AR8ASMO8X"], 0x00),
           "AR7ASMO449PLUS": (NUMBER["AR8ISO8859P6"], 0x01)}

# Multibyte sets: (max bytes, flags, wide range or None, shift bytes or None).
MULTI = {
    "JA16VMS": (2, 0x0C, (0x20, 0x7F), None),
    "JA16EUC": (2, 0x0C, (0x20, 0x7F), None),
    "KO16KSC5601": (2, 0x0C, (0x20, 0x7F), None),
    "ZHS16CGB231280": (2, 0x0C, (0x20, 0x7F), None),
    "ZHT32EUC": (4, 0x0C, (0x20, 0x7F), None),
    "ZHT32CNS1164386": (4, 0x0C, (0x20, 0x7F), None),
    "ZHT32TRIS": (4, 0x0C, (0x20, 0x7F), None),
    "ZHT32SOPS": (4, 0x08, (0x20, 0x7F), None),
    "JA16SJIS": (2, 0x08, (0x20, 0x7F), None),
    "ZHT16BIG5": (2, 0x08, (0x20, 0x7F), None),
    "ZHT16DBT": (2, 0x08, None, None),
    "JA16TSTSET2": (2, 0x08, (0x20, 0x7E), None),
    "JA16TSTSET": (2, 0x0A, (0x20, 0x7F), (0x0F, 0x0E)),
    "JA16DBCS": (2, 0x02, (0x40, 0xFF), (0x0F, 0x0E)),
    "JA16EBCDIC930": (2, 0x02, (0x40, 0xFF), (0x0F, 0x0E)),
    "KO16DBCS": (2, 0x02, (0x40, 0xFF), (0x0F, 0x0E)),
}

_BASE = {
    31: ["US7ASCII", "WE8DEC", "WE8HP", "US8PC437", "WE8PC850", "D7DEC", "F7DEC", "S7DEC",
         "E7DEC", "SF7ASCII", "NDK7DEC", "I7DEC", "NL7DEC", "CH7DEC", "SF7DEC",
         "WE8ISO8859P1", "NE8ISO8859P10", "WE8MACROMAN8", "WE8MACROMAN8S", "EEC8EUROPA3",
         "WE8PC860", "IS8PC861", "N8PC865", "CDN8PC863", "WE8EBCDIC37", "WE8EBCDIC500",
         "WE8EBCDIC37C", "WE8EBCDIC500C", "D8EBCDIC273", "I8EBCDIC280", "DK8EBCDIC277",
         "S8EBCDIC278", "EE8EBCDIC870"],
    32: ["EE8ISO8859P2", "EE8PC852", "EE8MSWIN1250", "HU8CWI2"],
    33: ["SE8ISO8859P3"],
    34: ["NEE8ISO8859P4", "LT8PC772", "LT8PC774"],
    35: ["CL8ISO8859P5", "RU8PC855", "RU8PC866", "RU8BESTA", "CL8MSWINDOW31", "CL8MSWIN1251"],
    37: ["EL8ISO8859P7", "EL8DEC", "EL8PC437S", "EL8EBCDIC875"],
    38: ["IW8ISO8859P8"],
    39: ["TR7DEC", "WE8ISO8859P9", "TR8DEC", "TR8ISO8859P9", "TR8PC857"],
    41: ["TH8TISASCII", "TH8TISEBCDIC"],
}
BASE_ID = {n: b for b, names in _BASE.items() for n in names}
for _n, _ in SETS:
    if _n.startswith("AR"):
        BASE_ID[_n] = 36

_REPL = {
    0xBF: ["WE8DEC", "WE8ISO8859P1", "EL8DEC", "TR8DEC"],
    0xFC: ["WE8HP"],
    0xFE: ["US8PC437", "WE8PC850", "EE8PC852", "TR8PC857", "WE8PC860", "IS8PC861", "N8PC865",
           "HU8CWI2", "EL8PC437S", "LT8PC774", "CDN8PC863"],
    0xAB: ["WE8EBCDIC37", "WE8EBCDIC500", "WE8EBCDIC37C", "WE8EBCDIC500C", "D8EBCDIC273",
           "I8EBCDIC280", "DK8EBCDIC277", "S8EBCDIC278"],
    0x6F: ["TH8TISEBCDIC", "EE8EBCDIC870", "EL8EBCDIC875"],
    0x7B: ["AR8EBCDICX"],
    0xC0: ["WE8MACROMAN8", "WE8MACROMAN8S"],
}
REPLACEMENT = {n: b for b, names in _REPL.items() for n in names}


def replacement(name):
    return REPLACEMENT.get(name, 0x3F)


def is_single(name):
    return name not in MULTI


def flags(name):
    if name in MULTI:
        return MULTI[name][1]
    if name in SHAPING:
        return 0x1D
    if name in EBCDIC:
        return 0x05
    return 0x0D


def max_bytes(name):
    return MULTI[name][0] if name in MULTI else 1


def base_id(name):
    return 0 if name in MULTI else BASE_ID[name]


def read_hex_pairs(path):
    """A mapping file of "hex hex" lines (comment lines start with #) as a dict."""
    t = {}
    with open(path) as f:
        for line in f:
            if line.startswith("#"):
                continue
            a, b = line.split()
            t[int(a, 16)] = int(b, 16)
    return t


def simple_case(u, upper):
    """The simple (one-character) upper- or lower-case partner of scalar u, or u itself."""
    if u == 0x130 and not upper:  # capital I with dot above lowers to a plain i
        return ord("i")
    s = chr(u).upper() if upper else chr(u).lower()
    return ord(s) if len(s) == 1 else u
