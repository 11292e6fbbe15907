#include "placement/SetzenK.h"

#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "db/Statement.h"
#include "placement/Layouts.h"
#include "platform/RunState.h"
#include "platform/Text.h"
#include "ui/Host.h"

#include <QHash>
#include <utility>

namespace placement {

using platform::blank;
using platform::kCrLf;

namespace {

QString field(const QSqlQuery& q, int i) {
    return q.value(i).toString();
}

QString missingSubjectText(const QString& bez) {
    return QStringLiteral("Beim Kurs ") + bez + QStringLiteral(" fehlt das zugeordnete Fach!") +
           kCrLf + QStringLiteral("Bitte erfassen Sie mit Orvid neue Kurse!") + kCrLf +
           QStringLiteral("Importieren Sie dann nochmal!");
}

// Choice rows of a course in one year field, in stored order, with their student; rows whose
// student is missing from kolleg drop out.
QString choicesOfCourseSql(int yearGroup) {
    return QStringLiteral("SELECT b.BG_ID, b.BG_KO_ID, k.KO_FAMNAME, k.KO_RUFNAME, k.KO_PARLLKL, "
                          "k.KO_VFP_ID FROM belegung b JOIN kolleg k ON k.KO_VFP_ID = b.BG_KO_ID "
                          "WHERE b.%1 = ? ORDER BY b.BG_ID")
        .arg(db::courseField(yearGroup));
}

} // namespace

SetzenK::SetzenK(platform::RunState& s, ui::Host& host)
    : ui::Window(QStringLiteral("SetzenK"), QStringLiteral("Setzen der Kurse")), s_(s),
      host_(host) {
    setUpCommands();
    followCounts();
    grdSchienen.onClick = [this] { grdSchienen_Click(); };
    grdSchienen.onSelChange = [this] { grdSchienen_SelChange(); };
    grdSchienen.onDblClick = [this] { grdSchienen_DblClick(); };
}

void SetzenK::followCounts() {
    // The counts follow their lists, whatever emptied or filled them.
    const auto follow = [this](ui::ListBox& list, QString& count) {
        const auto update = [&list, &count] { count = QString::number(list.count()); };
        connect(&list, &QAbstractItemModel::modelReset, this, update);
        connect(&list, &QAbstractItemModel::rowsInserted, this, update);
        connect(&list, &QAbstractItemModel::rowsRemoved, this, update);
    };
    follow(LSchueler, lblSchueler);
    follow(LSchImBlock, lblSchImBlock);
    follow(LKollisionen, lblKollisionen);
}

SetzenK::~SetzenK() = default;

void SetzenK::grdSchienen_DblClick() {
    click(QStringLiteral("cmdBlock"));
}

void SetzenK::critical(const QString& text) {
    ui::tell(host_, text, ui::Icon::Critical);
}

// ---------------------------------------------------------------------------------------------
// Loading

void SetzenK::Form_Load() {
    db::Connection c(s_.databasePath());
    ckkursAtLoading_ = ckkursChecksum(c);
    const QHash<QString, int> placedHours = loadRails(c);
    zaehleSchueler(c);
    if (loadCourses(c, placedHours))
        GKursStUp(c);
    fillJahrgaenge(c);
    coursesStale_ = true;
    bewertungPending = true;
}

QHash<QString, int> SetzenK::loadRails(db::Connection& c) {
    ui::Grid& g = grdSchienen;
    QHash<QString, int> placedHours;
    // Placed courses of a rail in stored order; a course that no longer exists drops out, and a
    // rail of another school year never matches.
    db::Statement placed(c, QStringLiteral("SELECT c.CK_KS_ID, k.KS_BEZ, k.KS_SCHJ, k.KS_VFP_ID, "
                                           "c.CK_FIX FROM ckkurs c JOIN kurs k ON k.KS_VFP_ID = "
                                           "c.CK_KS_ID WHERE c.CK_BL_ID = ? ORDER BY c.CK_ID"));
    fixiert.clear();
    QSqlQuery rails = c.exec(QStringLiteral("SELECT BL_ID, BL_BEZ, BL_STD, BL_VFP_ID FROM block "
                                            "WHERE BL_SCHJ = ? ORDER BY BL_ID"),
                             {s_.SchjID});
    int col = 0;
    QStringList tooLong;
    while (rails.next()) {
        const int railHours = val(field(rails, 2));
        // The layouts hold one digit: such a rail would be misread. It stays out of the grid,
        // and saving keeps its placements.
        if (railHours >= 10) {
            tooLong << QStringLiteral("Die Schiene %1 hat %2 Wochenstunden;")
                           .arg(field(rails, 1).trimmed())
                           .arg(railHours);
            continue;
        }
        g.setCols(col + 1);
        g.setRow(0);
        g.setCol(col);
        const QString header =
            RailHeader::format(field(rails, 1), railHours, rails.value(0).toLongLong());
        g.setColWidth(col, railColumnWidth(header));
        g.setRowHeight(0, railHeaderHeight());
        g.setText(header);
        const int hoursForP = RailHeader::hours(header);
        int n = 0;
        QSqlQuery& q = placed.run({rails.value(3)});
        while (q.next()) {
            ++n;
            if (g.Rows() <= n)
                g.setRows(n + 1);
            g.setTextMatrix(n, col,
                            CourseEntry::format(field(q, 1), railHours, field(q, 2), field(q, 3)));
            placedHours[field(q, 0)] += hoursForP;
            // Other programs write the mark too; "1" is fixed, whatever else is not.
            if (field(q, 4).trimmed() == QLatin1String("1"))
                fixiert.set(col, field(q, 3), true);
        }
        ++col;
    }
    if (g.Rows() > 1) {
        g.setFixedRows(1);
        g.setSelStartRow(1);
        g.setSelEndRow(1);
    } else {
        g.setSelStartRow(0);
        g.setSelEndRow(0);
    }
    g.setSelStartCol(0);
    g.setSelEndCol(0);
    // The current cell is the selected one, so that the commands act on what is shown.
    if (g.Cols() > 0) {
        g.setCol(0);
        g.setRow(g.SelStartRow());
    }
    if (!tooLong.isEmpty())
        critical(tooLong.join(kCrLf) + kCrLf +
                 QStringLiteral("das Programm verteilt höchstens 9. Solche Schienen werden nicht "
                                "angezeigt; ihre Kurse bleiben gespeichert."));
    return placedHours;
}

bool SetzenK::loadCourses(db::Connection& c, const QHash<QString, int>& placedHours) {
    if (!c.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM kurs)")).toBool())
        return false;
    db::Statement subjectHours(c,
                               QStringLiteral("SELECT FA_STDGK FROM fachang WHERE FA_VFP_ID = ?"));
    // Basic-course hours of a subject; 0 when the subject is not found.
    const auto hoursOfSubject = [&](const QVariant& subject) {
        QSqlQuery& q = subjectHours.run({subject});
        return q.next() ? val(field(q, 0)) : 0;
    };

    QSqlQuery k = c.exec(QStringLiteral("SELECT KS_BEZ, KS_SCHJ, KS_VFP_ID, KS_FA_ID1, KS_FA_ID3, "
                                        "KS_JGST, KS_LKGK, KS_STD FROM kurs WHERE KS_SCHJ = ? "
                                        "ORDER BY KS_SORT, KS_ID"),
                         {s_.SchjID});
    bool seen = false;
    while (k.next()) {
        seen = true;
        const QString bez = field(k, 0);
        const QVariant fa1 = k.value(3);
        const QVariant fa3 = k.value(4);
        const QString jgst = field(k, 5);
        const QString lkgk = field(k, 6);
        if (blank(fa1) && blank(fa3)) {
            critical(missingSubjectText(bez));
            return false;
        }
        int hours = 0;
        if (!blank(k.value(7))) {
            hours = val(field(k, 7));
        } else if (lkgk == QLatin1String("L")) {
            hours = 5;
        } else if (lkgk == QLatin1String("G")) {
            if (jgst == QLatin1String("12") || jgst == QLatin1String("13")) {
                const QVariant& subject = jgst == QLatin1String("12") ? fa1 : fa3;
                if (blank(subject)) {
                    critical(missingSubjectText(bez));
                    return false;
                }
                hours = hoursOfSubject(subject);
            } else if (jgst == QLatin1String("50")) {
                if (!blank(fa1))
                    hours = hoursOfSubject(fa1);
                if (hours == 0 && !blank(fa3))
                    hours = hoursOfSubject(fa3);
            }
            // Any other year code names no subject for the hours: the course has none.
        }
        if (hours == 0) {
            critical(QStringLiteral("Bei ") + bez + QStringLiteral(" fehlt die Stundenzahl!") +
                     kCrLf);
            continue;
        }
        if (hours >= 10) {
            critical(QStringLiteral("Der Kurs %1 hat %2 Wochenstunden; das Programm verteilt "
                                    "höchstens 9.")
                         .arg(bez.trimmed())
                         .arg(hours));
            continue;
        }
        const QString key = field(k, 2);
        const int rest = hours - placedHours.value(key);
        if (rest > 0)
            LNKurse.addLine(CourseEntry::format(bez, rest, field(k, 1), key));
    }
    if (!seen)
        critical(QStringLiteral("Für das Schuljahr: ") + s_.SchjBez +
                 QStringLiteral(" fehlen die Kurse der Kursdatei!") + kCrLf +
                 QStringLiteral("Bitte erfassen Sie mit Orvid neue Kurse!") + kCrLf +
                 QStringLiteral("Importieren Sie dann nochmal!"));
    return seen;
}

void SetzenK::GKursStUp() {
    db::Connection c(s_.databasePath());
    GKursStUp(c);
    emit changed();
}

void SetzenK::GKursStUp(db::Connection& c) {
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

void SetzenK::zaehleSchueler(db::Connection& c) {
    // Counted by the database along the indexes of the two year fields; a row naming the course
    // in both counts once, as in AnzBelKurs.
    schuelerJeKurs.clear();
    countsStale_ = false;
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

int SetzenK::AnzKvS(int k) {
    ui::Grid& g = grdSchienen;
    if (k < 1 || k > g.Cols() || g.Rows() <= 1)
        return 0;
    g.setCol(k - 1);
    int n = 0;
    while (n + 1 < g.Rows() && !g.TextMatrix(n + 1, k - 1).isEmpty())
        ++n;
    return n;
}

int SetzenK::MaxKvS() {
    int most = 0;
    for (int k = 1; k <= grdSchienen.Cols(); ++k)
        most = std::max(most, AnzKvS(k));
    return most;
}

// ---------------------------------------------------------------------------------------------
// Student lists and collisions

namespace {

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

void SetzenK::LNKurse_Click() {
    if (countsStale_) {
        db::Connection c(s_.databasePath());
        zaehleSchueler(c);
    }
    std::vector<SelectedCourse> courses;
    for (int i : LNKurse.selectedRows())
        courses.push_back({CourseEntry::name(LNKurse.line(i)), CourseEntry::key(LNKurse.line(i))});
    LSchueler.clear();
    if (courses.empty()) {
        emit changed();
        return;
    }
    std::vector<StudentEntry> entries;
    QStringList lines;
    {
        db::Connection c(s_.databasePath());
        lines = studentLines(c, courses, entries);
    }
    LSchueler.setLines(lines);
    if (entries.empty()) {
        lblKoll.clear();
        emit changed();
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
    emit changed();
}

void SetzenK::LKollisionen_Click() {
    const std::vector<int> selected = LKollisionen.selectedRows();
    if (selected.empty())
        return;
    const QString key = CollisionLine::studentKey(LKollisionen.line(selected.front()));
    txtMld.clear();
    db::Connection c(s_.databasePath());
    txtMld = LKKollegiat(c, key).courseNames;
    emit changed();
}

void SetzenK::UpListen() {
    ui::Grid& g = grdSchienen;
    LSchImBlock.clear();
    if (g.SelEndRow() == 0) {
        emit changed();
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
        db::Connection c(s_.databasePath());
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
    emit changed();
}

void SetzenK::SortLNKurse() {
    const QStringList lines = LNKurse.lines();
    QHash<QString, int> firstLine;
    for (int i = 0; i < lines.size(); ++i)
        if (!firstLine.contains(CourseEntry::key(lines[i])))
            firstLine.insert(CourseEntry::key(lines[i]), i);
    QStringList sorted;
    {
        db::Connection c(s_.databasePath());
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
    emit changed();
}

void SetzenK::optMKolEinfach_Click() {
    optMKolEinfach = true;
    optMKolAlle = false;
    emit changed();
}

void SetzenK::optMKolAlle_Click() {
    optMKolEinfach = false;
    optMKolAlle = true;
    emit changed();
}

// ---------------------------------------------------------------------------------------------
// Look-ups for the placement commands

SetzenK::Kollegiat SetzenK::LKKollegiat(db::Connection& c, const QString& studentKey) {
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

SetzenK::Alternatives SetzenK::AlternativKurs(db::Connection& c, const QString& courseName) {
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
