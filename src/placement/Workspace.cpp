// The workspace's state and the procedures its commands share: the grid's rows and fixed marks,
// the student lists, the rails' counts and the look-ups of students and parallel courses.

#include "placement/Workspace.h"

#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "db/Statement.h"
#include "placement/Layouts.h"
#include "platform/RunState.h"
#include "platform/Text.h"
#include "ui/Host.h"

#include <QHash>
#include <algorithm>
#include <utility>

namespace placement {

using platform::blank;

namespace {

QString field(const QSqlQuery& q, int i) {
    return q.value(i).toString();
}

// Choice rows of a course in one year field, in stored order, with their student; rows whose
// student is missing from kolleg drop out.
QString choicesOfCourseSql(int yearGroup) {
    return QStringLiteral("SELECT b.BG_ID, b.BG_KO_ID, k.KO_FAMNAME, k.KO_RUFNAME, k.KO_PARLLKL, "
                          "k.KO_VFP_ID FROM belegung b JOIN kolleg k ON k.KO_VFP_ID = b.BG_KO_ID "
                          "WHERE b.%1 = ? ORDER BY b.BG_ID")
        .arg(db::courseField(yearGroup));
}

// A selected course of LNKurse.
struct SelectedCourse {
    QString name;
    QString key;
};

// One entry per choice row of a selected course, in the order of the lines; merging gathers a
// student's later entries into his first one.
struct StudentEntry {
    QString studentKey;
    QString name;
    QString koVfpId;
    QString bgIds;          // right-aligned in 6 each
    std::vector<int> lines; // his lines in LSchueler
};

// The LSchueler lines of the selected courses, each course's year-12 choices before its
// year-13 ones, with one entry per line.
QStringList studentLines(db::Connection& c, const std::vector<SelectedCourse>& courses,
                         std::vector<StudentEntry>& entries) {
    QStringList lines;
    db::Statement by12(c, choicesOfCourseSql(12));
    db::Statement by13(c, choicesOfCourseSql(13));
    for (const SelectedCourse& course : courses) {
        const std::pair<db::Statement*, QChar> walks[] = {{&by12, QLatin1Char('2')},
                                                          {&by13, QLatin1Char('3')}};
        for (auto [stmt, digit] : walks) {
            QSqlQuery& q = stmt->run({course.key});
            while (q.next()) {
                const QString choice =
                    StudentLine::choice(q.value(0).toLongLong(), digit, field(q, 1));
                const QString name = studentName(field(q, 2), field(q, 3));
                lines << StudentLine::format(name, field(q, 4), course.name, choice);
                entries.push_back({StudentLine::studentKey(choice),
                                   name,
                                   field(q, 5),
                                   StudentLine::bgIdText(lines.back()),
                                   {static_cast<int>(lines.size()) - 1}});
            }
        }
    }
    return lines;
}

// The entries that stand for their students: with two or more courses selected, a student's
// later entries are merged into his first.
std::vector<size_t> mergeByStudent(std::vector<StudentEntry>& entries, bool merge) {
    std::vector<size_t> kept;
    QHash<QString, size_t> first;
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto it = merge ? first.constFind(entries[i].studentKey) : first.constEnd();
        if (it == first.constEnd()) {
            first.insert(entries[i].studentKey, i);
            kept.push_back(i);
            continue;
        }
        StudentEntry& into = entries[*it];
        into.bgIds += entries[i].bgIds;
        into.lines.push_back(entries[i].lines.front());
    }
    return kept;
}

} // namespace

Workspace::Workspace(platform::RunState& s, ui::Host& host) : s_(s), host_(host) {}

Workspace::~Workspace() = default;

void Workspace::critical(const QString& text) {
    if (heldMessages_)
        *heldMessages_ << text;
    else
        ui::tell(host_, text, ui::Icon::Critical);
}

void Workspace::GKursStUp(db::Connection& c) {
    ui::Busy busy(host_, QStringLiteral("Kursstärken werden berechnet!"));
    ui::Grid& g = grdSchienen;
    for (int col = 0; col < g.Cols(); ++col) {
        int sum = 0;
        for (int row = 1; row < g.Rows(); ++row) {
            const QString& cell = g.TextMatrix(row, col);
            if (!cell.isEmpty())
                sum += db::AnzBelKurs(c, CourseEntry::key(cell));
        }
        const QString header = g.TextMatrix(0, col);
        if (!header.isEmpty())
            g.setTextMatrix(0, col, RailHeader::withCount(header, sum));
    }
}

