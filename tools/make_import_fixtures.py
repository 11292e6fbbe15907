#!/usr/bin/python3
"""Write the small administration containers that the import's tests run on.

Run with Debian's interpreter, which has python3-dbf:

    /usr/bin/python3 tools/make_import_fixtures.py [OUTPUT_DIR]

OUTPUT_DIR defaults to tests/import/data. The files are committed; rerun this after changing it.
The result is deterministic. Every container holds the nine tables the import reads; the rows
are few, so that a test can work out each expected result by hand.

School years (SJ_ID, SJ_SCHJ) in stored order, the same in every container:
    "     7" 2007/2008, "     8" 2008/2009 (previous), "     9" 2009/2010 (current),
    "    12" 2012/2013 (no students of 2012 or 2011).

rules/ - the transfer rules, for the school year 2009/2010:
- kolleg: Adler, Bäcker (2009), Cramer, Dörfler (2008), Ernst (2007, another cohort).
- kurs (KS_ID, school year, KS_JGST, KS_LKGK, KS_BEZ), and the selections that import it
  (one cohort 2009, one cohort 2008, both):
      1 cur 11 K 1D1     2009, both          7 prev 12 K 2D9    both
      2 cur 11 L 1LD1    both                8 prev 50 K 5Ps1   2008, both
      3 cur 50 K 5Inf1   2009, 2008, both    9 prev 11 L 1LE1   both
      4 cur 12 K 2D1     2008, both         10 2007 11 K 1D7    never
      5 cur 12 L 2LM1    both               11 2007 50 K 5Inf7  never
      6 prev 11 K 1D2    2008, both         12 cur 50 W Chor    both
- block: seven rails of 2009/2010 with the keys "    31" to "    37" (the seventh gets BL_ID 7
  in the new file), one of 2008/2009 ("    40").
- ckkurs: course 1 on rail 31; courses 3 and 4 on rail 37; course 1 on rail 40 (another school
  year: keeps its key); course 10 on rail 31 (course never imported: dropped); course 3 on no
  rail (blank key: kept, no rail's).
- beleg_gk: seven choices; Ernst's (2007) is not imported with any selection.

teacher_twice/ - as rules/, with a third teacher whose LE_KUERZ "Mü" repeats the first one's.

long_hours/ - as rules/, but course 2D1 (imported with cohort 2008) has 10 hours: more than the
placement's one-digit hours can hold. (The administration's rails hold one digit.)

no_courses/ - as rules/, but table kurs holds a single deleted record and so no course at all.

preassign/ - the pre-assignment, imported with both cohorts of 2009/2010. Courses of the current
school year: 1D1, 1D2 (D 2009), 1E1 (E 2009), 2D1, 2D2 (D 2008, 2D1 first), 2M1 (M 2008, kind
K) before 2LM1 (kind L), 2Ph1 (Ph 2008), 5Inf1 (code 50: Inf 2009 in KS_FA_ID1, Inf 2008 in
KS_FA_ID3), 2Ku1 (Ku 2008 in KS_FA_ID4 only). Of the previous school year: 1D2 and 1D7 (the
year-12 courses that the year-13 choices name). No course for It (FA_BEZ "It") nor for the
subject key "123456", which fachang does not hold. The choices (GK_ID: student, subject, type,
what the pre-assignment gives):
    1 Adler   D 2009 S -> 1D1        9 Cramer  Inf 2008 X -> 5Inf1 (the code-50 course)
    2 Adler   E 2009 B -> none (B)  10 Cramer  Ph 2008 A -> none (A)
    3 Adler   Inf 2009 C -> 5Inf1   11 Dörfler D 2008 S, year 12 "1D7" -> 2D1 (no match)
    4 Bäcker  E 2009 A -> 1E1       12 Dörfler M 2008 S -> 2M1
    5 Bäcker  D 2009 L, 1D2 set     13 Dörfler Ph 2008 B -> 2Ph1
    6 Cramer  D 2008 S, year 12 "1D2" -> 2D2 (over 2D1)
    7 Cramer  M 2008 L -> 2LM1      14 Dörfler Ku 2008 C -> 2Ku1
    8 Fuchs   D 2008 S, no year-12 course -> 2D1
   15 Fuchs   It 2008 X -> line "2008: Fach: It   Fuchs"
   16 Fuchs   "123456" S -> line "2008: Fach: 1234 Fuchs"
   17 Fuchs   D 2008 C, year 13 already "2D2" -> stays
"""

