#!/usr/bin/python3
"""Generate the administration container of a demo upper school (Gymnasium, Kollegstufe).

Writes QZ.DBC/QZ.DCT and the tables schjahr, schule, lehrer, kurs, block, ckkurs, kolleg,
fachang, beleg_gk and beleg_lk as the administration program Orvid keeps them. The result is
deterministic: the same arguments give byte-identical files.

Run with Debian's interpreter, which has python3-dbf and python3-dbfread:

    /usr/bin/python3 tools/make_demo_school.py                     # data/demo, 120 per cohort
    /usr/bin/python3 tools/make_demo_school.py --students 400 --output build/school400

What the data holds, for a school year starting in year Y:
- Cohort Y (year group 12) with most course columns still empty, so the pre-assignment has
  work; a few advanced-course choices already carry their course.
- Cohort Y-1 (year group 13) whose year-12 column names last school year's course ("1D2"),
  so the pre-assignment can follow it to the parallel course of the same number ("2D2");
  newcomers without year-12 courses; a few year-13 courses already entered.
- A few students of older cohorts, subject offers and courses of other school years, and
  rails of other school years: all of it must stay out of the import.
- Combined courses of both year groups (code "50") for the small subjects, and a subject
  (Italienisch) that some students chose but for which no course exists.
- About half of the school year's courses already placed on its rails, one placement on a
  rail of another school year and one of a course of a school year that is never imported.

Course names: year-group digit ("1" year 12, "2" year 13, "5" both), "L" for an advanced
course, the subject, the parallel number: "1D2", "2LM1", "5Inf1". The pre-assignment compares
names from the second character on, so a course keeps its name from year 12 to year 13.
"""

import argparse
import datetime
import math
import os
import random
import re
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import vfpcontainer  # noqa: E402  (needs python3-dbf)

SEED = 20090914
CODEPAGE = 'cp1252'

TABLES = ('schjahr', 'schule', 'lehrer', 'kurs', 'block', 'ckkurs', 'kolleg', 'fachang',
          'beleg_gk', 'beleg_lk')

# Field layouts. The import reads some columns by position (schule: 2nd and 3rd, beleg_gk:
# 3rd and 4th), so the order matters. No field is nullable: python3-dbf numbers null bits
# differently from Visual FoxPro, and readers take all-blank text as NULL anyway.
SPECS = {
    'schjahr': 'SJ_ID C(6); SJ_SCHJ C(9); SJ_AA_12 C(1); SJ_AA_13 C(1); SJ_BEGINN D; SJ_ENDE D',
    'schule': 'SH_NUMMER C(4); SH_AMTLBE1 C(80); SH_AMTLBE2 C(80); SH_KURZBEZ C(30); '
              'SH_STRASSE C(40); SH_PLZ C(5); SH_ORT C(30)',
    'lehrer': 'LE_ID C(6); LE_KUERZ C(4); LE_BEZ C(30); LE_FACH1 C(3); LE_FACH2 C(3)',
    'kurs': 'KS_ID C(6); KS_SCHJ C(6); KS_BEZ C(6); KS_SORT N(4,0); KS_LE_ID C(6); '
            'KS_FA_ID1 C(6); KS_FA_ID2 C(6); KS_FA_ID3 C(6); KS_FA_ID4 C(6); KS_JGST C(2); '
            'KS_LKGK C(1); KS_STD N(2,0); KS_STDVL N(2,0); KS_MIN N(3,0); KS_MAX N(3,0); '
            'KS_OPT N(3,0)',
    'block': 'BL_ID C(6); BL_SCHJ C(6); BL_BEZ C(6); BL_NAME C(30); BL_STD N(1,0); '
             'BL_SORT N(3,0)',
    'ckkurs': 'CK_ID C(6); CK_BL_ID C(6); CK_KS_ID C(6)',
    'kolleg': 'KO_ID C(6); KO_KURSPH C(4); KO_FAMNAME C(30); KO_RUFNAME C(20); KO_GESCHL C(1); '
              'KO_GEBDAT D; KO_PARALLE C(2); KO_BEMERK M',
    'fachang': 'FA_ID C(6); FA_KURSPH C(4); FA_PSCHL C(4); FA_BEZ C(3); FA_BELEG C(8); '
               'FA_STDGK C(1); FA_GLEICH C(4); FA_NAME C(30)',
    'beleg_gk': 'GK_ID C(6); GK_KO_ID C(6); GK_KS_ID12 C(6); GK_KS_ID13 C(6); GK_FA_ID C(6); '
                'GK_ART C(1)',
    'beleg_lk': 'LK_ID C(6); LK_KO_ID C(6); LK_FA_ID C(6); LK_KS_ID C(6); LK_THEMA C(80)',
}

# Long field names the container gives where the table holds a name cut to 10 characters.
LONG_NAMES = {('schule', 'SH_AMTLBE1'): 'sh_amtlbez1', ('schule', 'SH_AMTLBE2'): 'sh_amtlbez2'}

