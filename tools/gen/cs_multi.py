"""The multibyte half of tools/gen/charsets.py: attribute tables, class trees, case deltas,
wide forms and byte case maps of the multibyte sets, from base/data/src/charsets/mb/."""
import os
import unicodedata

import cs_sets

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MB = os.path.join(ROOT, "base", "data", "src", "charsets", "mb")

# Attribute-word bits (single-byte characters of a multibyte set).
A_UPPER, A_LOWER, A_DIGIT, A_SPACE, A_PUNCT, A_ALPHA = 0x4, 0x8, 0x10, 0x20, 0x40, 0x80
A_XDIGIT, A_BLANK, A_PRINTSP, A_CNTRL = 0x100, 0x200, 0x400, 0x800
# Leaf-word bits (multibyte characters).
L_UPPER, L_LOWER, L_WIDE, L_ALPHA, L_DIGIT, L_PUNCT = 0x4, 0x8, 0x10, 0x20, 0x40, 0x80
L_XDIGIT, L_SPACE, L_PRINT, L_BLANK = 0x100, 0x200, 0x400, 0x800


def read_mb(name):
    t = {}
    with open(os.path.join(MB, name + ".mb")) as f:
        for line in f:
            if line.startswith("#"):
                continue
            p = line.split()
            c, u = int(p[0], 16), int(p[1], 16)
            n = int(p[2]) if len(p) > 2 else 1
            for i in range(n):
                t[c + i] = u + i
    return t


def read_pairs(name):
    return cs_sets.read_hex_pairs(os.path.join(MB, name))


def is_xdigit(u):
    return (0x30 <= u <= 0x39 or 0x41 <= u <= 0x46 or 0x61 <= u <= 0x66 or
            0xFF10 <= u <= 0xFF19 or 0xFF21 <= u <= 0xFF26 or 0xFF41 <= u <= 0xFF46)


def single_attr(u):
    """Attribute word of a single-byte character with Unicode scalar u."""
    if u is None:
        return 0
    cat = unicodedata.category(chr(u))
    if cat == "Cc":
        return A_SPACE | A_CNTRL if 9 <= u <= 13 else A_CNTRL
    a = 0
    if cat == "Zs":
        return A_SPACE | A_BLANK | A_PRINTSP
    if cat == "Lu":
        a = A_UPPER | A_ALPHA
    elif cat == "Ll":
        a = A_LOWER | A_ALPHA
    elif cat[0] == "L":
        a = A_ALPHA
    elif cat == "Nd":
        a = A_DIGIT
    else:
        a = A_PUNCT
    if is_xdigit(u):
        a |= A_XDIGIT
    return a


def leaf_class(u, wide=True):
    """Leaf word of a multibyte character, without its case index."""
    cat = unicodedata.category(chr(u))
    w = L_PRINT
    if wide and not 0xFF61 <= u <= 0xFF9F:
        w |= L_WIDE
    if cat == "Zs":
        return w | L_SPACE | L_BLANK
    if cat == "Co":
        return w
    if cat[0] == "L":
        w |= L_ALPHA
    elif cat == "Nd":
        w |= L_DIGIT
    else:
        w |= L_PUNCT
    if is_xdigit(u):
        w |= L_XDIGIT
    return w


simple_case = cs_sets.simple_case


LOST_CASE = {}  # set name -> letters whose case partner the delta tables cannot reach


def assign_slots(name, deltas, first, weight):
    """Case indexes for one direction: four slots (first..first+3). Deltas are ranked by
    the full-width Latin letters they serve, then by how many letters use them; a slot left
    over keeps delta 0 for letters without a partner. Letters whose delta finds no slot, and
    unpaired letters when no slot is left, get index 0: still alphabetic, without case."""
    real = sorted((d for d in deltas if d is not None), key=lambda d: (-weight[d], -deltas[d], d))
    keep = real[:4]
    slot = {d: first + i for i, d in enumerate(keep)}
    zero = first + len(keep) if None in deltas and len(keep) < 4 else 0
    return slot, zero