import datetime
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vfpcontainer  # noqa: E402  (needs python3-dbf)

UPDATED = datetime.date(2009, 9, 21)

TABLES = ('schjahr', 'schule', 'lehrer', 'kurs', 'block', 'ckkurs', 'kolleg', 'fachang',
          'beleg_gk')

# The import reads schule's 2nd and 3rd and beleg_gk's 3rd and 4th columns by position.
LAYOUTS = {
    'schjahr': 'SJ_ID C(6); SJ_SCHJ C(9); SJ_AA_12 C(1); SJ_AA_13 C(1)',
    'schule': 'SH_NUMMER C(4); SH_AMTLBE1 C(80); SH_AMTLBE2 C(80); SH_KURZBEZ C(30)',
    'lehrer': 'LE_ID C(6); LE_KUERZ C(4); LE_BEZ C(30)',
    'kurs': 'KS_ID C(6); KS_SCHJ C(6); KS_BEZ C(6); KS_SORT N(4,0); KS_LE_ID C(6); '
            'KS_FA_ID1 C(6); KS_FA_ID2 C(6); KS_FA_ID3 C(6); KS_FA_ID4 C(6); KS_JGST C(2); '
            'KS_LKGK C(1); KS_STD N(2,0); KS_STDVL N(2,0); KS_MIN N(3,0); KS_MAX N(3,0); '
            'KS_OPT N(3,0)',
    'block': 'BL_ID C(6); BL_SCHJ C(6); BL_BEZ C(6); BL_NAME C(30); BL_STD N(1,0); '
             'BL_SORT N(3,0)',
    'ckkurs': 'CK_ID C(6); CK_BL_ID C(6); CK_KS_ID C(6)',
    'kolleg': 'KO_ID C(6); KO_KURSPH C(4); KO_FAMNAME C(30); KO_RUFNAME C(20); KO_PARALLE C(2)',
    'fachang': 'FA_ID C(6); FA_KURSPH C(4); FA_PSCHL C(4); FA_BEZ C(3); FA_BELEG C(8); '
               'FA_STDGK C(1); FA_GLEICH C(4)',
    'beleg_gk': 'GK_ID C(6); GK_KO_ID C(6); GK_KS_ID12 C(6); GK_KS_ID13 C(6); GK_FA_ID C(6); '
                'GK_ART C(1)',
}

CUR, PREV, OLD = '     9', '     8', '     7'


def key(number):
    return '%6d' % number


def base():
    """The tables every container starts from."""
    return {
        'schjahr': [(OLD, '2007/2008', '2', '4'), (PREV, '2008/2009', '2', '4'),
                    (CUR, '2009/2010', '1', '3'), (key(12), '2012/2013', '1', '3')],
        'schule': [('0815', 'Städtisches Gymnasium am Weißen Stein',
                    'Naturwissenschaftlich-technologisches Gymnasium', 'Gymnasium Weißenstein')],
        'lehrer': [(key(1), 'Mü', 'Müller, Gerda'), (key(2), 'Hu', 'Huber, Klaus')],
        'kolleg': [(key(1), '2009', 'Adler', 'Anna', 'a'), (key(2), '2009', 'Bäcker', 'Ben', 'b'),
                   (key(3), '2008', 'Cramer', 'Clara', 'a'),
                   (key(4), '2008', 'Dörfler', 'Dieter', 'b'),
                   (key(5), '2007', 'Ernst', 'Eva', 'a')],
    }


def subject(fid, phase, bez, pschl):
    return (key(fid), phase, pschl, bez, 'LABSCX', '3', '')