void Workspace::zaehleSchueler(db::Connection& c) {
    // Counted by the database along the indexes of the two year fields; a row naming the course
    // in both counts once, as in AnzBelKurs.
    schuelerJeKurs.clear();
    countsStale = false;
    const QString f12 = db::courseField(12);
    const QString f13 = db::courseField(13);
    for (const QString& sql :
         {QStringLiteral("SELECT %1, count(*) FROM belegung WHERE %1 IS NOT NULL GROUP BY %1")
              .arg(f12),
          QStringLiteral("SELECT %2, count(*) FROM belegung WHERE %2 IS NOT NULL "
                         "AND (%1 IS NULL OR %2 <> %1) GROUP BY %2")
              .arg(f12, f13)}) {
        QSqlQuery q = c.exec(sql);
        while (q.next())
            schuelerJeKurs[field(q, 0)] += q.value(1).toInt();
    }
}

int Workspace::AnzKvS(int k) {
    ui::Grid& g = grdSchienen;
    if (k < 1 || k > g.Cols() || g.Rows() <= 1)
        return 0;
    g.setCol(k - 1);
    int n = 0;
    while (n + 1 < g.Rows() && !g.TextMatrix(n + 1, k - 1).isEmpty())
        ++n;
    return n;
}

int Workspace::MaxKvS() {
    int most = 0;
    for (int k = 1; k <= grdSchienen.Cols(); ++k)
        most = std::max(most, AnzKvS(k));
    return most;
}

// Sets the row count to one more than the longest rail, keeping at least `atLeast` rows, with the
// header row fixed while there are entry rows. MaxKvS moves the current column; it is put back,
// so the next command still works on the rail the planner chose.
void Workspace::fitRows(int atLeast) {
    ui::Grid& g = grdSchienen;
    const int col = g.Col();
    const int rows = std::max(MaxKvS() + 1, atLeast);
    g.setRows(rows);
    if (rows > 1 && g.FixedRows() == 0)
        g.setFixedRows(1);
    if (col < g.Cols())
        g.setCol(col);
}

// The non-empty entries of rows 1.. of a column, from the top, and the column emptied.
QStringList Workspace::takeEntries(int col) {
    ui::Grid& g = grdSchienen;
    QStringList out;
    for (int row = 1; row < g.Rows(); ++row) {
        const QString cell = g.TextMatrix(row, col);
        if (cell.isEmpty())
            continue;
        out << cell;
        g.setTextMatrix(row, col, QString());
    }
    return out;
}

// Writes entries into rows 1.. of a column, growing the grid where they do not fit.
void Workspace::putEntries(int col, const QStringList& entries) {
    ui::Grid& g = grdSchienen;
    if (g.Rows() < entries.size() + 1)
        g.setRows(static_cast<int>(entries.size()) + 1);
    if (g.Rows() > 1 && g.FixedRows() == 0)
        g.setFixedRows(1);
    for (int i = 0; i < entries.size(); ++i)
        g.setTextMatrix(i + 1, col, entries[i]);
}

bool Workspace::refuseHeldColumn(int from, int to) {
    if (AusSpalte < 0 || AusSpalte < std::min(from, to) || AusSpalte > std::max(from, to))
        return false;
    // Inserting puts the cut rail back into this column and would drop what came meanwhile.
    critical(QStringLiteral("Diese Schiene ist ausgeschnitten!\r\nFügen Sie sie zuerst mit "
                            "Bearbeiten - einfügen wieder ein."));
    return true;
}

bool Workspace::isFixed(int row, int col) const {
    const ui::Grid& g = grdSchienen;
    if (row < 1 || row >= g.Rows() || col < 0 || col >= g.Cols())
        return false;
    const QString& cell = g.TextMatrix(row, col);
    return !cell.isEmpty() && fixiert.has(col, CourseEntry::key(cell));
}

int Workspace::Jahrgang() const {
    const int i = CmbJahrgang.currentIndex();
    return i >= 0 && i < static_cast<int>(jahrgaenge.size()) ? jahrgaenge[i] : 0;
}

std::vector<int> Workspace::railOfColumn(const blocking::Model& m) const {
    const ui::Grid& g = grdSchienen;
    QHash<qint64, int> railById;
    for (size_t r = 0; r < m.rails.size(); ++r)
        railById.insert(m.rails[r].id, static_cast<int>(r));
    std::vector<int> railOf(g.Cols(), -1);
    for (int col = 0; col < g.Cols(); ++col)
        railOf[col] = railById.value(val(RailHeader::key(g.TextMatrix(0, col))), -1);
    return railOf;
}

