"""Shared helpers of the NLS table generators: the numbering of the built-in character sets,
territories and sorts, the text encodings of the character sets that language and territory
texts are stored in, and C++ emitting helpers.

Standard library only; every output is a pure function of the committed inputs.
"""
import os
import re

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))

# The character sets by number (their position in lictbn).
CHARSET_NAMES = """
US7ASCII WE8DEC WE8HP US8PC437 WE8EBCDIC37 WE8EBCDIC500 WE8PC850 D7DEC F7DEC S7DEC E7DEC
SF7ASCII NDK7DEC I7DEC NL7DEC CH7DEC SF7DEC TR7DEC WE8ISO8859P1 EE8ISO8859P2 SE8ISO8859P3
NEE8ISO8859P4 CL8ISO8859P5 AR8ISO8859P6 EL8ISO8859P7 IW8ISO8859P8 WE8ISO8859P9 NE8ISO8859P10
TH8TISASCII TH8TISEBCDIC AR8ASMO708PLUS AR7ASMO449PLUS AR8EBCDICX EL8DEC TR8DEC WE8EBCDIC37C
WE8EBCDIC500C RU8PC855 WE8MACROMAN8 WE8MACROMAN8S TR8ISO8859P9 AR8ASMO8X JA16VMS JA16EUC
JA16SJIS JA16DBCS JA16EBCDIC930 KO16KSC5601 KO16DBCS ZHS16CGB231280 ZHT32EUC ZHT32CNS1164386
ZHT32SOPS ZHT16DBT ZHT32TRIS ZHT16BIG5 JA16TSTSET2 JA16TSTSET EEC8EUROPA3 EE8PC852 RU8PC866
RU8BESTA TR8PC857 CL8MSWINDOW31 WE8PC860 IS8PC861 EE8MSWIN1250 CL8MSWIN1251 D8EBCDIC273
I8EBCDIC280 DK8EBCDIC277 S8EBCDIC278 EE8EBCDIC870 N8PC865 HU8CWI2 EL8PC437S EL8EBCDIC875
LT8PC772 LT8PC774 CDN8PC863 AR8ADOS710T AR8ADOS720T AR8NAFITHA711 AR8SAKHR707 AR8MUSSAD768
AR8ADOS710 AR8ADOS720 AR8APTEC715 AR8MSAWIN AR8NAFITHA721 AR8SAKHR706 AR8ARABICMAC
AR8ARABICMACS
""".split()
assert len(CHARSET_NAMES) == 93

# The linguistic sorts by number (their position in listab) with their feature bits
# (0x01 expansions, 0x02 contractions, 0x04 upper-case specials, 0x08 lower-case specials,
# 0x10 base-form specials).
SORTS = [
    ('BINARY', 0), ('WEST_EUROPEAN', 0), ('XWEST_EUROPEAN', 0x15), ('GERMAN', 0),
    ('XGERMAN', 0x15), ('GERMAN_DIN', 0), ('XGERMAN_DIN', 0x15), ('DANISH', 0),
    ('XDANISH', 0x17), ('SPANISH', 0), ('XSPANISH', 0x02), ('FINNISH', 0), ('FRENCH', 0),
    ('NORWEGIAN', 0), ('SWEDISH', 0), ('ITALIAN', 0), ('ICELANDIC', 0), ('DUTCH', 0),
    ('XDUTCH', 0x05), ('SWISS', 0), ('XSWISS', 0x15), ('ARABIC', 0), ('HUNGARIAN', 0),
    ('XHUNGARIAN', 0x17), ('GREEK', 0), ('POLISH', 0), ('SLOVAK', 0), ('XSLOVAK', 0x03),
    ('TURKISH', 0), ('XTURKISH', 0x01), ('RUSSIAN', 0), ('HEBREW', 0), ('LITHUANIAN', 0),
    ('CZECH', 0), ('XCZECH', 0x03), ('LATIN', 0), ('THAI_DICTIONARY', 0), ('THAI_TELEPHONE', 0),
]
assert len(SORTS) == 38
SORT_NAMES = [n for n, _ in SORTS]

# Bytes of DEC multinational that differ from ISO 8859-1, and the positions it leaves empty.
_DEC_MCS_DIFF = {0xA8: 0x00A4, 0xD7: 0x0152, 0xDD: 0x0178, 0xF7: 0x0153, 0xFD: 0x00FF}
_DEC_MCS_EMPTY = {0xA0, 0xA4, 0xA6, 0xAC, 0xAD, 0xAE, 0xAF, 0xB4, 0xB8, 0xBE, 0xD0, 0xDE,
                  0xF0, 0xFE, 0xFF}
_DEC_MCS_ENC = {u: b for b, u in _DEC_MCS_DIFF.items()}


def _encode_dec_mcs(text):
    out = bytearray()
    for ch in text:
        u = ord(ch)
        if u in _DEC_MCS_ENC:
            out.append(_DEC_MCS_ENC[u])
        elif u < 0x100 and u not in _DEC_MCS_EMPTY and u not in _DEC_MCS_DIFF:
            out.append(u)
        else:
            raise ValueError(f'{ch!r} is not in DEC multinational')
    return bytes(out)