# Subject offer: designation, official key, name, hours as basic course, may be advanced.
SUBJECTS = [
    ('D', '0100', 'Deutsch', 3, True),
    ('E', '0200', 'Englisch', 3, True),
    ('F', '0300', 'Französisch', 3, True),
    ('L', '0400', 'Latein', 3, True),
    ('It', '0500', 'Italienisch', 3, False),
    ('M', '0600', 'Mathematik', 3, True),
    ('Ph', '0700', 'Physik', 3, True),
    ('Ch', '0800', 'Chemie', 3, True),
    ('B', '0900', 'Biologie', 3, True),
    ('Inf', '1000', 'Informatik', 3, False),
    ('G', '1100', 'Geschichte', 2, True),
    ('Ek', '1200', 'Erdkunde', 2, True),
    ('Sk', '1300', 'Sozialkunde', 2, False),
    ('WR', '1400', 'Wirtschaft und Recht', 2, True),
    ('Rk', '1500', 'Kath. Religionslehre', 2, False),
    ('Ev', '1600', 'Ev. Religionslehre', 2, False),
    ('Eth', '1700', 'Ethik', 2, False),
    ('Ku', '1800', 'Kunst', 3, True),
    ('Mu', '1900', 'Musik', 3, True),
    ('Sp', '2000', 'Sport', 2, True),
    ('Ps', '2100', 'Psychologie', 2, False),
]
SUBJECT = {s[0]: s for s in SUBJECTS}
ORDER = {s[0]: i for i, s in enumerate(SUBJECTS)}
# Small and elective subjects: courses for both year groups together.
COMBINED = ('Inf', 'Eth', 'Ps')
# Chosen by a handful of students, but no teacher: no course in any school year.
NO_COURSE = ('It',)
RELIGION = ('Rk', 'Ev', 'Eth')

ADVANCED_HOURS = 6
# Choice types: L advanced course; basic courses S (compulsory), C (chosen) and X (additional)
# run through both year groups, A only through year group 12, B only through year group 13.
COUNTS_IN_12 = set('LASCX')
COUNTS_IN_13 = set('LBSCX')