void Workspace::fitToGrid(blocking::Model& m) const {
    const ui::Grid& g = grdSchienen;
    // A rail the grid does not show (one of ten hours and more) takes nothing.
    const std::vector<int> railOf = railOfColumn(m);
    for (blocking::Rail& r : m.rails)
        r.hours = 0;
    for (int col = 0; col < g.Cols(); ++col)
        if (railOf[col] >= 0)
            m.rails[railOf[col]].hours = RailHeader::hours(g.TextMatrix(0, col));
    for (blocking::Course& k : m.courses)
        if (k.hours >= 10)
            k.hours = 0;
    blocking::PlainPlacement plain;
    for (int col = 0; col < g.Cols(); ++col) {
        if (railOf[col] < 0)
            continue;
        // Down to the first empty cell, as saving writes them.
        for (int row = 1; row < g.Rows() && !g.TextMatrix(row, col).isEmpty(); ++row)
            plain[CourseEntry::key(g.TextMatrix(row, col))].push_back(
                {m.rails[railOf[col]].key, isFixed(row, col)});
    }
    m.setPlacement(plain);
}

void Workspace::dropUndo() {
    autoUndo.reset();
    enableCommand(QStringLiteral("menuBearbRueck"), false);
}

void Workspace::studentsChanged(db::Connection& c) {
    LSchueler.clear();
    LSchImBlock.clear();
    LKollisionen.clear();
    txtMld.clear();
    lblKoll.clear();
    zaehleSchueler(c);
    GKursStUp(c);
}

void Workspace::LNKurse_Click(db::Connection& c) {
    if (countsStale)
        zaehleSchueler(c);
    std::vector<SelectedCourse> courses;
    for (int i : LNKurse.selectedRows())
        courses.push_back({CourseEntry::name(LNKurse.line(i)), CourseEntry::key(LNKurse.line(i))});
    LSchueler.clear();
    if (courses.empty()) {
        showChanges();
        return;
    }
    std::vector<StudentEntry> entries;
    const QStringList lines = studentLines(c, courses, entries);
    LSchueler.setLines(lines);
    if (entries.empty()) {
        lblKoll.clear();
        showChanges();
        return;
    }

    QStringList collisions;
    kollisionsNamen.clear();
    for (size_t i : mergeByStudent(entries, courses.size() >= 2)) {
        const StudentEntry& e = entries[i];
        const auto choices = e.lines.size();
        if (choices < 2)
            continue;
        QString names;
        for (int l : e.lines) {
            names += StudentLine::courseName(lines[l]);
            if ((optMKolEinfach && choices == 2) || optMKolAlle)
                LSchueler.setSelected(l, true);
        }
        collisions << CollisionLine::format(e.name, names, e.bgIds, e.koVfpId);
        kollisionsNamen.insert(e.koVfpId, e.name);
    }
    LKollisionen.setLines(collisions);
    lblKoll.clear();
    txtMld.clear();
    showChanges();
}

void Workspace::UpListen(db::Connection& c) {
    ui::Grid& g = grdSchienen;
    LSchImBlock.clear();
    if (g.SelEndRow() == 0) {
        showChanges();
        return;
    }
    if (g.SelStartRow() == 0)
        g.setSelStartRow(1);
    QStringList names;
    QStringList keys;
    const int col = g.Col();
    for (int row = g.SelStartRow(); row <= g.SelEndRow() && col < g.Cols(); ++row) {
        const QString& cell = g.TextMatrix(row, col);
        if (cell.isEmpty())
            break;
        names << CourseEntry::name(cell);
        keys << CourseEntry::key(cell);
    }

    QStringList lines;
    {
        const auto sql = [](int yearGroup) {
            return QStringLiteral("SELECT k.KO_FAMNAME, k.KO_RUFNAME FROM belegung b JOIN kolleg k "
                                  "ON k.KO_VFP_ID = b.BG_KO_ID WHERE b.%1 = ? ORDER BY b.BG_ID")
                .arg(db::courseField(yearGroup));
        };
        db::Statement by12(c, sql(12));
        db::Statement by13(c, sql(13));
        for (int i = 0; i < keys.size(); ++i) {
            for (db::Statement* stmt : {&by12, &by13}) {
                QSqlQuery& q = stmt->run({keys[i]});
                while (q.next())
                    lines << BlockLine::format(names[i], field(q, 0) + QLatin1Char(' ') +
                                                             field(q, 1).trimmed());
            }
        }
    }
    LSchImBlock.setLines(lines);
    showChanges();
}

