#!/usr/bin/python3
"""Write the small Visual FoxPro tables and containers that the container reader's tests read.

Run with Debian's interpreter, which has python3-dbf:

    /usr/bin/python3 tools/make_vfp_fixtures.py [OUTPUT_DIR]

OUTPUT_DIR defaults to tests/import/data. The files are committed; rerun this after changing it.
Damaged files are not written here: the tests make them by patching copies of these.

Written:
- types/alltypes.dbf (+ .fpt): a free Visual FoxPro table with every field type python3-dbf
  writes (C, N, F, I, Y, B, D, T, L, M, binary M, G, P), nullable fields first (python3-dbf
  numbers null bits by field index), a deleted record and a record of NULLs and blanks.
- codepages/cp437.dbf, cp850.dbf, cp1252.dbf (+ .fpt): the same German names with umlauts in
  a character and a memo field, each in its own code page.
- legacy/dbase3.dbf (0x03), dbase3memo.dbf (0x83, .dbt memo), foxpro2.dbf (0xF5, .fpt memo with
  ten-digit block numbers): older formats in code page 850.
- schule/QZ.DBC (+ .DCT) with tables whose files are found in several ways:
  schjahr (path "schjahr.dbf"), kolleg (path "kolleg.dbf", file KOLLEG.DBF: other letter case),
  beleg_gk (path "daten\\beleg_gk.dbf", file Daten/Beleg_GK.dbf: subfolder, backslash),
  fachangebot (path "fachang.dbf": long name differs, long field names), lehrer (empty path:
  found by name) and ckkurs (named, but its file is missing).
"""

import datetime
import os
import shutil
import sys
from decimal import Decimal

import dbf

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vfpcontainer  # noqa: E402

UPDATED = datetime.date(2009, 8, 1)
NAMES = ['Müller', 'Weiß', 'Äpfelbäumer', 'Öztürk', 'Überle']


def stamp_update(path):
    """python3-dbf stamps today's date; fix it so that reruns give identical files."""
    with open(path, 'r+b') as f:
        f.seek(1)
        f.write(bytes([UPDATED.year % 100, UPDATED.month, UPDATED.day]))


def mark_deleted(path, index):
    """Set a record's deletion byte in place; reopening with python3-dbf would rewrite the header
    that vfpcontainer has mended."""
    with open(path, 'r+b') as f:
        head = f.read(12)
        header_length = int.from_bytes(head[8:10], 'little')
        record_length = int.from_bytes(head[10:12], 'little')
        f.seek(header_length + index * record_length)
        f.write(b'*')


def write_types(out):
    os.makedirs(out)
    layout = ('NNAME C(20) null; NNUM N(6,0) null; NDATE D null; NLOG L null; NMEMO M null; '
            'NAME C(20); AMOUNT N(10,2); COUNT N(5,0); RATE F(12,4); QTY I; PRICE Y; RATIO B; '
            'BORN D; STAMP T; FLAG L; NOTE M; RAW M binary; GEN G; PIC P')
    filled = ('Bär', 12, datetime.date(2001, 2, 3), True, 'Notiz mit ä',
              'Größe', 1234.5, -42, 3.25, -7, Decimal('12.3456'), 2.5,
              datetime.date(1999, 12, 31), datetime.datetime(2009, 8, 1, 13, 45, 30), False,
              'Zeile 1\r\nZeile 2 ö', b'\x00\x01\xfe\xff', b'GENERAL', b'PICTURE')
    gone = ('weg', 1, None, None, None, 'gelöscht', 1, 1, 1, 1, 1, 1,
            None, None, True, 'gelöscht', None, None, None)
    nulls = (dbf.Null,) * 5 + (None,) * 14
    negative = ('  vorn blank', -99999, datetime.date(2000, 2, 29), False, '',
                'x', -0.01, 0, -1.5, -2147483647, Decimal('-922337203685477.5807'), -1e100,
                datetime.date(1900, 1, 1), datetime.datetime(1999, 12, 31, 23, 59, 59), True,
                None, None, None, None)
    path = os.path.join(out, 'alltypes.dbf')
    vfpcontainer.create_table(path, layout, [filled, gone, nulls, negative], codepage='cp1252',
                              container='', updated=UPDATED)
    mark_deleted(path, 1)


