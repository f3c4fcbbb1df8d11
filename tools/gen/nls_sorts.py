#!/usr/bin/env python3
"""Generates the built-in linguistic sorts.

    tools/gen/nls_sorts.py [--check]

Reads the internal character code (base/data/src/internal-code.tsv) and the sort rules
(base/data/src/sorts.txt) and writes base/data/sort_defs.cpp: listab, every sort's primary,
secondary and base-letter tables over the 1000 internal codes, and the extended sorts'
per-code flags and special lists. Identical tables are emitted once and shared; an extended
sort uses its base sort's tables. With --check nothing is written and the exit status is 1
when the committed file differs.

How weights are formed (see the head of sorts.txt): a letter's primary weight is that of the
letter it sorts as (its base letter, found by removing diacritics, unless the sort gives the
accented letter a weight of its own); its secondary weight orders the plain letter before
the accented forms, and within each form the two cases in the sort's case order.
"""
import os
import sys
import unicodedata

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nls_common as nc  # noqa: E402

CODE_SRC = 'base/data/src/internal-code.tsv'
SORT_SRC = 'base/data/src/sorts.txt'
OUT = 'base/data/sort_defs.cpp'
NCODES = 1000
# Bytes without a character map to 998; 999 ends a stream of internal codes. Both sort last.
CODE_NONE = 998
CODE_END = 999

# Diacritics in the order in which accented forms of one letter follow each other.
ACCENTS = [0x0301, 0x0300, 0x0302, 0x0303, 0x0308, 0x030A, 0x030C, 0x0306, 0x0304, 0x0307,
           0x030B, 0x0328, 0x0327, 0x0326, 0x031B, 0x0323, 0x0344, 0x0653, 0x0654, 0x0655]

# Letters without a canonical decomposition and the letter they sort as, in the order they
# follow the accented forms.
LETTER_FALLBACK = {
    'ø': 'o', 'ł': 'l', 'đ': 'd', 'ħ': 'h', 'ŧ': 't', 'ð': 'd', 'þ': 't', 'æ': 'a', 'œ': 'o',
    'ß': 's', 'ı': 'i', 'ĳ': 'i', 'ĸ': 'k', 'ŋ': 'n', 'ƒ': 'f', 'ŀ': 'l', 'ŉ': 'n', 'ﬁ': 'f',
    'ﬂ': 'f', 'ª': 'a', 'º': 'o', 'ⁿ': 'n',
    'ς': 'σ', 'µ': 'μ',
    'ђ': 'д', 'є': 'е', 'ѕ': 'з', 'і': 'и', 'ј': 'й', 'љ': 'л', 'њ': 'н', 'ћ': 'т', 'џ': 'ч',
    'ґ': 'г',
    'ך': 'כ', 'ם': 'מ', 'ן': 'נ', 'ף': 'פ', 'ץ': 'צ',
    'ة': 'ه', 'ى': 'ي', 'ہ': 'ه', 'ە': 'ه', 'ے': 'ي', 'ٱ': 'ا',
}
FALLBACK_ORDER = list(LETTER_FALLBACK)

# The letters of each script in their order; every other letter of the script sorts as one
# of these (after removing diacritics or through LETTER_FALLBACK).
SCRIPT_UNITS = {
    'greek': list('αβγδεζηθικλμνξοπρστυφχψω'),
    'cyrillic': list('абвгдежзийклмнопрстуфхцчшщъыьэюя'),
    'hebrew': list('אבגדהוזחטיכלמנסעפצקרשת'),
    'arabic': list('ءابپتٹثجچحخدڈذرڑزژسشصضطظعغفڤقكگلمنںهوي'),
    'thai': None,  # every Thai letter, vowel and mark of the internal code, in code order
}
SCRIPT_ORDER = ['greek', 'cyrillic', 'hebrew', 'arabic', 'thai']

# Punctuation and symbols: primary weights 2 to 19 by kind; within a kind in this order,
# then by code.
PUNCT_GROUPS = [
    (2, '_‾¯‗'), (3, ',‚،'), (4, ';؛'), (5, ':'), (6, '!¡'), (7, '?¿؟'),
    (8, '.…\u00b7\u2022\u2027\u0387'), (9, '"«»‘’“”„‹›`´ˋ΄΅'), (10, '()[]{}'),
    (11, '@*/\\&#%‰٪§¶†‡⁄№'), (12, '^¨¸ˇ˘˙˚˛˝ˆ˜'), (13, '+±<=>|¦~¬×÷'),
]
# Kinds without a fixed list: 14 currency, 15 other signs, 16 box drawing and blocks,
# 17 other symbols, 18 dashes, 19 everything else.
W_SPACE = 1
W_DIGIT0 = 240
W_LAST_LETTER = 239