def classify(name, codes, wide=True):
    """Leaf word of every multibyte code of a set, with case indexes and the delta tables."""
    by_uni = {}
    for c in sorted(codes):
        by_uni.setdefault(codes[c], c)
    partner = {}
    up_deltas, lo_deltas = {}, {}
    weight = {}
    for c in sorted(codes):
        u = codes[c]
        cat = unicodedata.category(chr(u))
        if cat in ("Lu", "Ll"):
            q = by_uni.get(simple_case(u, cat == "Ll"))
            d = None if q is None or q == c else q - c
            partner[c] = d
            target = lo_deltas if cat == "Lu" else up_deltas
            target[d] = target.get(d, 0) + 1
            weight[d] = weight.get(d, 0) + (1 if 0xFF21 <= u <= 0xFF5A else 0)
    lo_slot, lo_zero = assign_slots(name, lo_deltas, 4, weight)   # upper-case letters
    up_slot, up_zero = assign_slots(name, up_deltas, 8, weight)   # lower-case letters
    up = [0] * 16  # cs_mb_upper_delta, used by lower-case letters
    lo = [0] * 16  # cs_mb_lower_delta, used by upper-case letters
    for d, i in lo_slot.items():
        lo[i] = d
    for d, i in up_slot.items():
        up[i] = d
    leaves = {}
    lost = []
    for c in sorted(codes):
        u = codes[c]
        w = leaf_class(u, wide)
        if c in partner:
            d = partner[c]
            is_upper = unicodedata.category(chr(u)) == "Lu"
            slot, zero = (lo_slot, lo_zero) if is_upper else (up_slot, up_zero)
            if d in slot:
                w |= slot[d]
            else:
                w |= zero
                if d is not None or not zero:
                    lost.append(c)
        leaves[c] = w
    if lost:
        LOST_CASE[name] = lost
    return leaves, up, lo


# Wide forms: the full-width scalar of each ASCII byte, and what to use where the set does
# not hold it.
FULLWIDTH_FALLBACK = {0xFF02: 0x201D, 0xFF07: 0x2019, 0xFF0D: 0x2212, 0xFF5E: 0x301C,
                      0xFF04: 0xFFE5, 0xFF3C: 0xFFE6}


def fullwidth_of(u):
    if u == 0x20:
        return 0x3000
    if 0x21 <= u <= 0x7E:
        return u - 0x21 + 0xFF01
    if 0xFF61 <= u <= 0xFF9F:
        n = unicodedata.normalize("NFKC", chr(u))
        return ord(n) if len(n) == 1 else None
    return None


def wide_forms(first, last, sb_uni, enc, valid):
    """The wide-form table, indexed by byte value (256 entries): for each byte first..last
    the code of its full-width character in the set; 0 where there is none and outside the
    range."""
    out = [0] * 256
    for b in range(first, last + 1):
        u = sb_uni(b)
        f = fullwidth_of(u) if u is not None else None
        code = None
        for cand in (f, FULLWIDTH_FALLBACK.get(f)):
            if cand is not None and cand in enc and enc[cand] in valid:
                code = enc[cand]
                break
        out[b] = code or 0
    return out


class Pool:
    def __init__(self):
        self.arrays = {}  # (ctype, values) -> name
        self.text = []
        self.decl = []

    def array(self, ctype, prefix, values, fmt, per_line):
        key = (ctype, tuple(values))
        if key in self.arrays:
            return self.arrays[key]
        name = "%s_%d" % (prefix, len(self.arrays))
        self.arrays[key] = name
        self.decl.append("extern const %s %s[%d];\n" % (ctype, name, len(values)))
        body = "".join("    " + ", ".join(fmt % v for v in values[i:i + per_line]) + ",\n"
                       for i in range(0, len(values), per_line))
        self.text.append("const %s %s[%d] = {\n%s};\n\n" % (ctype, name, len(values), body))
        return name