# Python codecs for the sets that hold language and territory texts. ZHT32EUC texts are
# plain ASCII, which EUC keeps as it is.
_CODECS = {
    'US7ASCII': 'ascii', 'WE8ISO8859P1': 'latin-1', 'EE8ISO8859P2': 'iso8859_2',
    'NEE8ISO8859P4': 'iso8859_4', 'CL8ISO8859P5': 'iso8859_5', 'AR8ISO8859P6': 'iso8859_6',
    'EL8ISO8859P7': 'iso8859_7', 'WE8ISO8859P9': 'iso8859_9', 'TH8TISASCII': 'tis_620',
    'JA16EUC': 'euc_jp', 'KO16KSC5601': 'euc_kr', 'ZHS16CGB231280': 'gb2312',
    'ZHT32EUC': 'ascii', 'RU8PC855': 'cp855',
}


def encode(text, charset):
    """The bytes of text in the named character set; raises when a character has none."""
    if charset == 'WE8DEC':
        return _encode_dec_mcs(text)
    return text.encode(_CODECS[charset])


_WORD = re.compile(r'^(?P<text>.*?)\s*\[(?P<hex>[0-9A-Fa-f ]+)\]$')


def parse_text(value, charset):
    """A source value in the notation of base/data/src: "quoted" literal, text [HEX] checked
    against its encoding, bare [HEX] bytes, or plain text. Returns the stored bytes."""
    if len(value) >= 2 and value[0] == '"' and value[-1] == '"':
        return encode(value[1:-1], charset)
    m = _WORD.match(value)
    if m:
        given = bytes.fromhex(m.group('hex'))
        if m.group('text'):
            got = encode(m.group('text'), charset)
            if got != given:
                raise ValueError(f'{value}: encodes to {got.hex(" ")} in {charset}')
        return given
    return encode(value, charset)


def read_blocks(path, head):
    """Blocks of 'head NAME' followed by indented 'key value' lines; '#' starts a comment line."""
    blocks = []
    with open(path, encoding='utf-8') as f:
        for raw in f:
            line = raw.rstrip('\n')
            if not line.strip() or line.lstrip().startswith('#'):
                continue
            if not line.startswith(' '):
                kw, _, name = line.partition(' ')
                if kw != head:
                    raise ValueError(f'{path}: expected "{head}", got {line!r}')
                blocks.append({'name': name.strip()})
                continue
            key, _, value = line.strip().partition(' ')
            blocks[-1][key] = value.strip()
    return blocks


def c_bytes(data):
    """A C string literal holding exactly these bytes (octal escapes, so that no following
    character can extend an escape)."""
    out = []
    for b in data:
        if b in (0x22, 0x5C):
            out.append('\\' + chr(b))
        elif 0x20 <= b < 0x7F and b != 0x3F:  # '?' escaped to rule out trigraphs
            out.append(chr(b))
        else:
            out.append('\\%03o' % b)
    return '"' + ''.join(out) + '"'


class SharedTables:
    """Constant arrays of a generated file, each emitted once: asking again for the same
    contents gives the identifier of the first."""

    def __init__(self):
        self.by_key = {}
        self.lines = []

    def add(self, key, prefix, declare):
        """The identifier of the array with this key; declare(ident) gives its lines the
        first time."""
        if key not in self.by_key:
            ident = f'{prefix}_{len(self.by_key)}'
            self.by_key[key] = ident
            self.lines += declare(ident)
        return self.by_key[key]


def exported_array(record_type, export, prefix, count):
    """Lines closing a generated file: the anonymous namespace, then the exported
    NULL-terminated array of pointers to the records prefix_0 .. prefix_{count-1}."""
    out = ['', '}  // namespace', '',
           f'extern "C" const {record_type}* const {export}[{count + 1}] = {{']
    out += [f'    &{prefix}_{i},' for i in range(count)]
    out += ['    nullptr};', '']
    return out


def banner(generator, sources):
    return (f'// generated by tools/gen/{generator} from {", ".join(sources)}; do not edit.\n')


def write_if_changed(path, text):
    full = os.path.join(ROOT, path)
    old = None
    if os.path.exists(full):
        with open(full, encoding='utf-8') as f:
            old = f.read()
    if old != text:
        with open(full, 'w', encoding='utf-8', newline='\n') as f:
            f.write(text)


def write_or_check(outputs, argv, generator):
    """Writes {path: text}; with --check in argv writes nothing and returns 1 when a
    committed file differs from its text."""
    if '--check' not in argv:
        for path, text in outputs.items():
            write_if_changed(path, text)
        return 0
    stale = []
    for path, text in outputs.items():
        full = os.path.join(ROOT, path)
        if not os.path.exists(full):
            stale.append(path)
            continue
        with open(full, encoding='utf-8') as f:
            if f.read() != text:
                stale.append(path)
    for path in stale:
        print(f'{path} is not what tools/gen/{generator} generates from its sources; '
              f'run tools/gen/{generator} to regenerate it')
    return 1 if stale else 0