FAMILY_NAMES = [
    'Müller', 'Schmidt', 'Schneider', 'Fischer', 'Weber', 'Meyer', 'Wagner', 'Becker', 'Schulz',
    'Hoffmann', 'Schäfer', 'Koch', 'Bauer', 'Richter', 'Klein', 'Wolf', 'Schröder', 'Neumann',
    'Schwarz', 'Zimmermann', 'Braun', 'Krüger', 'Hofmann', 'Hartmann', 'Lange', 'Schmitt',
    'Werner', 'Krause', 'Meier', 'Lehmann', 'Schmid', 'Maier', 'Köhler', 'Herrmann', 'König',
    'Walter', 'Mayer', 'Huber', 'Kaiser', 'Fuchs', 'Lang', 'Scholz', 'Möller', 'Weiß', 'Jung',
    'Hahn', 'Schubert', 'Vogel', 'Friedrich', 'Keller', 'Günther', 'Frank', 'Berger', 'Winkler',
    'Roth', 'Beck', 'Lorenz', 'Baumann', 'Albrecht', 'Schuster', 'Ludwig', 'Böhm', 'Winter',
    'Kraus', 'Schumacher', 'Krämer', 'Vogt', 'Stein', 'Jäger', 'Sommer', 'Groß', 'Seidel',
    'Brandl', 'Haas', 'Graf', 'Dietrich', 'Ziegler', 'Kühn', 'Pohl', 'Engel', 'Horn', 'Bergmann',
    'Sauer', 'Arnold', 'Pfeiffer', 'Obermaier', 'Wimmer', 'Gruber', 'Stöckl', 'Aigner', 'Hölzl',
    'Reiß', 'Strauß', 'Schön', 'Fröhlich', 'Süß', 'Grünwald', 'Löffler', 'Späth', 'Rößler',
    'Weißenberger', 'Oßwald', 'Straßer', 'Öztürk', 'Özdemir', 'Yilmaz', 'Kaya', 'Nowak',
    'Kowalski', 'Papadopoulos', 'Nguyen', 'Esposito', 'Di Marco', 'von Aretin', 'Ähnlich',
]
MALE_NAMES = [
    'Maximilian', 'Alexander', 'Lukas', 'Jonas', 'Felix', 'Tobias', 'Florian', 'Sebastian',
    'Michael', 'Daniel', 'Simon', 'Julian', 'Moritz', 'Philipp', 'Jan', 'Niklas', 'Benedikt',
    'Johannes', 'Matthias', 'Stefan', 'Andreas', 'Christian', 'Dominik', 'Fabian', 'Jürgen',
    'Jörg', 'Sören', 'Björn', 'Kai', 'Emre', 'Mehmet', 'Luca', 'Georg', 'Korbinian', 'Quirin',
    'Valentin', 'Severin', 'Raphael', 'Thomas', 'Jérôme',
]
FEMALE_NAMES = [
    'Anna', 'Lena', 'Julia', 'Laura', 'Sophie', 'Sarah', 'Katharina', 'Lisa', 'Hannah', 'Marie',
    'Johanna', 'Theresa', 'Franziska', 'Veronika', 'Magdalena', 'Carolin', 'Stefanie',
    'Christina', 'Verena', 'Miriam', 'Jana', 'Nina', 'Lea', 'Clara', 'Elisabeth', 'Zoë',
    'Chloé', 'Anaïs', 'Renée', 'Mareike', 'Annika', 'Kathrin', 'Barbara', 'Regina', 'Zeynep',
    'Selin', 'Bärbel', 'Jördis',
]
TEACHER_FIRST_NAMES = [
    'Gerda', 'Wolfgang', 'Helmut', 'Ursula', 'Brigitte', 'Hans-Peter', 'Klaus', 'Renate',
    'Dieter', 'Monika', 'Günter', 'Ingrid', 'Bernd', 'Sabine', 'Rüdiger', 'Gisela', 'Karin',
    'Manfred', 'Elke', 'Reinhard', 'Birgit', 'Heinz', 'Petra', 'Jörg', 'Hildegard', 'Ludwig',
]
# Subject pairs of the teachers, the common combinations first.
TEACHER_SUBJECTS = [
    ('D', 'G'), ('M', 'Ph'), ('E', 'F'), ('B', 'Ch'), ('D', 'E'), ('M', 'Inf'), ('E', 'G'),
    ('Ek', 'WR'), ('Sp', 'B'), ('Ku', ''), ('Mu', ''), ('Rk', 'G'), ('L', 'G'), ('D', 'Sk'),
    ('M', 'WR'), ('Ev', 'D'), ('Sp', 'Ek'), ('Ch', 'Ph'), ('L', 'F'), ('D', 'Eth'), ('Sk', 'G'),
    ('M', 'Ch'), ('E', 'Sp'), ('Rk', 'D'), ('B', 'Ek'), ('Mu', 'D'), ('Ku', 'G'), ('Ph', 'Inf'),
]
NOTES = [
    'Nachteilsausgleich (Legasthenie) laut Bescheid vom Ministerialbeauftragten.',
    'Attest Sport: vom praktischen Teil befreit bis auf Weiteres.',
    'Wechsel aus dem sprachlichen Zweig; Latein als spätbeginnende Fremdsprache.',
    'Auslandsaufenthalt im 1. Halbjahr (Austausch Frankreich), Rückkehr zum Halbjahr.',
    'Schülersprecher; Freistellung für SMV-Sitzungen genehmigt.',
    'Hochbegabtenförderung: Teilnahme am Frühstudium Mathematik (Universität).',
]
THEMES = [
    'Die Darstellung der Großstadt in der Lyrik des Expressionismus',
    'Fraktale Geometrie: Julia-Mengen und ihre Berechnung',
    'Die Wasserqualität der Würm zwischen Starnberg und Gauting',
    'Stilmittel in Shakespeares "Macbeth"',
    'Die Räterepublik in München 1919',
    'Schwingungsverhalten gekoppelter Pendel',
    'Synthese und Nachweis von Acetylsalicylsäure',
    'Ökologische Landwirtschaft im Landkreis Fürstenfeldbruck',
    'Bildaufbau bei Caspar David Friedrich',
    'Die Rolle der Zentralbanken in der Finanzkrise 2008',
    'Heinrich Heines "Wintermärchen" als politische Satire',
    'Genetischer Fingerabdruck: Methoden und Grenzen',
]


def key(number):
    """Six-character key: the number right-aligned with leading blanks."""
    return '%6d' % number


def weighted(rng, weights):
    items = list(weights.items())
    return rng.choices([k for k, _ in items], [w for _, w in items])[0]


class Numbering:
    """Running row keys of one table."""

    def __init__(self):
        self.last = 0

    def next(self):
        self.last += 1
        return key(self.last)


# --------------------------------------------------------------------------- students

def make_choices(rng):
    """Course choices of one student: (subject, choice type), about 15 of them."""
    first = weighted(rng, {'M': 30, 'D': 22, 'E': 18, 'B': 10, 'Ph': 8, 'Ch': 6, 'F': 4})
    second = weighted(rng, {s: w for s, w in {
        'D': 12, 'E': 14, 'G': 10, 'Ek': 8, 'WR': 10, 'Ku': 6, 'Sp': 7, 'B': 10, 'Ch': 5,
        'Mu': 4, 'F': 3, 'M': 10, 'Ph': 5}.items() if s != first})
    choices = [(first, 'L'), (second, 'L')]
    taken = {first, second}

    def add(subject, art):
        if subject not in taken:
            taken.add(subject)
            choices.append((subject, art))

    for subject in ('D', 'M', 'G', 'Sk', 'Sp'):
        add(subject, 'S')
    add(weighted(rng, {'Rk': 55, 'Ev': 30, 'Eth': 15}), 'S')
    if not taken & {'E', 'F', 'L'}:
        add('E' if rng.random() < 0.85 else rng.choice(['F', 'L']), 'S')
    if rng.random() < 0.5:
        add(rng.choice(['F', 'L', 'E']), 'C')
    # One-year courses (A in year 12, B in year 13) come in pairs: Kunst in 12, Musik in 13.
    sciences = [s for s in ('B', 'Ch', 'Ph') if s not in taken]
    rng.shuffle(sciences)
    if not {'B', 'Ch', 'Ph'} & {first, second}:
        add(sciences.pop(0), 'S')
    if sciences and rng.random() < 0.9:
        art = rng.choice('CA')
        add(sciences.pop(0), art)
        if sciences and rng.random() < (0.6 if art == 'A' else 0.45):
            add(sciences.pop(0), 'B' if art == 'A' else 'X')
    social = ['Ek', 'WR']
    rng.shuffle(social)
    add(social[0], 'C')
    if rng.random() < 0.95:
        add(social[1], weighted(rng, {'B': 4, 'A': 2, 'C': 2}))
    arts = ['Ku', 'Mu']
    rng.shuffle(arts)
    art = rng.choice('AC')
    add(arts[0], art)
    if rng.random() < (0.85 if art == 'A' else 0.5):
        add(arts[1], 'B' if art == 'A' else 'X')
    for subject, share in (('Ps', 0.4), ('Inf', 0.25)):
        if rng.random() < share:
            add(subject, rng.choice('XC'))
    if rng.random() < 0.025:
        add('It', 'X')
    return choices