class Multi:
    def __init__(self):
        self.fields = {}
        self.pool = Pool()
        self.nodes = {}   # leaf array name or kids name -> node name
        self.node_text = []
        self.node_decl = []

    def decls(self):
        return "".join(self.pool.decl) + "".join(self.node_decl)

    def source(self, banner):
        return (banner("Attribute tables, class trees, case deltas and wide forms of the "
                       "multibyte sets.") +
                "#define ZUNT_CS_TABLES_INTERNAL\n#include \"cs_tables.h\"\n\n"
                "namespace zunt::cs {\n\n" + "".join(self.pool.text) +
                "".join(self.node_text) + "}  // namespace zunt::cs\n")

    def leaf_node(self, values):
        arr = self.pool.array("uint16_t", "cs_leaf", values, "0x%03X", 16)
        if arr not in self.nodes:
            n = "cs_node_%d" % len(self.nodes)
            self.nodes[arr] = n
            self.node_decl.append("extern const li_cstree %s;\n" % n)
            self.node_text.append("const li_cstree %s = {0, 0xFC, %s, nullptr};\n" % (n, arr))
        return self.nodes[arr]

    def inner_node(self, children):
        kids = tuple(children)
        key = ("kids",) + kids
        if key not in self.nodes:
            n = "cs_node_%d" % len(self.nodes)
            k = "cs_kids_%d" % len(self.nodes)
            self.nodes[key] = n
            self.node_decl.append("extern const li_cstree %s;\n" % n)
            body = "".join("    " + ", ".join("&" + c for c in kids[i:i + 8]) + ",\n"
                           for i in range(0, 256, 8))
            self.node_text.append("const li_cstree* const %s[256] = {\n%s};\n"
                                  "const li_cstree %s = {1, 0xFC, nullptr, %s};\n\n" % (k, body, n, k))
        return self.nodes[key]

    def tree(self, codes_leaves):
        """Class tree over the codes in codes_leaves (code -> leaf word): an inner node per
        byte that continues a longer code, a leaf row per byte that precedes the last one."""
        leaves = {}
        for c, w in codes_leaves.items():
            n = 4 if c > 0xFFFFFF else 3 if c > 0xFFFF else 2
            leaves[tuple(c.to_bytes(n, "big"))] = w
        # Index the codes by their prefixes once.
        by_prefix = {}
        for t, w in leaves.items():
            for k in range(1, len(t)):
                by_prefix.setdefault(t[:k], []).append((t, w))
        empty = self.leaf_node([0] * 256)

        def build(prefix):
            kids = []
            for b in range(256):
                p = prefix + (b,)
                sub = by_prefix.get(p)
                if not sub:
                    kids.append(empty)
                elif all(len(t) == len(p) + 1 for t, _ in sub):
                    row = [0] * 256
                    for t, w in sub:
                        row[t[-1]] = w
                    kids.append(self.leaf_node(row))
                else:
                    kids.append(build(p))
            return self.inner_node(kids)

        return build(())


ASCII = {b: b for b in range(128)}


def ascii_case():
    up = list(range(256))
    lo = list(range(256))
    for b in range(ord("a"), ord("z") + 1):
        up[b] = b - 32
        lo[b - 32] = b
    return up, lo


def page_case(page):
    """Byte case maps of a single-byte page (the host sets' single-byte half)."""
    up = list(range(256))
    lo = list(range(256))
    byte_of = {}
    for b in sorted(page):
        byte_of.setdefault(page[b], b)
    for b, u in page.items():
        cu, cl = simple_case(u, True), simple_case(u, False)
        if cu != u and cu in byte_of:
            up[b] = byte_of[cu]
        if cl != u and cl in byte_of:
            lo[b] = byte_of[cl]
    return up, lo


def dec_mcs():
    return cs_sets.read_hex_pairs(os.path.join(MB, "..", "WE8DEC.map"))


