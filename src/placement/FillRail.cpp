// "Schiene auffüllen": putting the course selected in LNKurse onto the selected rail.

#include "placement/FillRail.h"
#include "blocking/Evaluation.h"
#include "blocking/Rules.h"
#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "placement/Bewertung.h"
#include "placement/Layouts.h"
#include "placement/Moves.h"
#include "placement/Workspace.h"
#include "platform/RunState.h"
#include "platform/Text.h"
#include "ui/Host.h"

#include <QSet>
#include <QSqlQuery>
#include <cmath>

namespace placement {

using platform::blank;
using platform::kCrLf;

namespace {

// The nearest whole number; halves go to the even neighbour (2.5 gives 2, 3.5 gives 4).
int roundHalfEven(double x) {
    const double lower = std::floor(x);
    const double rest = x - lower;
    if (rest > 0.5)
        return static_cast<int>(lower) + 1;
    if (rest < 0.5)
        return static_cast<int>(lower);
    return std::fmod(lower, 2.0) == 0.0 ? static_cast<int>(lower) : static_cast<int>(lower) + 1;
}

} // namespace

FillRail::FillRail(db::Connection& c, Workspace& ws, ui::Host& host)
    : c_(c), ws_(ws), host_(host) {}

void FillRail::run() {
    db::Connection& c = c_;
    const std::optional<RailSelection> rails = railsToFill();
    if (!rails)
        return;
    const auto refresh = [this, &c] {
        ws_.showChanges();
        ws_.LSchueler.clear();
        ws_.LNKurse_Click(c);
    };
    const std::vector<int> selected = ws_.LNKurse.selectedRows();
    if (selected.empty()) {
        refresh();
        return;
    }
    const int index = selected.front();
    const QString entry = ws_.LNKurse.line(index);
    // The collision moves and the evening-out moves are each one transaction, with the question
    // between them.
    if (!mayFill(c, entry, *rails))
        return;
    placeEntry(index, entry, *rails);
    refresh();
    evenOut(c, entry);

    ui::Grid& g = ws_.grdSchienen;
    const QString header = g.TextMatrix(0, rails->c1);
    g.setTextMatrix(0, rails->c1,
                    RailHeader::withCount(header, RailHeader::count(header) +
                                                      db::AnzBelKurs(c, CourseEntry::key(entry))));
    ws_.showChanges();
}

std::optional<FillRail::RailSelection> FillRail::railsToFill() {
    const ui::Grid& g = ws_.grdSchienen;
    if (g.Cols() == 0)
        return std::nullopt;
    RailSelection r;
    r.c1 = g.SelStartCol();
    r.c2 = g.SelEndCol();
    if (ws_.refuseHeldColumn(r.c1, r.c2))
        return std::nullopt;
    // The entries of the selected rails, column by column from the top.
    for (int col = r.c1; col <= r.c2; ++col)
        for (int row = 1; row < g.Rows(); ++row)
            if (!g.TextMatrix(row, col).isEmpty())
                r.texts << g.TextMatrix(row, col);
    // The hours compared later are those of the last selected rail.
    for (int col = r.c1; col <= r.c2; ++col) {
        r.hours = RailHeader::hours(g.TextMatrix(0, col));
        if (r.hours == 0) {
            ws_.critical(QStringLiteral("Stundenzahl der Schiene gleich 0 !"));
            return std::nullopt;
        }
    }
    r.freeRow = ws_.AnzKvS(r.c1 + 1) + 1;
    return r;
}

bool FillRail::mayFill(db::Connection& c, const QString& entry, const RailSelection& rails) {
    const ui::Grid& g = ws_.grdSchienen;
    const QString key = CourseEntry::key(entry);
    // The rest of a split course never joins its first part on one rail: that rail could not be
    // saved.
    for (int row = 1; row < g.Rows(); ++row)
        if (CourseEntry::key(g.TextMatrix(row, rails.c1)).compare(key, Qt::CaseInsensitive) == 0 &&
            !g.TextMatrix(row, rails.c1).isEmpty()) {
            ws_.critical(QStringLiteral("Der Kurs ") + CourseEntry::name(entry).trimmed() +
                         QStringLiteral(" steht bereits auf dieser Schiene!"));
            return false;
        }
    if (db::AnzBelKurs(c, key) == 0) {
        ws_.critical(QStringLiteral("Kurs: ") + CourseEntry::nameAndBlank(entry) +
                     QStringLiteral(" ist leer!"));
        return false;
    }
    if (CourseEntry::hours(entry) < rails.hours) {
        ws_.critical(QStringLiteral("Stundenzahl des Kurses kleiner Stundenzahl der Schiene!"));
        return false;
    }
    if (!mayBreakRules(c, entry, rails))
        return false;
    if (!FKursAuf(c, entry, rails.texts)) {
        ws_.critical(
            QStringLiteral("Kollisionen!") + kCrLf +
            QStringLiteral("Nicht alle Kollegiaten des Kurses ") +
            CourseEntry::nameAndBlank(entry) + QStringLiteral(" passen auf die Schiene!") + kCrLf +
            QStringLiteral(
                "Zum Ausgleich ist kein Parallelkurs bei nichtverteilte Kurse vorhanden!") +
            kCrLf + QStringLiteral("Verwenden Sie Kollisionen beseitigen!"));
        return false;
    }
    return true;
}

bool FillRail::mayBreakRules(db::Connection& c, const QString& entry, const RailSelection& rails) {
    // Most schools have no rules: then the cohort's model is not read for them.
    const int cohort = ws_.Jahrgang();
    if (cohort == 0 || blocking::loadRules(c, ws_.state().SchjID).empty())
        return true;
    blocking::Model& m = Bewertung::model(c, ws_, cohort);
    const int k = m.courseIndex(CourseEntry::key(entry));
    const int r = ws_.railOfColumn(m)[rails.c1];
    if (m.rules.empty() || k < 0 || r < 0)
        return true;
    ws_.fitToGrid(m);
    blocking::Placement after = m.placement;
    after.rails[k].add(r);
    QStringList broken;
    for (const blocking::PlanRule& rule : m.rules) {
        // Two courses that belong together are placed one after the other: only a partner
        // whose hours all stand on other rails makes the rule broken.
        if (rule.kind == blocking::RuleKind::CoursesTogether) {
            const int partner = rule.first == k ? rule.second : rule.first;
            if ((rule.first == k || rule.second == k) &&
                m.placedHours(m.placement, partner) >= m.courses[partner].hours &&
                !m.placement.rails[partner].has(r))
                broken << rule.text;
            continue;
        }
        if (blocking::keeps(m, m.placement, m.assignment, rule) &&
            !blocking::keeps(m, after, m.assignment, rule))
            broken << rule.text;
    }
    if (broken.isEmpty())
        return true;
    return host_.message({QStringLiteral("Der Kurs ") + CourseEntry::name(entry).trimmed() +
                              QStringLiteral(" verletzt auf dieser Schiene die Regel") +
                              (broken.size() > 1 ? QStringLiteral("n") : QString()) + kCrLf +
                              broken.join(kCrLf) + kCrLf + QStringLiteral("Trotzdem setzen?"),
                          ui::kTitle, ui::Icon::Question, ui::Buttons::YesNo, 1, std::nullopt}) ==
           ui::Answer::Yes;
}

void FillRail::placeEntry(int index, const QString& entry, const RailSelection& rails) {
    // Hours beyond the rail's stay behind in the list at the same position.
    ui::Grid& g = ws_.grdSchienen;
    if (g.Rows() < rails.freeRow + 1)
        g.setRows(rails.freeRow + 1);
    if (g.FixedRows() == 0 && g.Rows() > 1)
        g.setFixedRows(1);
    const int entryHours = CourseEntry::hours(entry);
    ws_.LNKurse.removeLine(index);
    if (entryHours > rails.hours)
        ws_.LNKurse.insertLine(index, CourseEntry::withHours(entry, entryHours - rails.hours));
    g.setTextMatrix(rails.freeRow, rails.c1, CourseEntry::withHours(entry, rails.hours));
    ws_.fixiert.set(rails.c1, CourseEntry::key(entry), false);
}

void FillRail::evenOut(db::Connection& c, const QString& entry) {
    const QString key = CourseEntry::key(entry);
    const int n0 = db::AnzBelKurs(c, key);
    const Workspace::Alternatives alt = ws_.AlternativKurs(c, CourseEntry::name(entry));
    if (!alt.any())
        return;
    int sum = 0;
    for (const QString& p : alt.courses)
        sum += db::AnzBelKurs(c, ParallelCourse::key(p));
    const double avg = static_cast<double>(sum + n0) / static_cast<double>(alt.courses.size() + 1);
    const int target = static_cast<int>(std::floor(avg));
    if (avg >= n0) {
        if (target > n0)
            ui::tell(host_,
                     QStringLiteral("Auf diese Schiene passen zu wenig Kollegiaten des Kurses!") +
                         kCrLf + QStringLiteral("Anzahl: ") + QString::number(n0) + kCrLf +
                         QStringLiteral("Soll    : ") + QString::number(target),
                     ui::Icon::Information);
        return;
    }
    // "ausgelichen" is verbatim.
    const ui::Answer a =
        host_.message({QStringLiteral("Auf diese Schiene passen mehr Kollegiaten des Kurses!") +
                           kCrLf + QStringLiteral("Anzahl: ") + QString::number(n0) + kCrLf +
                           QStringLiteral("Durchschnittliche Kursstärke    : ") +
                           QString::number(target) + kCrLf + QStringLiteral("Soll auf ") +
                           QString::number(target) + QStringLiteral(" ausgelichen werden?"),
                       ui::kTitle, ui::Icon::Question, ui::Buttons::YesNo, 0, std::nullopt});
    if (a != ui::Answer::Yes)
        return;
    const int surplus = roundHalfEven(n0 - avg);
    // The first parallel course still in LNKurse, searched line by line.
    for (int i = 0; i < ws_.LNKurse.count(); ++i)
        for (const QString& p : alt.courses)
            if (CourseEntry::key(ws_.LNKurse.line(i))
                    .compare(ParallelCourse::key(p), Qt::CaseInsensitive) == 0) {
                placement::andererKurs(c, key, ParallelCourse::key(p), surplus);
                return;
            }
}

bool FillRail::FKursAuf(db::Connection& c, const QString& entry, const QStringList& railTexts) {
    bool ok = false;
    const QString courseKey = CourseEntry::key(entry);
    db::Transaction tx(c);
    QString target;
    bool targetChosen = false;
    for (int i = 0; i < ws_.LSchueler.count(); ++i) {
        const QString line = ws_.LSchueler.line(i);
        if (StudentLine::courseNameAndBlank(line) != CourseEntry::nameAndBlank(entry))
            continue;
        ok = true;
        if (!KolBereitsSchiene(c, StudentLine::studentKey(line), courseKey, railTexts))
            continue;
        if (!targetChosen) {
            targetChosen = true;
            target = unsplitParallel(c, StudentLine::courseName(line));
        }
        if (target.isEmpty()) {
            ok = false;
            break;
        }
        const QChar digit = StudentLine::yearDigit(line);
        const int phase = digit == QLatin1Char('2') ? 1 : digit == QLatin1Char('3') ? 2 : 0;
        placement::neuerkurs(c, target, StudentLine::bgId(line), phase);
    }
    tx.commit();
    return ok;
}

QString FillRail::unsplitParallel(db::Connection& c, const QString& courseName) {
    // The first parallel course, line by line through LNKurse, that is listed with its full
    // hours (one already split is never a target).
    const Workspace::Alternatives alt = ws_.AlternativKurs(c, courseName);
    for (int l = 0; l < ws_.LNKurse.count(); ++l) {
        const QString& listed = ws_.LNKurse.line(l);
        for (const QString& p : alt.courses) {
            const QString key = ParallelCourse::key(p);
            if (CourseEntry::key(listed).compare(key, Qt::CaseInsensitive) == 0 &&
                CourseEntry::hours(listed) == StdKurs(c, key))
                return key;
        }
    }
    return {};
}

bool FillRail::KolBereitsSchiene(db::Connection& c, const QString& studentKey,
                                 const QString& courseKey, const QStringList& railTexts) {
    // A course of year 12 alone (no year-13 subject) is found in the year-12 field.
    QSqlQuery k = c.exec(
        QStringLiteral("SELECT KS_FA_ID3 FROM kurs WHERE KS_VFP_ID = ? ORDER BY KS_ID LIMIT 1"),
        {courseKey});
    const bool in12 = k.next() && blank(k.value(0));
    k.finish();
    QSet<QString> railKeys;
    for (const QString& t : railTexts)
        railKeys.insert(CourseEntry::key(t).toUpper());
    for (const QString& course : db::coursesOfStudent(c, studentKey, in12 ? 12 : 13)) {
        if (course.compare(courseKey, Qt::CaseInsensitive) != 0 &&
            railKeys.contains(course.toUpper()))
            return true;
    }
    return false;
}

int FillRail::StdKurs(db::Connection& c, const QString& courseKey) {
    QSqlQuery k = c.exec(QStringLiteral("SELECT KS_BEZ, KS_STD, KS_LKGK, KS_JGST, KS_FA_ID1, "
                                        "KS_FA_ID3 FROM kurs WHERE KS_VFP_ID = ? ORDER BY KS_ID "
                                        "LIMIT 1"),
                         {courseKey});
    if (!k.next())
        return 0;
    if (!blank(k.value(1)))
        return val(k.value(1).toString());
    const QString lkgk = k.value(2).toString();
    if (lkgk == QLatin1String("L"))
        return 5;
    if (lkgk != QLatin1String("G"))
        return 0;
    const QString jgst = k.value(3).toString();
    const QVariant subject =
        jgst == QLatin1String("12") || jgst == QLatin1String("50") ? k.value(4) : k.value(5);
    if (blank(subject)) {
        ws_.critical(QStringLiteral("Beim Kurs ") + k.value(0).toString() +
                     QStringLiteral(" fehlt das zugeordnete Fach!") + kCrLf +
                     QStringLiteral("Bitte erfassen Sie mit Orvid neue Kurse!") + kCrLf +
                     QStringLiteral("Importieren Sie dann nochmal!"));
        return 0;
    }
    k.finish();
    return val(
        c.scalar(QStringLiteral("SELECT FA_STDGK FROM fachang WHERE FA_VFP_ID = ?"), {subject})
            .toString());
}

} // namespace placement