void Workspace::SortLNKurse(db::Connection& c) {
    const QStringList lines = LNKurse.lines();
    QHash<QString, int> firstLine;
    for (int i = 0; i < lines.size(); ++i)
        if (!firstLine.contains(CourseEntry::key(lines[i])))
            firstLine.insert(CourseEntry::key(lines[i]), i);
    QStringList sorted;
    {
        QSqlQuery q = c.exec(QStringLiteral("SELECT KS_VFP_ID FROM kurs WHERE KS_SCHJ = ? "
                                            "ORDER BY KS_SORT, KS_ID"),
                             {s_.SchjID});
        while (q.next()) {
            const auto it = firstLine.constFind(field(q, 0));
            if (it == firstLine.constEnd())
                continue;
            sorted << lines[*it];
            firstLine.erase(it);
        }
    }
    LNKurse.setLines(sorted);
    showChanges();
}

Workspace::Kollegiat Workspace::LKKollegiat(db::Connection& c, const QString& studentKey) {
    Kollegiat k;
    QSqlQuery student =
        c.exec(QStringLiteral("SELECT KO_KURSPH FROM kolleg WHERE KO_VFP_ID = ?"), {studentKey});
    k.phase = student.next() && db::yearGroup(field(student, 0), s_.SchjBez) == 12 ? 1 : 2;
    // The course of the student's phase with its name; the other field only tells whether the
    // row holds a course at all.
    const QString own = db::courseField(k.phase == 1 ? 12 : 13);
    const QString other = db::courseField(k.phase == 1 ? 13 : 12);
    QSqlQuery rows = c.exec(QStringLiteral("SELECT b.%1, b.%2, k.KS_BEZ FROM belegung b LEFT JOIN "
                                           "kurs k ON k.KS_VFP_ID = b.%1 WHERE b.BG_KO_ID = ? "
                                           "ORDER BY b.BG_ID")
                                .arg(own, other),
                            {studentKey});
    while (rows.next()) {
        const QVariant course = rows.value(0);
        if (blank(course) && blank(rows.value(1)))
            continue;
        if (!blank(course))
            k.courseKeys += course.toString();
        k.courseNames += field(rows, 2).leftJustified(5, QLatin1Char(' '), true);
    }
    return k;
}

Workspace::Alternatives Workspace::AlternativKurs(db::Connection& c, const QString& courseName) {
    Alternatives a;
    // The first course in stored order whose school year and name, run together and cut to 11
    // characters, match: the course of this school year whose name begins with the 5 characters.
    const QString wanted = (s_.SchjID + courseName).leftJustified(11, QLatin1Char(' '), true);
    QSqlQuery own = c.exec(
        QStringLiteral("SELECT KS_VFP_ID, KS_FA_ID1, KS_FA_ID2, KS_FA_ID3, KS_FA_ID4, KS_JGST, "
                       "KS_LKGK FROM kurs WHERE substr(ifnull(KS_SCHJ, '') || ifnull(KS_BEZ, '') "
                       "|| '           ', 1, 11) = ? ORDER BY KS_ID LIMIT 1"),
        {wanted});
    if (!own.next()) {
        host_.message({QStringLiteral("Kurs in Kursdatei nicht gefunden!"),
                       QStringLiteral("Kurs- und Blockbilduung"), ui::Icon::Exclamation,
                       ui::Buttons::Ok, 0, std::nullopt});
        return a;
    }
    a.ownKey = field(own, 0);
    static const char* const columns[] = {"KS_FA_ID1", "KS_FA_ID2", "KS_FA_ID3",
                                          "KS_FA_ID4", "KS_JGST",   "KS_LKGK"};
    QStringList conditions;
    QVariantList values;
    for (int i = 0; i < 6; ++i) {
        const QVariant v = own.value(i + 1);
        if (blank(v))
            continue;
        conditions << QLatin1String(columns[i]) + QStringLiteral(" = ?");
        values << v;
    }
    // A course without subjects, year group and kind has nothing to be parallel to.
    if (conditions.isEmpty())
        return a;
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT KS_BEZ, KS_VFP_ID FROM kurs WHERE ") +
                   conditions.join(QStringLiteral(" AND ")) + QStringLiteral(" ORDER BY KS_ID"),
               values);
    while (q.next())
        if (field(q, 1) != a.ownKey)
            a.courses << ParallelCourse::format(field(q, 0), field(q, 1));
    return a;
}

} // namespace placement