def course(kid, sj, bez, jgst, kind, fa1='', fa2='', fa3='', fa4='', sort=0):
    hours = 6 if kind == 'L' else 3
    return (key(kid), sj, bez, sort or kid, key(1), fa1, fa2, fa3, fa4, jgst, kind, hours, hours,
            8, 25, 20)


def rules():
    t = base()
    t['fachang'] = [subject(1, '2009', 'D', '0100'), subject(2, '2009', 'M', '0600'),
                    subject(3, '2008', 'D', '0100'), subject(4, '2008', 'M', '0600'),
                    subject(5, '2007', 'D', '0100')]
    t['kurs'] = [course(1, CUR, '1D1', '11', 'K', fa1=key(1)),
                 course(2, CUR, '1LD1', '11', 'L', fa1=key(1)),
                 course(3, CUR, '5Inf1', '50', 'K', fa1=key(1), fa3=key(3)),
                 course(4, CUR, '2D1', '12', 'K', fa1=key(3), fa3=key(3)),
                 course(5, CUR, '2LM1', '12', 'L', fa1=key(4), fa3=key(4)),
                 course(6, PREV, '1D2', '11', 'K', fa1=key(3)),
                 course(7, PREV, '2D9', '12', 'K', fa3=key(5)),
                 course(8, PREV, '5Ps1', '50', 'K', fa1=key(3)),
                 course(9, PREV, '1LE1', '11', 'L', fa1=key(3)),
                 course(10, OLD, '1D7', '11', 'K', fa1=key(5)),
                 course(11, OLD, '5Inf7', '50', 'K', fa1=key(5)),
                 course(12, CUR, 'Chor', '50', 'W', fa1=key(2), fa3=key(4))]
    rails = [(key(30 + n), CUR, 'GK%d' % n, 'Grundkurse %d' % n, 3, 10 * n) for n in range(1, 8)]
    t['block'] = rails + [(key(40), PREV, 'GK1', 'Grundkurse 1 (Vorjahr)', 3, 10)]
    t['ckkurs'] = [(key(1), key(31), key(1)), (key(2), key(37), key(3)),
                   (key(3), key(37), key(4)), (key(4), key(40), key(1)),
                   (key(5), key(31), key(10)), (key(6), '', key(3))]
    t['beleg_gk'] = [(key(1), key(1), key(1), '', key(1), 'S'),
                     (key(2), key(1), '', '', key(2), 'L'),
                     (key(3), key(2), '', '', key(1), 'S'),
                     (key(4), key(3), key(6), '', key(3), 'S'),
                     (key(5), key(4), key(6), key(4), key(3), 'S'),
                     (key(6), key(5), key(10), '', key(5), 'S'),
                     (key(7), key(4), '', '', key(4), 'L')]
    return t


def teacher_twice():
    t = rules()
    t['lehrer'] = t['lehrer'] + [(key(3), 'Mü', 'Mühlbauer, Ernst')]
    return t


def long_hours():
    t = rules()
    t['kurs'] = [c if c[2] != '2D1' else c[:11] + (10, 10) + c[13:] for c in t['kurs']]
    return t


def no_courses():
    t = rules()
    t['kurs'] = [course(1, CUR, '1D1', '11', 'K', fa1=key(1))]
    t['ckkurs'] = []
    return t