def load_codes():
    codes = {}
    with open(os.path.join(nc.ROOT, CODE_SRC), encoding='utf-8') as f:
        for line in f:
            if line.startswith('#') or not line.strip():
                continue
            cols = line.rstrip('\n').split('\t')
            if not cols[1].startswith('U+'):
                continue
            codes[int(cols[0])] = chr(int(cols[1][2:], 16))
    return codes


def read_sorts():
    """[(name, {key: [values]})] in file order, and the default Latin weights."""
    sorts, latin = [], None
    with open(os.path.join(nc.ROOT, SORT_SRC), encoding='utf-8') as f:
        for raw in f:
            line = raw.split('#', 1)[0].rstrip() if not raw.lstrip().startswith('#') else ''
            if not line.strip():
                continue
            if line.startswith('latin '):
                latin = parse_weights(line.split()[1:])
            elif line.startswith('sort '):
                sorts.append((line.split()[1], {}))
            else:
                key, _, value = line.strip().partition(' ')
                sorts[-1][1].setdefault(key, []).append(value.strip())
    return sorts, latin


def parse_weights(items):
    out = {}
    for it in items:
        k, _, v = it.partition('=')
        out[k] = int(v)
    return out


def lower1(ch):
    lo = ch.lower()
    return lo if len(lo) == 1 else ch


def marks_of(ch):
    """(base character, diacritics) of the canonical decomposition."""
    d = unicodedata.normalize('NFD', ch)
    return d[0], [ord(m) for m in d[1:]]


def script_of(ch):
    name = unicodedata.name(ch, '')
    for s in ('LATIN', 'GREEK', 'CYRILLIC', 'HEBREW', 'ARABIC', 'THAI'):
        if name.startswith(s):
            return s.lower()
    if ch in 'ªºⁿ':
        return 'latin'
    if ch == 'µ':
        return 'greek'
    return None


def is_weightless(ch):
    cat = unicodedata.category(ch)
    if ch in '-\'\u00ad\u0640' or cat == 'Cf':
        return True
    # Arabic vowel marks, and their presentation forms
    marks = unicodedata.normalize('NFKC', ch).strip()
    if marks and all(0x064B <= ord(m) <= 0x0652 or m == "\u0640" for m in marks):
        return True
    return cat == 'Cc' and not is_white(ch)


def is_white(ch):
    return ch in ' \t\n\v\f\r\u00a0\u0085'


def digit_of(ch):
    if unicodedata.category(ch) == 'Nd' or ch in '¹²³':
        return unicodedata.digit(ch)
    if ch in '¼½¾':
        return int(unicodedata.normalize('NFKD', ch)[0])
    return None


def punct_group(ch):
    for w, members in PUNCT_GROUPS:
        if ch in members:
            return w, members.index(ch)
    cat = unicodedata.category(ch)
    if cat == 'Sc':
        return 14, 0
    if ch in '©®™°':
        return 15, '©®™°'.index(ch)
    if 0x2500 <= ord(ch) <= 0x25FF:
        return 16, 0
    if cat == 'Pd':
        return 18, 0
    if cat in ('So', 'Sm', 'Sk', 'Co'):
        return 17, 0
    return 19, 0


def unplaced(sort_name, ch):
    # A letter that sorts as none of the known letters weighs as a symbol of the last kind;
    # say so, since it wants a rule here.
    print(f'{sort_name}: {ch!r} (U+{ord(ch):04X}) sorts with the symbols', file=sys.stderr)