def make_cohort(rng, phase, count, classes):
    """Students of one cohort: dicts with name, class, birth date and choices."""
    students = []
    letters = 'abcdefghijklmnop'[:classes]
    birth_year = int(phase) - 18
    for i in range(count):
        male = rng.random() < 0.48
        first = rng.choice(MALE_NAMES if male else FEMALE_NAMES)
        family = rng.choice(FAMILY_NAMES)
        born = datetime.date(birth_year, 7, 1) + datetime.timedelta(days=rng.randrange(-40, 366))
        students.append({
            'phase': phase, 'family': family, 'first': first, 'sex': 'm' if male else 'w',
            'born': born, 'class': letters[i % classes], 'note': None,
            'choices': [{'subject': s, 'art': a, 'ks12': '', 'ks13': ''}
                        for s, a in make_choices(rng)],
        })
    students.sort(key=lambda s: (s['class'], s['family'], s['first']))
    return students


def counts_in(student_year_group, art):
    return art in (COUNTS_IN_12 if student_year_group == 12 else COUNTS_IN_13)


# --------------------------------------------------------------------------- courses

class Course:
    def __init__(self, sj, name, code, subject, kind, hours, fa1='', fa3=''):
        self.sj, self.name, self.code, self.subject, self.kind = sj, name, code, subject, kind
        self.hours, self.fa1, self.fa3 = hours, fa1, fa3
        self.id = self.teacher = None
        self.sort = 0
        self.members = set()       # students who may attend it (for the placement)


def course_name(code, kind, subject, number):
    digit = {'11': '1', '12': '2', '50': '5'}[code]
    return '%s%s%s%d' % (digit, 'L' if kind == 'L' else '', subject, number)


def parallels(count):
    """Number of parallel courses for count students: about 22 a course, 1 to 5 courses.

    The cap keeps the large benchmark school at about 250 courses of the school year.
    """
    return max(1, min(5, math.ceil(count / 22)))


def group_students(cohorts):
    """(subject, kind) -> [(student, choice)] over (students, year group) pairs."""
    groups = {}
    for students, year_group in cohorts:
        for student in students:
            for choice in student['choices']:
                if choice['subject'] in NO_COURSE or not counts_in(year_group, choice['art']):
                    continue
                kind = 'L' if choice['art'] == 'L' else 'K'
                groups.setdefault((choice['subject'], kind), []).append((student, choice))
    return dict(sorted(groups.items(), key=lambda item: (item[0][1] != 'L', ORDER[item[0][0]])))


def build_courses(sj, code, groups, fa_of, fa3_of=None, single=False):
    """Courses of one school year and year-group code for the given choice groups.

    fa_of / fa3_of map a subject to its FA_ID in the cohort of year group 12 / 13. Year-13
    courses carry their subject in KS_FA_ID3 and, for the placement's hours check, in
    KS_FA_ID1 as well; combined courses carry the year-12 subject in KS_FA_ID1 and the
    year-13 subject in KS_FA_ID3.
    """
    result = {}
    for (subject, kind), members in groups.items():
        hours = ADVANCED_HOURS if kind == 'L' else SUBJECT[subject][3]
        count = 1 if single else parallels(len(members))
        if code == '11':
            fa1, fa3 = fa_of[subject], ''
        elif code == '12':
            fa1 = fa3 = fa3_of[subject]
        else:
            fa1, fa3 = fa_of.get(subject, ''), (fa3_of or {}).get(subject, '')
        result[(subject, kind)] = [
            Course(sj, course_name(code, kind, subject, n + 1), code, subject, kind, hours,
                   fa1, fa3) for n in range(count)]
    return result


def deal(rng, members, courses, column, fraction=1.0, follow=False):
    """Spread a group's students evenly over its parallel courses.

    column: 'ks12', 'ks13', or a function of the student giving one of them (combined
    courses). A share (fraction) of the choices gets the course written into that column.
    follow: a year-13 choice goes to the course named like its year-12 course where one is.
    """
    members = list(members)
    rng.shuffle(members)
    for i, (student, choice) in enumerate(members):
        course = courses[i % len(courses)]
        if follow and choice['ks12']:
            same = [c for c in courses if c.name[1:] == choice['ks12'].name[1:]]
            course = same[0] if same else course
        course.members.add(student['id'])
        if rng.random() < fraction:
            choice[column(student) if callable(column) else column] = course