def write_codepages(out):
    os.makedirs(out)
    for codepage in ('cp437', 'cp850', 'cp1252'):
        rows = [(name, 'Memo von %s: ÄÖÜäöüß' % name) for name in NAMES]
        vfpcontainer.create_table(os.path.join(out, codepage + '.dbf'),
                                  'NAME C(20); NOTE M', rows, codepage=codepage, container='',
                                  updated=UPDATED)


def write_legacy(out):
    os.makedirs(out)
    layouts = [('dbase3', 'db3', 'NAME C(20); NUM N(5,1); BORN D; OK L'),
             ('dbase3memo', 'db3', 'NAME C(20); NUM N(5,1); BORN D; OK L; NOTE M'),
             ('foxpro2', 'fp', 'NAME C(20); NUM N(5,1); BORN D; OK L; NOTE M')]
    for name, kind, layout in layouts:
        path = os.path.join(out, name + '.dbf')
        table = dbf.Table(path, layout, dbf_type=kind, codepage='cp850')
        memo = 'NOTE' in layout
        with table:
            for i, person in enumerate(NAMES[:3]):
                row = (person, i * 1.5, datetime.date(1990 + i, 1 + i, 10 + i), i % 2 == 0)
                table.append(row + (('Memo %s' % person,) if memo else ()))
            table.append(('gelöscht', 9, None, None) + (('weg',) if memo else ()))
            dbf.delete(table[-1])
        stamp_update(path)


def write_container(out):
    os.makedirs(os.path.join(out, 'Daten'))
    make = vfpcontainer.create_table
    make(os.path.join(out, 'schjahr.dbf'), 'SJ_ID C(6); SJ_SCHJ C(9); SJ_AA_12 C(2)',
         [('     1', '2009/2010', 'AA'), ('     2', '2010/2011', None)], updated=UPDATED)
    make(os.path.join(out, 'kolleg.dbf'),
         'KO_ID C(6); KO_KURSPH C(4); KO_FAMNAME C(30); KO_RUFNAME C(20); KO_BEMERK M',
         [('    11', '2009', 'Müller', 'Jörg', 'wechselt die Schule'),
          ('    12', '2008', 'Weiß', 'Änne', None)], updated=UPDATED)
    # Visual FoxPro on Windows keeps whatever case the files were given.
    for extension in ('dbf', 'fpt'):
        os.rename(os.path.join(out, 'kolleg.' + extension),
                  os.path.join(out, 'KOLLEG.' + extension.upper()))
    make(os.path.join(out, 'Daten', 'Beleg_GK.dbf'),
         'GK_KO_ID C(6); GK_FA_ID C(6); GK_KS_ID12 C(6); GK_KS_ID13 C(6); GK_ART C(1)',
         [('    11', '     3', '    21', None, 'G')], container='..\\QZ.DBC', updated=UPDATED)
    make(os.path.join(out, 'fachang.dbf'), 'FA_ID C(6); FA_BEZEICH C(40)',
         [('     3', 'Deutsch'), ('     4', 'Geschichte')], updated=UPDATED)
    make(os.path.join(out, 'lehrer.dbf'), 'LE_ID C(6); LE_KUERZ C(4)',
         [('     5', 'Hub')], updated=UPDATED)
    vfpcontainer.write_container(os.path.join(out, 'QZ.DBC'), [
        ('schjahr', 'schjahr.dbf', []),
        ('kolleg', 'kolleg.dbf', []),
        ('beleg_gk', 'daten\\beleg_gk.dbf', []),
        ('fachangebot', 'fachang.dbf', ['fa_id', 'fa_bezeichnung']),
        ('lehrer', '', []),
        ('ckkurs', 'ckkurs.dbf', []),
    ], updated=UPDATED)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'tests', 'import', 'data')
    for part, writer in (('types', write_types), ('codepages', write_codepages),
                         ('legacy', write_legacy), ('schule', write_container)):
        target = os.path.join(out, part)
        shutil.rmtree(target, ignore_errors=True)
        writer(target)


if __name__ == '__main__':
    main()