class Sort:
    """Primary, secondary and base tables of one (non-extended) sort."""

    def __init__(self, name, rules, codes, default_latin):
        self.name = name
        self.codes = codes
        self.code_of = {ch: c for c, ch in sorted(codes.items(), reverse=True)}
        self.upper_first = rules.get('case', ['upper'])[0] == 'upper'
        latin = dict(default_latin)
        if 'latin' in rules:
            latin = parse_weights(rules['latin'][0].split())
        self.elements = dict(latin)   # letter -> primary weight
        self.merges = {}              # letter -> (element, order)
        for item in rules.get('letters', [''])[0].split():
            head, _, tail = item.partition(':')
            letter, _, w = head.partition('=')
            self.elements[letter] = int(w)
            for m in tail:
                self.merges[m] = (letter, len(self.merges))
        for item in rules.get('merge', [''])[0].split():
            a, _, b = item.partition('>')
            self.merges[a] = (b, len(self.merges))
        self.sec_override = parse_weights(rules.get('secondary', [''])[0].split())
        self.script = rules.get('script', [None])[0]
        self.primary = [0] * NCODES
        self.secondary = [0] * NCODES
        self.base = list(range(NCODES))
        self.build()

    # -- Latin letters ----------------------------------------------------------------
    def latin_element(self, ch):
        """(element, rank, own): the letter ch sorts as, its rank among the element's
        forms, and whether ch is the element itself or its case partner."""
        lo = lower1(ch)
        for cand in (ch, lo):
            if cand in self.merges:
                target, order = self.merges[cand]
                # An upper-case letter merged into its own lower-case partner is that
                # letter's upper case, not an accented form of it.
                partner = cand == ch and ch.isupper() and self.is_case_pair(ch, target)
                return target, (0,) if partner else (500 + order,), partner
        if lo in self.elements:
            return lo, (0,), True
        b, marks = marks_of(lo)
        b = lower1(b)
        if marks and b in self.elements:
            return b, tuple(ACCENTS.index(m) + 1 if m in ACCENTS else 90 for m in marks), False
        if marks and b in self.merges:
            return self.merges[b][0], (500 + self.merges[b][1],) + tuple(marks), False
        if lo in LETTER_FALLBACK:
            target = LETTER_FALLBACK[lo]
            return target, (300 + FALLBACK_ORDER.index(lo),), False
        comp = unicodedata.normalize('NFKD', lo)
        if comp and lower1(comp[0]) in self.elements:
            return lower1(comp[0]), (400,), False
        return None

    @staticmethod
    def is_case_pair(upper, lower):
        # The dotless and dotted i of Turkish pair with the ASCII letters crosswise.
        return lower.upper() == upper or (upper, lower) in (('I', 'ı'), ('İ', 'i'))

    # -- Other scripts ----------------------------------------------------------------
    def script_unit(self, script, ch, units):
        lo = lower1(ch)
        if lo in units:
            return units.index(lo), (0,), lo
        if script == 'arabic':
            lo = unicodedata.normalize('NFKC', lo)[0]
            if lo in units:
                return units.index(lo), (400, ord(ch)), None
        b, marks = marks_of(lo)
        b = lower1(b)
        rank = tuple(ACCENTS.index(m) + 1 if m in ACCENTS else 90 for m in marks)
        if b in units and marks:
            return units.index(b), rank, None
        if b in LETTER_FALLBACK and LETTER_FALLBACK[b] in units:
            return units.index(LETTER_FALLBACK[b]), (300 + FALLBACK_ORDER.index(b),) + rank, None
        comp = unicodedata.normalize('NFKC', lo)
        if comp and comp[0] in units:
            return units.index(comp[0]), (400,), None
        return None

    def build(self):
        groups = {}  # primary weight -> [(sort key, code)]
        thai_units = [ch for c, ch in sorted(self.codes.items())
                      if script_of(ch) == 'thai' and unicodedata.category(ch)[0] in 'LM']
        units = dict(SCRIPT_UNITS)
        units['thai'] = thai_units
        script_members = {s: [] for s in SCRIPT_ORDER}
        for code, ch in sorted(self.codes.items()):
            if code == 0 or is_weightless(ch):
                continue
            if is_white(ch):
                groups.setdefault(W_SPACE, []).append(((' \u00a0'.find(ch) % 3, code), code))
                continue
            d = digit_of(ch)
            if d is not None:
                rank = 0 if ch.isascii() else (1 if ch in '¹²³' else (2 if ch in '¼½¾' else 3))
                groups.setdefault(W_DIGIT0 + d, []).append(((rank, code), code))
                continue
            scr = script_of(ch)
            cat = unicodedata.category(ch)
            found = None
            if scr == 'latin' and (cat[0] == 'L' or ch in 'ªºⁿ'):
                found = self.latin_element(ch)
                if found is None:
                    unplaced(self.name, ch)
            if found is not None:
                elem, rank, own = found
                w = self.elements[elem]
                case = self.case_bit(ch)
                groups.setdefault(w, []).append(((rank, lower1(ch) if not own else elem, case, code),
                                                 code))
                self.base[code] = self.base_code(ch, elem, own)
                continue
            if scr in SCRIPT_UNITS and cat[0] in 'LM':
                if self.script_unit(scr, ch, units[scr]) is not None:
                    script_members[scr].append((code, ch))
                    continue
                unplaced(self.name, ch)
            w, order = punct_group(ch)
            groups.setdefault(w, []).append(((order, code), code))
        self.place_scripts(groups, script_members, units)
        for w, members in groups.items():
            members.sort()
            for i, (_, code) in enumerate(members):
                self.primary[code] = w
                self.secondary[code] = i + 1
            if len(members) > 255:
                raise ValueError(f'{self.name}: {len(members)} characters weigh {w}')
        for letter, s in self.sec_override.items():
            self.secondary[self.code_of[letter]] = s
        self.check_distinct()
        for secondary, code in enumerate((CODE_NONE, CODE_END), start=1):
            if code not in self.codes:
                self.primary[code], self.secondary[code] = 255, secondary

    def case_bit(self, ch):
        upper = ch.isupper()
        return (0 if upper else 1) if self.upper_first else (1 if upper else 0)

    def base_code(self, ch, elem, own):
        """The base letter: the sort's own letter, or the letter without its diacritics."""
        if own:
            return self.code_of.get(elem, self.code_of.get(lower1(ch)))
        b = lower1(marks_of(lower1(ch))[0])
        for cand in (b, lower1(ch), ch):
            if cand in self.code_of:
                return self.code_of[cand]
        raise ValueError(f'no code for the base of {ch!r}')

    def place_scripts(self, groups, members, units):
        last_latin = max(self.elements.values())
        nxt = last_latin + 5
        order = list(SCRIPT_ORDER)
        weights = {}
        if self.script:
            order.remove(self.script)
            n = len(units[self.script])
            step = max(1, min(5, (W_LAST_LETTER - 20 - nxt) // n))
            weights[self.script] = [nxt + i * step for i in range(n)]
            nxt += n * step + 2
        # The other scripts share what is left, each a part proportional to its letters.
        total = sum(len(units[s]) for s in order)
        slots = W_LAST_LETTER - nxt + 1
        for s in order:
            n = len(units[s])
            share = max(1, slots * n // total)
            weights[s] = [nxt + (i * share) // n for i in range(n)]
            nxt += share
        if nxt > W_LAST_LETTER + 1:
            raise ValueError(f'{self.name}: letters overflow the weights')
        for s in SCRIPT_ORDER:
            for code, ch in members[s]:
                idx, rank, own = self.script_unit(s, ch, units[s])
                w = weights[s][idx]
                groups.setdefault(w, []).append(((idx, rank, self.case_bit(ch), code), code))
                if own is not None:
                    self.base[code] = self.code_of[own]
                else:
                    b = lower1(marks_of(lower1(ch))[0])
                    self.base[code] = self.code_of.get(b, self.code_of.get(lower1(ch), code))

    def check_distinct(self):
        seen = {}
        for code in self.codes:
            if self.primary[code] == 0:
                continue
            key = (self.primary[code], self.secondary[code])
            if key in seen:
                raise ValueError(f'{self.name}: codes {seen[key]} and {code} weigh the same {key}')
            seen[key] = code


def code_list(sort, text):
    return [sort.code_of[ch] for ch in text]


def extended(name, rules, base):
    """Code flags and special lists of an extended sort."""
    flags = [0] * NCODES
    exps, cons, uppers, bases = [], [], [], []
    for e in rules.get('expansion', []):
        letter, w1, w2 = e.split()
        p1, s1 = (int(x) for x in w1.split('/'))
        p2, s2 = (int(x) for x in w2.split('/'))
        c = base.code_of[letter]
        exps.append((c, p1, s1, p2, s2))
        flags[c] |= 0x02
    for e in rules.get('contraction', []):
        pair, w = e.split()
        p, s = (int(x) for x in w.split('/'))
        a, b = code_list(base, pair)
        cons.append((a, b, p, s))
        flags[a] |= 0x04
        flags[b] |= 0x08
    for key, out, bit in (('upper', uppers, 0x10), ('baseform', bases, 0x40)):
        for e in rules.get(key, []):
            src, res = e.split()
            s, r = code_list(base, src), code_list(base, res)
            out.append((len(s), s + [0] * (2 - len(s)), len(r), r + [0] * (2 - len(r))))
            flags[s[0]] |= bit
    flags = [f if f else 0x01 for f in flags]
    return flags, exps, cons, uppers, bases


class Emitter(nc.SharedTables):
    def table(self, ctype, prefix, values):
        def declare(ident):
            lines = [f'constexpr {ctype} {ident}[{len(values)}] = {{']
            for i in range(0, len(values), 20):
                lines.append('    ' + ', '.join(str(v) for v in values[i:i + 20]) + ',')
            return lines + ['};']
        return self.add((ctype, tuple(values)), prefix, declare)

    def entries(self, ctype, prefix, rows, end):
        body = ', '.join(rows + [end])
        return self.add((ctype, prefix, tuple(rows)), prefix,
                        lambda ident: [f'constexpr {ctype} {ident}[] = {{{body}}};'])


def main(argv):
    codes = load_codes()
    rules_list, default_latin = read_sorts()
    names = [n for n, _ in rules_list]
    if names != nc.SORT_NAMES:
        raise SystemExit(f'{SORT_SRC}: sorts out of order')
    em = Emitter()
    built = {}
    records = []
    for (name, rules), (_, features) in zip(rules_list, nc.SORTS):
        if name == 'BINARY':
            records.append(f'{{"BINARY", nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, 0, '
                           f'nullptr, 0, nullptr, nullptr, 0, 0}}')
            continue
        if 'extends' in rules:
            base = built[rules['extends'][0]]
        else:
            base = built[name] = Sort(name, rules, codes, default_latin)
        prim = em.table('uint8_t', 'primary', base.primary)
        sec = em.table('uint8_t', 'secondary', base.secondary)
        bas = em.table('uint16_t', 'base', base.base)
        flags = exp = con = up = bs = 'nullptr'
        exp_w = up_w = bs_w = 0
        feats = 0
        if 'extends' in rules:
            fl, exps, cons, uppers, bases = extended(name, rules, base)
            flags = em.table('uint8_t', 'code_flags', fl)
            if exps:
                exp = em.entries('li_sort_expansion', 'expansions',
                                 [f'{{{c}, {p1}, {s1}, {p2}, {s2}}}' for c, p1, s1, p2, s2 in exps],
                                 '{0, 0, 0, 0, 0}')
                exp_w, feats = 2, feats | 0x01
            if cons:
                con = em.entries('li_sort_contraction', 'contractions',
                                 [f'{{{a}, {b}, {p}, {s}}}' for a, b, p, s in cons], '{0, 0, 0, 0}')
                feats |= 0x02

            def specials(prefix, rows):
                return em.entries('li_sort_special', prefix,
                                  [f'{{{n}, {{{s[0]}, {s[1]}}}, {m}, {{{r[0]}, {r[1]}}}}}'
                                   for n, s, m, r in rows], '{0, {0, 0}, 0, {0, 0}}')
            if uppers:
                up, up_w, feats = specials('upper_specials', uppers), 2, feats | 0x04
            if bases:
                bs, bs_w, feats = specials('base_specials', bases), 2, feats | 0x10
        if feats != features:
            raise SystemExit(f'{name}: features {feats:#x}, expected {features:#x}')
        records.append(f'{{"{name}", {prim}, {sec}, {flags}, {exp}, {exp_w}, {con}, {up}, {up_w}, '
                       f'nullptr, 0, {bas}, {bs}, {bs_w}, {features}}}')
    out = [nc.banner('nls_sorts.py', [CODE_SRC, SORT_SRC]),
           '// The built-in linguistic sorts: listab, the weight and base-letter tables over the',
           '// internal character code, and the special lists of the extended sorts.',
           '#include "zunt/nls.h"', '', 'namespace {', '']
    out += em.lines
    out.append('')
    for i, r in enumerate(records):
        out.append(f'constexpr li_sortdef sort_{i} = {r};')
    out += nc.exported_array('li_sortdef', 'listab', 'sort', len(records))
    return nc.write_or_check({OUT: '\n'.join(out)}, argv, 'nls_sorts.py')


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