# --------------------------------------------------------------------------- rails

def rail_plan(count):
    """(designation, name, hours) of the rails of one school year."""
    advanced = max(2, round(count * 3 / 14))
    two_hour = max(1, round(count * 5 / 14))
    three_hour = max(1, count - advanced - two_hour)
    rails = [('LK%d' % (i + 1), 'Leistungskurse %d' % (i + 1), ADVANCED_HOURS)
             for i in range(advanced)]
    rails += [('GK%d' % (i + 1), 'Grundkurse dreistündig %d' % (i + 1), 3)
              for i in range(three_hour)]
    rails += [('GK%d' % (three_hour + i + 1), 'Grundkurse zweistündig %d' % (i + 1), 2)
              for i in range(two_hour)]
    return rails


def place(courses, rails, share):
    """Place about share of the courses on rails, keeping collisions few.

    For every number of hours the courses of the large subjects first, as a planner would;
    each on a rail of its hours where it meets the fewest students of other subjects,
    preferring a rail that already holds a parallel course of its subject.
    """
    group_size = {}
    for c in courses:
        g = (c.code, c.subject, c.kind)
        group_size[g] = group_size.get(g, 0) + len(c.members)
    # The same share of every kind of rail: advanced courses, three- and two-hour courses.
    chosen = []
    for hours in sorted({c.hours for c in courses}, reverse=True):
        same = sorted((c for c in courses if c.hours == hours),
                      key=lambda c: (-group_size[(c.code, c.subject, c.kind)], c.sort))
        chosen += same[:round(len(same) * share)]
    on_rail = [[] for _ in rails]
    placements = []
    for course in chosen:
        fitting = [i for i, r in enumerate(rails) if r['hours'] == course.hours] or \
            list(range(len(rails)))
        best = None
        for i in fitting:
            others = [c for c in on_rail[i] if (c.code, c.subject, c.kind) !=
                      (course.code, course.subject, course.kind)]
            met = set().union(*(c.members for c in others)) if others else set()
            collisions = len(course.members & met)
            parallel = len(others) < len(on_rail[i])
            score = (collisions, not parallel, len(on_rail[i]), i)
            if best is None or score < best[0]:
                best = (score, i)
        on_rail[best[1]].append(course)
        placements.append((rails[best[1]], course))
    return placements


# --------------------------------------------------------------------------- teachers

def make_teachers(rng, count):
    teachers, used = [], set()
    for i in range(count):
        family = rng.choice(FAMILY_NAMES[:100])
        first = rng.choice(TEACHER_FIRST_NAMES)
        subjects = TEACHER_SUBJECTS[i % len(TEACHER_SUBJECTS)]
        plain = family.replace(' ', '')
        candidates = [plain[:2], plain[:3], plain[:4], plain[0] + plain[2:4],
                      plain[:1] + first[:1]] + [plain[:2] + str(d) for d in range(1, 10)]
        short = next(c for c in candidates if c.upper() not in used)
        used.add(short.upper())
        teachers.append({'family': family, 'first': first, 'short': short,
                         'subjects': subjects, 'load': 0})
    return teachers


def assign_teachers(courses, teachers):
    for course in courses:
        able = [t for t in teachers if course.subject in t['subjects']] or teachers
        teacher = min(able, key=lambda t: t['load'])
        teacher['load'] += course.hours
        course.teacher = teacher


# --------------------------------------------------------------------------- generator