def preassign():
    t = base()
    t['kolleg'] = t['kolleg'] + [(key(6), '2008', 'Fuchs', 'Felix', 'a')]
    fa = {('2009', 'D'): 1, ('2009', 'E'): 2, ('2009', 'Inf'): 3, ('2008', 'D'): 11,
          ('2008', 'M'): 12, ('2008', 'Ph'): 13, ('2008', 'Inf'): 14, ('2008', 'Ku'): 15,
          ('2008', 'It'): 16}
    pschl = {'D': '0100', 'E': '0200', 'M': '0600', 'Ph': '0700', 'Inf': '1000', 'Ku': '1800',
             'It': '0500'}
    t['fachang'] = [subject(n, phase, bez, pschl[bez]) for (phase, bez), n in fa.items()]

    def f(phase, bez):
        return key(fa[(phase, bez)])

    t['kurs'] = [course(1, CUR, '1D1', '11', 'K', fa1=f('2009', 'D')),
                 course(2, CUR, '1D2', '11', 'K', fa1=f('2009', 'D')),
                 course(3, CUR, '1E1', '11', 'K', fa1=f('2009', 'E')),
                 course(4, CUR, '2D1', '12', 'K', fa1=f('2008', 'D'), fa3=f('2008', 'D')),
                 course(5, CUR, '2D2', '12', 'K', fa1=f('2008', 'D'), fa3=f('2008', 'D')),
                 course(6, CUR, '2M1', '12', 'K', fa1=f('2008', 'M'), fa3=f('2008', 'M')),
                 course(7, CUR, '2LM1', '12', 'L', fa1=f('2008', 'M'), fa3=f('2008', 'M')),
                 course(8, CUR, '2Ph1', '12', 'K', fa1=f('2008', 'Ph'), fa3=f('2008', 'Ph')),
                 course(9, CUR, '5Inf1', '50', 'K', fa1=f('2009', 'Inf'), fa3=f('2008', 'Inf')),
                 course(10, CUR, '2Ku1', '12', 'K', fa4=f('2008', 'Ku')),
                 course(11, PREV, '1D2', '11', 'K', fa1=f('2008', 'D')),
                 course(12, PREV, '1D7', '11', 'K', fa1=f('2008', 'D'))]
    t['block'] = [(key(31), CUR, 'GK1', 'Grundkurse 1', 3, 10)]
    t['ckkurs'] = []
    choices = [(1, '2009', 'D', 'S', '', ''), (1, '2009', 'E', 'B', '', ''),
               (1, '2009', 'Inf', 'C', '', ''), (2, '2009', 'E', 'A', '', ''),
               (2, '2009', 'D', 'L', key(2), ''), (3, '2008', 'D', 'S', key(11), ''),
               (3, '2008', 'M', 'L', '', ''), (6, '2008', 'D', 'S', '', ''),
               (3, '2008', 'Inf', 'X', '', ''), (3, '2008', 'Ph', 'A', '', ''),
               (4, '2008', 'D', 'S', key(12), ''), (4, '2008', 'M', 'S', '', ''),
               (4, '2008', 'Ph', 'B', '', ''), (4, '2008', 'Ku', 'C', '', ''),
               (6, '2008', 'It', 'X', '', ''), (6, None, '123456', 'S', '', ''),
               (6, '2008', 'D', 'C', '', key(5))]
    t['beleg_gk'] = [(key(n), key(student), ks12, ks13,
                      f(phase, bez) if phase else bez, art)
                     for n, (student, phase, bez, art, ks12, ks13) in enumerate(choices, 1)]
    return t


def mark_deleted(path, index):
    """Set a record's deletion byte in place."""
    with open(path, 'r+b') as f:
        head = f.read(12)
        header_length = int.from_bytes(head[8:10], 'little')
        record_length = int.from_bytes(head[10:12], 'little')
        f.seek(header_length + index * record_length)
        f.write(b'*')


def write(out, tables):
    os.makedirs(out)
    for name in TABLES:
        vfpcontainer.create_table(os.path.join(out, name + '.dbf'), LAYOUTS[name], tables[name],
                                  codepage='cp1252', container='QZ.DBC', updated=UPDATED)
    vfpcontainer.write_container(
        os.path.join(out, 'QZ.DBC'),
        [(name, name + '.dbf', [f.split()[0].lower() for f in LAYOUTS[name].split(';')])
         for name in TABLES],
        updated=UPDATED)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'tests', 'import', 'data')
    for case, tables in (('rules', rules()), ('teacher_twice', teacher_twice()),
                         ('no_courses', no_courses()), ('preassign', preassign()),
                         ('long_hours', long_hours())):
        target = os.path.join(out, case)
        shutil.rmtree(target, ignore_errors=True)
        write(target, tables)
        if case == 'no_courses':
            mark_deleted(os.path.join(target, 'kurs.dbf'), 0)


if __name__ == '__main__':
    main()