def build(code):
    m = Multi()
    p = m.pool
    jis = read_mb("JIS0208")
    kana = read_mb("JISKANA")
    sjis = read_mb("IBM943")
    hostja = read_mb("HOSTJA")
    hostko = read_mb("HOSTKO")
    ksc = read_mb("KSC5601")
    gb = read_mb("GB2312")
    cns = read_mb("CNS11643")
    big5 = read_mb("BIG5")
    # The standard BIG5 range, without the user-defined areas and the vendor rows.
    big5_core = {c for c in big5 if 0xA140 <= c <= 0xF9D5 and not 0xC6A1 <= c <= 0xC8FE}

    def emit(name, lead, shift, codes, sb_page, case_maps, wide, wide_codes=None, tree=None):
        f = {}
        f["lead"] = p.array("uint16_t", "cs_attr", lead, "0x%03X", 16)
        f["shift"] = p.array("uint16_t", "cs_attr", shift, "0x%03X", 16) if shift else f["lead"]
        leaves, up, lo = codes
        f["tree"] = "&" + (tree or m.tree(leaves))
        f["updelta"] = p.array("int32_t", "cs_delta", up, "%d", 16)
        f["lodelta"] = p.array("int32_t", "cs_delta", lo, "%d", 16)
        f["upper"] = p.array("uint8_t", "cs_mbcase", case_maps[0], "0x%02X", 16)
        f["lower"] = p.array("uint8_t", "cs_mbcase", case_maps[1], "0x%02X", 16)
        if wide:
            first, last = wide
            f["wide_range"] = wide
            f["wide"] = p.array("uint32_t", "cs_wide", wide_codes, "0x%X", 8)
        m.fields[name] = f

    def lead_table(sb_page, leads, trail=1, extra=None):
        t = [single_attr(sb_page.get(b)) for b in range(256)]
        for b in leads:
            t[b] = trail
        for b, v in (extra or {}).items():
            t[b] = v
        return t

    def wide_range(name):
        return cs_sets.MULTI[name][2]

    asc_case = ascii_case()
    eucjp_enc = read_pairs("EUCJP.wide")

    # JIS X 0208 in EUC form, with the half-width kana behind 0x8E.
    euc_codes = dict(jis)
    euc_codes.update(kana)
    euc_leads = list(range(0xA1, 0xFF))
    w = wide_range("JA16EUC")
    emit("JA16EUC", lead_table(ASCII, euc_leads + [0x8E]), None, classify("JA16EUC", euc_codes),
         ASCII, asc_case, w, wide_forms(w[0], w[1], ASCII.get, eucjp_enc, set(euc_codes)))
    emit("JA16VMS", lead_table(ASCII, euc_leads), None, classify("JA16VMS", jis), ASCII,
         asc_case, w, wide_forms(w[0], w[1], ASCII.get, eucjp_enc, set(jis)))

    # Shift-JIS: two-byte codes behind 0x81-0x9F and 0xE0-0xFC, half-width kana as single bytes.
    sjis_sb = dict(ASCII)
    for c, u in kana.items():
        sjis_sb[c & 0xFF] = u
    sjis_leads = list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))
    emit("JA16SJIS", lead_table(sjis_sb, sjis_leads), None, classify("JA16SJIS", sjis), sjis_sb,
         asc_case, w, wide_forms(w[0], w[1], ASCII.get, read_pairs("IBM943.wide"), set(sjis)))

    # IBM host sets: an EBCDIC single-byte page, SO/SI, and double-byte codes 0x4040-0xFEFE.
    so_si = {0x0E: A_CNTRL, 0x0F: A_CNTRL}
    shifted = [1] * 256
    shifted[0x0E] = shifted[0x0F] = A_CNTRL
    for name, sbname, dbcs, wname in (("JA16DBCS", "IBM939", hostja, "HOSTJA"),
                                       ("JA16EBCDIC930", "IBM930", hostja, "HOSTJA"),
                                       ("KO16DBCS", "IBM933", hostko, "HOSTKO")):
        sb = read_pairs(sbname + ".sb")
        sb = {b: u for b, u in sb.items() if b not in (0x0E, 0x0F)}
        w = wide_range(name)
        emit(name, lead_table(sb, [], extra=so_si), shifted, classify(name, dbcs), sb,
             page_case(sb), w, wide_forms(w[0], w[1], sb.get, read_pairs(wname + ".wide"), set(dbcs)))

    # The test set JA16TSTSET: ASCII with SO/SI around the Japanese host double-byte codes.
    w = wide_range("JA16TSTSET")
    emit("JA16TSTSET", lead_table(ASCII, [], extra=so_si), shifted, classify("JA16TSTSET", hostja),
         ASCII, asc_case, w, wide_forms(w[0], w[1], ASCII.get, read_pairs("HOSTJA.wide"), set(hostja)))

    for name, codes, wname in (("KO16KSC5601", ksc, "KSC5601"), ("ZHS16CGB231280", gb, "GB2312")):
        w = wide_range(name)
        emit(name, lead_table(ASCII, euc_leads), None, classify(name, codes), ASCII, asc_case,
             w, wide_forms(w[0], w[1], ASCII.get, read_pairs(wname + ".wide"), set(codes)))

    # CNS 11643 in EUC form: plane 1 in two bytes, planes 1 and 2 behind 0x8E 0xA1/0xA2.
    w = wide_range("ZHT32EUC")
    cns_wide = wide_forms(w[0], w[1], ASCII.get, read_pairs("CNS11643.wide"), set(cns))
    cns_lead = lead_table(ASCII, euc_leads, extra={0x8E: 3})
    cns_class = classify("ZHT32EUC", cns)
    for name in ("ZHT32EUC", "ZHT32CNS1164386", "ZHT32TRIS"):
        emit(name, cns_lead, None, cns_class, ASCII, asc_case, w, cns_wide)

    # BIG5 (with the vendor and user areas of its code space); the two Taiwanese sets without
    # a published layout take the same two-byte code space.
    w = wide_range("ZHT16BIG5")
    big5_wide = wide_forms(w[0], w[1], ASCII.get, read_pairs("BIG5.wide"), big5_core)
    big5_lead = lead_table(ASCII, range(0x81, 0xFF))
    big5_class = classify("ZHT16BIG5", big5)
    emit("ZHT16BIG5", big5_lead, None, big5_class, ASCII, asc_case, w, big5_wide)
    emit("ZHT32SOPS", big5_lead, None, big5_class, ASCII, asc_case, w, big5_wide)
    emit("ZHT16DBT", big5_lead, None, big5_class, ASCII, asc_case, None)

    # JA16TSTSET2: WE8DEC with every byte of 0x80 or more written twice. Every lead byte
    # shares one leaf row indexed by the second byte: a character repeats its byte, so the row
    # holds the classes of the WE8DEC upper half (two different bytes are not a character of
    # the set). Upper- and lower-case letters lie 0x20 apart, so 0x2020 apart when doubled.
    mcs = dec_mcs()
    doubled = {b * 257: u for b, u in mcs.items() if b >= 0x80 and unicodedata.category(chr(u)) != "Cc"}
    w = wide_range("JA16TSTSET2")
    tst2_wide = [(b | 0x80) * 257 if w[0] <= b <= w[1] and (b | 0x80) in mcs else 0
                 for b in range(256)]
    leaves, up, lo = classify("JA16TSTSET2", doubled, wide=False)
    row = [0] * 256
    for c, word in leaves.items():
        row[c & 0xFF] = word
    shared = m.leaf_node(row)
    empty = m.leaf_node([0] * 256)
    tree = m.inner_node([shared if b >= 0x80 else empty for b in range(256)])
    emit("JA16TSTSET2", lead_table(ASCII, range(0x80, 0x100)), None, (leaves, up, lo), ASCII,
         asc_case, w, tst2_wide, tree=tree)
    return m
