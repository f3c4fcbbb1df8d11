#!/usr/bin/env python3
"""Generates the built-in language and territory definitions.

    tools/gen/nls_langs.py [--check]

Reads base/data/src/languages.txt and base/data/src/territories.txt and writes
base/data/lang_defs.cpp (liltbn) and base/data/terr_defs.cpp (littbn). Texts are encoded in
each record's text character set; a text given with [hex bytes] in the source must encode to
exactly those bytes. Identical name arrays are emitted once and shared. With --check nothing
is written; the exit status is 1 when a generated file differs from what is committed.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nls_common as nc  # noqa: E402

LANG_SRC = 'base/data/src/languages.txt'
TERR_SRC = 'base/data/src/territories.txt'
LANG_OUT = 'base/data/lang_defs.cpp'
TERR_OUT = 'base/data/terr_defs.cpp'


def territory_names():
    return [b['name'] for b in nc.read_blocks(os.path.join(nc.ROOT, TERR_SRC), 'territory')]


def name_array(tables, kind, width, items):
    """A shared array of NUL-padded names of `width` bytes."""
    for it in items:
        if len(it) >= width:
            raise ValueError(f'{it!r} does not fit {width} bytes')
    body = ', '.join(nc.c_bytes(it) for it in items)
    return tables.add((width, tuple(items)), kind,
                      lambda ident: [f'constexpr char {ident}[{len(items)}][{width}] = {{{body}}};'])


def gen_languages():
    blocks = nc.read_blocks(os.path.join(nc.ROOT, LANG_SRC), 'language')
    if len(blocks) != 29:
        raise ValueError(f'expected 29 languages, found {len(blocks)}')
    terrs = territory_names()
    by_name = {b['name']: b for b in blocks}
    arrays = nc.SharedTables()
    records = []
    # Number 0: the placeholder, all texts empty, all numbers zero.
    empty = {
        'day_abbrevs': name_array(arrays, 'abbrev7', 11, [b''] * 7),
        'days': name_array(arrays, 'name7', 21, [b''] * 7),
        'month_abbrevs': name_array(arrays, 'abbrev12', 11, [b''] * 12),
        'months': name_array(arrays, 'name12', 21, [b''] * 12),
    }
    records.append(('""', 0, 0, 0, 0, '""', empty, (0, 0), (0, 0, 0, 0), ['""'] * 6, 0))
    for b in blocks:
        cs = b['charset']
        csno = nc.CHARSET_NAMES.index(cs)
        terr = terrs.index(b['territory'])
        sort = nc.SORT_NAMES.index(b['sort'])
        names_from = by_name[b['names_as']] if 'names_as' in b else b
        text_cs = cs  # every language stores its texts in its default set
        arr = {}
        for key, kind, width, count in (('day_abbrevs', 'abbrev7', 11, 7), ('days', 'name7', 21, 7),
                                        ('month_abbrevs', 'abbrev12', 11, 12),
                                        ('months', 'name12', 21, 12)):
            items = [nc.parse_text(w, text_cs) for w in names_from[key].split('|')]
            if len(items) != count:
                raise ValueError(f'{b["name"]} {key}: {len(items)} names')
            arr[key] = name_array(arrays, kind, width, items)
        words = [nc.c_bytes(nc.parse_text(b[k], text_cs)) for k in ('yes', 'no', 'ad', 'bc', 'am', 'pm')]
        a1, a2, bits = (int(x) for x in b['attributes'].split())
        longest = tuple(int(x) for x in b['longest'].split())
        records.append((nc.c_bytes(b['name'].encode('ascii')), terr, csno, csno, sort,
                        nc.c_bytes(b['abbrev'].encode('ascii')), arr, (a1, a2), longest, words, bits))
    out = [nc.banner('nls_langs.py', [LANG_SRC, TERR_SRC]),
           '// The built-in languages: liltbn and the records and name arrays it points to.',
           '#include "zunt/nls.h"', '', 'namespace {', '']
    out += arrays.lines
    out.append('')
    for i, (name, terr, cs, tcs, sort, abbrev, arr, attrs, longest, words, bits) in enumerate(records):
        out.append(f'constexpr li_langdef lang_{i} = {{')
        out.append(f'    {name}, {terr}, {cs}, {tcs}, {sort}, {abbrev},')
        out.append(f'    {arr["day_abbrevs"]}, {arr["days"]}, {arr["month_abbrevs"]}, {arr["months"]},')
        # longest: month, day, abbreviated month, abbreviated day
        out.append(f'    {attrs[0]}, {attrs[1]}, {longest[0]}, {longest[1]}, {longest[2]}, {longest[3]},')
        out.append(f'    {", ".join(words)},')
        out.append(f'    {bits}}};')
    out += nc.exported_array('li_langdef', 'liltbn', 'lang', len(records))
    return '\n'.join(out)


def gen_territories():
    blocks = nc.read_blocks(os.path.join(nc.ROOT, TERR_SRC), 'territory')
    if len(blocks) != 32:
        raise ValueError(f'expected 32 territories, found {len(blocks)}')
    out = [nc.banner('nls_langs.py', [TERR_SRC]),
           '// The built-in territories: littbn and the records it points to.',
           '#include "zunt/nls.h"', '', 'namespace {', '']
    for i, b in enumerate(blocks):
        cs = b['text_charset']
        csno = nc.CHARSET_NAMES.index(cs)

        def t(key):
            return nc.c_bytes(nc.parse_text(b[key], cs))

        a1, a2, a3 = (int(x) for x in b['attributes'].split())
        out.append(f'constexpr li_terrdef terr_{i} = {{')
        out.append(f'    {nc.c_bytes(b["name"].encode("ascii"))}, {t("decimal")}, {t("group")}, '
                   f'{t("iso_currency")}, {a1}, {a2},')
        out.append(f'    {t("currency")}, {csno}, {int(b["first_weekday"])}, {a3}, 0,')
        out.append(f'    {t("c_datetime")}, {t("c_date")}, {t("c_time")},')
        out.append(f'    {t("date_format")}, {t("time_format")}}};')
    out += nc.exported_array('li_terrdef', 'littbn', 'terr', len(blocks))
    return '\n'.join(out)


def main(argv):
    return nc.write_or_check({LANG_OUT: gen_languages(), TERR_OUT: gen_territories()}, argv,
                             'nls_langs.py')


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