def generate(students_per_cohort, school_year, output, verify=True):
    started = time.time()
    rng = random.Random(SEED)
    year = int(school_year[:4])
    cur, prev, old = str(year), str(year - 1), str(year - 2)
    classes = max(2, round(students_per_cohort / 30))
    stamp = datetime.date(year, 9, 21)

    # School years: ids in the order they were created. The demo's school year comes first:
    # the import window preselects line 0 when no line starts with the current calendar year.
    sj_id = {y: key(7 + i) for i, y in enumerate(range(year - 2, year + 2))}
    schjahr = []
    for y in (year, year - 1, year - 2, year + 1):
        done = y < year
        schjahr.append((sj_id[y], '%d/%d' % (y, y + 1), '2' if done else '1',
                        '4' if done else '3', datetime.date(y, 9, 14),
                        datetime.date(y + 1, 7, 31)))

    schule = [('0815', 'Städtisches Gymnasium am Weißen Stein',
               'Naturwissenschaftlich-technologisches und Sprachliches Gymnasium',
               'Gymnasium Weißenstein', 'Schloßstraße 12', '82110', 'Germering')]

    # Students: two of an older cohort left in the file, a few of the cohort that finished
    # last summer (with choices), the two current cohorts, and newcomers of year group 13
    # who joined this school year (entered last, without year-12 courses).
    older = make_cohort(rng, str(year - 3), 2, 1)
    for s in older:
        s['choices'] = []
    leftover = make_cohort(rng, old, max(3, students_per_cohort // 40), 1)
    newcomers_count = max(2, students_per_cohort // 40)
    cohort13 = make_cohort(rng, prev, students_per_cohort - newcomers_count, classes)
    cohort12 = make_cohort(rng, cur, students_per_cohort, classes)
    newcomers = make_cohort(rng, prev, newcomers_count, 1)
    states = ['Hessen', 'Baden-Württemberg', 'Nordrhein-Westfalen', 'Sachsen', 'Österreich']
    for i, s in enumerate(newcomers):
        s['class'] = cohort13[i % len(cohort13)]['class']
        s['note'] = 'Zuzug aus %s zum Schuljahr %s.' % (states[i % len(states)], school_year)

    # Students with the same family and first name, and a few without first name.
    twins = [cohort12[1], cohort12[-2], cohort13[3]]
    for s in twins:
        s['family'], s['first'], s['sex'] = 'Müller', 'Maximilian', 'm'
    for s in (cohort13[5], cohort13[-5]):
        s['family'], s['first'], s['sex'] = 'Weiß', 'Anna', 'w'
    cohort12[7]['first'] = ''
    cohort13[9]['first'] = ''
    for s in rng.sample(cohort12 + cohort13, max(4, students_per_cohort // 25)):
        s['note'] = rng.choice(NOTES)

    kolleg_order = older + leftover + cohort13 + cohort12 + newcomers
    ko_keys = Numbering()
    for s in kolleg_order:
        s['id'] = ko_keys.next()

    # Subject offers, one per cohort; the next cohort's offer is already prepared.
    fa_keys = Numbering()
    fachang, fa_id = [], {}
    for phase in (old, prev, cur, str(year + 1)):
        for bez, pschl, name, hours, advanced in SUBJECTS:
            fid = fa_keys.next()
            fa_id[(phase, bez)] = fid
            fachang.append((fid, phase, pschl, bez, ('L' if advanced else '') + 'ABSCX',
                            str(hours), 'Rel' if bez in RELIGION else '', name))

    def offer(phase):
        return {bez: fa_id[(phase, bez)] for bez, *_ in SUBJECTS}

    year13 = cohort13 + newcomers

    def split(groups):
        single = {g: m for g, m in groups.items() if g[0] not in COMBINED}
        both = {g: m for g, m in groups.items() if g[0] in COMBINED}
        return single, both

    # Courses, school year by school year.
    # Two years ago: the leftover cohort in year group 12 (one course per subject and kind).
    g_old12, g_old12c = split(group_students([(leftover, 12)]))
    c_old11 = build_courses(sj_id[year - 2], '11', g_old12, offer(old), single=True)
    c_old50 = build_courses(sj_id[year - 2], '50', g_old12c, offer(old), single=True)
    # Last school year: cohort Y-1 in year group 12 (full), the leftover cohort in 13.
    g_prev12, g_prev12c = split(group_students([(cohort13, 12)]))
    g_prev13, _ = split(group_students([(leftover, 13)]))
    g_prev50 = group_students([(cohort13, 12), (leftover, 13)])
    g_prev50 = {g: m for g, m in g_prev50.items() if g[0] in COMBINED}
    c_prev11 = build_courses(sj_id[year - 1], '11', g_prev12, offer(prev))
    c_prev12 = build_courses(sj_id[year - 1], '12', g_prev13, None, offer(old), single=True)
    c_prev50 = build_courses(sj_id[year - 1], '50', g_prev50, offer(prev), offer(old))
    # This school year.
    g_cur12, _ = split(group_students([(cohort12, 12)]))
    g_cur13, _ = split(group_students([(year13, 13)]))
    g_cur50 = group_students([(cohort12, 12), (year13, 13)])
    g_cur50 = {g: m for g, m in g_cur50.items() if g[0] in COMBINED}
    c_cur11 = build_courses(sj_id[year], '11', g_cur12, offer(cur))
    c_cur12 = build_courses(sj_id[year], '12', g_cur13, None, offer(prev))
    c_cur50 = build_courses(sj_id[year], '50', g_cur50, offer(cur), offer(prev))
    # An elective for both year groups (kind W): only an import of both cohorts takes it.
    choir = Course(sj_id[year], 'Chor', '50', 'Mu', 'W', 2, fa_id[(cur, 'Mu')],
                   fa_id[(prev, 'Mu')])
    # Next school year: the advanced courses of cohort Y are planned already.
    c_next12 = {g: [Course(sj_id[year + 1], '2' + c.name[1:], '12', c.subject, 'L',
                           ADVANCED_HOURS, fa_id[(cur, c.subject)], fa_id[(cur, c.subject)])
                    for c in cs]
                for g, cs in c_cur11.items() if g[1] == 'L'}

    def flat(*maps):
        return [c for m in maps for cs in m.values() for c in cs]

    years = [flat(c_old11, c_old50), flat(c_prev11, c_prev12, c_prev50),
             flat(c_cur11, c_cur12, c_cur50) + [choir], flat(c_next12)]
    ks_keys = Numbering()
    for courses in years:
        for sort, course in enumerate(courses, 1):
            course.id = ks_keys.next()
            course.sort = sort
    all_courses = [c for courses in years for c in courses]
    current_courses = years[2]

    # Course columns of the choices.
    for g, members in g_old12.items():
        deal(rng, members, c_old11[g], 'ks12')
    for g, members in g_old12c.items():
        deal(rng, members, c_old50[g], 'ks12')
    for g, members in g_prev13.items():
        deal(rng, members, c_prev12[g], 'ks13')
    # Last year's courses of cohort Y-1: every choice that counted in year group 12.
    for g, members in g_prev12.items():
        deal(rng, members, c_prev11[g], 'ks12')
    for g, members in g_prev50.items():
        deal(rng, members, c_prev50[g], lambda s: 'ks12' if s['phase'] == prev else 'ks13')
    # This year: a few choices already carry their course, the rest is left to the
    # pre-assignment. Year 13 follows last year's course name where it can.
    for g, members in g_cur12.items():
        deal(rng, members, c_cur11[g], 'ks12', 0.3 if g[1] == 'L' else 0.05)
    for g, members in g_cur13.items():
        deal(rng, members, c_cur12[g], 'ks13', 0.1, follow=True)
    for g, members in g_cur50.items():
        deal(rng, members, c_cur50[g], lambda s: 'ks12' if s['phase'] == cur else 'ks13', 0.1,
             follow=True)

    # Teachers: about one per three students of a cohort, at least 40.
    teachers = make_teachers(rng, max(40, round(students_per_cohort / 3)))
    le_keys = Numbering()
    for t in teachers:
        t['id'] = le_keys.next()
    assign_teachers(all_courses, teachers)
    # A year-13 course keeps the teacher of its year-12 course of the same name.
    by_prev_name = {c.name[1:]: c.teacher for c in flat(c_prev11, c_prev50)}
    for c in flat(c_cur12, c_cur50):
        c.teacher = by_prev_name.get(c.name[1:], c.teacher)

    # Rails: the same plan every school year, two prepared for the next one.
    rail_count = max(6, round(14 + (students_per_cohort - 120) * 16 / 280))
    bl_keys = Numbering()
    rails = {}
    for y in (year - 2, year - 1, year):
        rails[y] = [{'id': bl_keys.next(), 'sj': sj_id[y], 'bez': bez, 'name': name,
                     'hours': hours, 'sort': 10 * (i + 1)}
                    for i, (bez, name, hours) in enumerate(rail_plan(rail_count))]
    rails[year + 1] = [{'id': bl_keys.next(), 'sj': sj_id[year + 1], 'bez': bez, 'name': name,
                        'hours': hours, 'sort': 10 * (i + 1)}
                       for i, (bez, name, hours) in enumerate(rail_plan(rail_count)[:2])]

    # Placements: a few of two years ago (their courses are never imported), one course of
    # this year on a rail of last year (its rail key then matches no rail), and about half of
    # this year's courses.
    placed = place([c for c in current_courses if c.kind in 'KL'], rails[year], 0.5)
    placed_ids = {c.id for _, c in placed}
    stray = next(c for c in current_courses if c.id not in placed_ids and c.kind == 'K')
    ckkurs_rows = [(rails[year - 2][i % len(rails[year - 2])], c)
                   for i, c in enumerate(years[0][:3])]
    ckkurs_rows.append((next(r for r in rails[year - 1] if r['hours'] == stray.hours), stray))
    ckkurs_rows += placed
    ck_keys = Numbering()
    ckkurs = [(ck_keys.next(), r['id'], c.id) for r, c in ckkurs_rows]

    # Choices, student by student in the order of the student file.
    gk_keys = Numbering()
    beleg_gk = []
    for s in kolleg_order:
        for ch in s['choices']:
            beleg_gk.append((gk_keys.next(), s['id'], ch['ks12'].id if ch['ks12'] else '',
                             ch['ks13'].id if ch['ks13'] else '',
                             fa_id[(s['phase'], ch['subject'])], ch['art']))

    # Advanced-course file (not read by the import): topics of the seminar papers.
    lk_keys = Numbering()
    beleg_lk = []
    for i, s in enumerate(cohort13[:len(THEMES)]):
        advanced = [ch for ch in s['choices'] if ch['art'] == 'L']
        ch = advanced[i % len(advanced)]
        course = ch['ks12']
        beleg_lk.append((lk_keys.next(), s['id'], fa_id[(prev, ch['subject'])],
                         course.id if course else '', THEMES[i]))

    kurs = []
    for c in all_courses:
        mn, mx, opt = {'L': (6, 20, 15), 'K': (8, 25, 20), 'W': (0, 40, 20)}[c.kind]
        kurs.append((c.id, c.sj, c.name, c.sort, c.teacher['id'], c.fa1, '', c.fa3, '',
                     c.code, c.kind, c.hours, c.hours, mn, mx, opt))
    block = [(r['id'], r['sj'], r['bez'], r['name'], r['hours'], r['sort'])
             for y in sorted(rails) for r in rails[y]]
    lehrer = [(t['id'], t['short'], '%s, %s' % (t['family'], t['first']), t['subjects'][0],
               t['subjects'][1]) for t in teachers]
    kolleg = [(s['id'], s['phase'], s['family'], s['first'], s['sex'], s['born'], s['class'],
               s['note']) for s in kolleg_order]

    content = {'schjahr': schjahr, 'schule': schule, 'lehrer': lehrer, 'kurs': kurs,
               'block': block, 'ckkurs': ckkurs, 'kolleg': kolleg, 'fachang': fachang,
               'beleg_gk': beleg_gk, 'beleg_lk': beleg_lk}
    write(output, content, stamp)
    if verify:
        check(output, content)
    elapsed = time.time() - started
    summary = ', '.join('%s %d' % (name, len(content[name])) for name in TABLES)
    print('%s: %s; %d courses and %d rails of %s, %d placed (%.1f s)' % (
        os.path.join(output, 'QZ.DBC'), summary, len(current_courses), len(rails[year]),
        school_year, len(placed), elapsed))


def field_names(table):
    return [part.split()[0] for part in SPECS[table].split(';')]


def write(output, content, stamp):
    os.makedirs(output, exist_ok=True)
    for name in TABLES:
        for ext in ('.dbf', '.fpt'):
            path = os.path.join(output, name + ext)
            if os.path.exists(path):
                os.remove(path)
        vfpcontainer.create_table(os.path.join(output, name + '.dbf'), SPECS[name],
                                  content[name], codepage=CODEPAGE, container='QZ.DBC',
                                  updated=stamp)
    vfpcontainer.write_container(
        os.path.join(output, 'QZ.DBC'),
        [(name, name + '.dbf', [LONG_NAMES.get((name, f), f.lower()) for f in field_names(name)])
         for name in TABLES],
        updated=stamp)


def check(output, content):
    """Read every table back with dbfread and compare it with what was meant."""
    import dbfread

    def normal(value):
        # Text comes back trimmed on the right; empty memos come back as None.
        if value is None:
            return ''
        return value.rstrip() if isinstance(value, str) else value

    for name in TABLES:
        table = dbfread.DBF(os.path.join(output, name + '.dbf'), encoding=CODEPAGE,
                            char_decode_errors='strict')
        if table.field_names != field_names(name):
            raise SystemExit('%s: fields %s' % (name, table.field_names))
        rows = [tuple(r.values()) for r in table]
        if len(rows) != len(content[name]):
            raise SystemExit('%s: %d rows read, %d written' % (name, len(rows), len(content[name])))
        for number, (got, meant) in enumerate(zip(rows, content[name])):
            got, meant = tuple(map(normal, got)), tuple(map(normal, meant))
            if got != meant:
                raise SystemExit('%s row %d: read %r, wrote %r' % (name, number, got, meant))
    # dbfread expects the memo file as .fpt: read the container through a copy.
    with tempfile.TemporaryDirectory() as tmp:
        shutil.copy(os.path.join(output, 'QZ.DBC'), os.path.join(tmp, 'qz.dbf'))
        shutil.copy(os.path.join(output, 'QZ.DCT'), os.path.join(tmp, 'qz.fpt'))
        # latin-1 gives the PROPERTY bytes back unchanged (dbfread decodes text memos).
        rows = [r for r in dbfread.DBF(os.path.join(tmp, 'qz.dbf'), encoding='latin-1')]
    tables = {}
    for r in rows:
        if r['OBJECTTYPE'] == 'Table':
            prop = r['PROPERTY'].encode('latin-1')
            entries, pos = {}, 0
            while pos < len(prop):
                length = int.from_bytes(prop[pos:pos + 4], 'little')
                entries[prop[pos + 6]] = prop[pos + 7:pos + length]
                pos += length
            tables[r['OBJECTID']] = [r['OBJECTNAME'], entries[1].rstrip(b'\0').decode(), []]
        elif r['OBJECTTYPE'] == 'Field':
            tables[r['PARENTID']][2].append(r['OBJECTNAME'])
    listed = [(n, f, fs) for n, f, fs in tables.values()]
    meant = [(n, n + '.dbf', [LONG_NAMES.get((n, f), f.lower()) for f in field_names(n)])
             for n in TABLES]
    if listed != meant:
        raise SystemExit('container lists %r' % listed)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('--students', type=int, default=120,
                        help='students per cohort (default 120; 400 makes the benchmark school)')
    parser.add_argument('--output', default=os.path.join(here, '..', 'data', 'demo'),
                        help='folder for QZ.DBC and its tables (default data/demo)')
    parser.add_argument('--school-year', default='2009/2010',
                        help='school year to plan, e.g. 2009/2010 (default)')
    parser.add_argument('--no-verify', action='store_true',
                        help='skip reading the tables back with dbfread')
    args = parser.parse_args()
    if args.students < 40:
        parser.error('--students must be at least 40')
    match = re.fullmatch(r'(\d{4})/(\d{4})', args.school_year)
    if not match or int(match[2]) != int(match[1]) + 1:
        parser.error('--school-year must look like 2009/2010')
    generate(args.students, args.school_year, os.path.normpath(args.output),
             verify=not args.no_verify)


if __name__ == '__main__':
    main()
