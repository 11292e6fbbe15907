// "Schiene auffüllen": putting the course selected in LNKurse onto the selected rail.

#include "placement/FillRail.h"
#include "blocking/Evaluation.h"
#include "blocking/Rules.h"
#include "db/BlockDatabase.h"
#include "db/Courses.h"
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
        ws_.setSchueler({});
        ws_.LNKurse_Click(c);
    };
    const std::vector<int> selected = ws_.LNKurse.selectedRows();
    if (selected.empty()) {
        refresh();
        return;
    }
    const int index = selected.front();
    const Waiting entry = ws_.plan.waiting.at(static_cast<size_t>(index));
    // The collision moves and the evening-out moves are each one transaction, with the question
    // between them.
    if (!mayFill(c, entry, *rails))
        return;
    placeEntry(index, entry, *rails);
    refresh();
    evenOut(c, entry.course);

    ws_.plan.rails[static_cast<size_t>(rails->c1)].students += db::AnzBelKurs(c, entry.course);
    ws_.showRails();
    ws_.showChanges();
}

std::optional<FillRail::RailSelection> FillRail::railsToFill() {
    const ui::Grid& g = ws_.grdSchienen;
    const std::vector<PlanRail>& planRails = ws_.plan.rails;
    if (planRails.empty())
        return std::nullopt;
    RailSelection r;
    r.c1 = g.SelStartCol();
    r.c2 = g.SelEndCol();
    if (ws_.refuseHeldColumn(r.c1, r.c2))
        return std::nullopt;
    // The courses of the selected rails, rail by rail from the top.
    for (int col = r.c1; col <= r.c2; ++col)
        for (const Placed& p : planRails.at(static_cast<size_t>(col)).courses)
            r.keys << p.course;
    // The hours compared later are those of the last selected rail.
    for (int col = r.c1; col <= r.c2; ++col) {
        r.hours = planRails[static_cast<size_t>(col)].hours;
        if (r.hours == 0) {
            ws_.critical(QStringLiteral("Stundenzahl der Schiene gleich 0 !"));
            return std::nullopt;
        }
    }
    r.freeRow = ws_.AnzKvS(r.c1 + 1) + 1;
    return r;
}

bool FillRail::mayFill(db::Connection& c, const Waiting& entry, const RailSelection& rails) {
    const QString& key = entry.course;
    const QString name = ws_.wholeName(key).leftJustified(CourseEntry::kNameWidth);
    // The rest of a split course never joins its first part on one rail: that rail could not be
    // saved.
    if (ws_.plan.rails[static_cast<size_t>(rails.c1)].find(key) >= 0) {
        ws_.critical(QStringLiteral("Der Kurs ") + name.trimmed() +
                     QStringLiteral(" steht bereits auf dieser Schiene!"));
        return false;
    }
    if (db::AnzBelKurs(c, key) == 0) {
        ws_.critical(QStringLiteral("Kurs: ") + name + QStringLiteral("  ist leer!"));
        return false;
    }
    if (entry.hours < rails.hours) {
        ws_.critical(QStringLiteral("Stundenzahl des Kurses kleiner Stundenzahl der Schiene!"));
        return false;
    }
    if (!mayBreakRules(c, key, rails))
        return false;
    if (!FKursAuf(c, key, rails.keys)) {
        ws_.critical(
            QStringLiteral("Kollisionen!") + kCrLf +
            QStringLiteral("Nicht alle Kollegiaten des Kurses ") + name +
            QStringLiteral("  passen auf die Schiene!") + kCrLf +
            QStringLiteral(
                "Zum Ausgleich ist kein Parallelkurs bei nichtverteilte Kurse vorhanden!") +
            kCrLf + QStringLiteral("Verwenden Sie Kollisionen beseitigen!"));
        return false;
    }
    return true;
}

bool FillRail::mayBreakRules(db::Connection& c, const QString& courseKey,
                             const RailSelection& rails) {
    // Most schools have no rules: then the cohort's model is not read for them.
    const int cohort = ws_.Jahrgang();
    if (cohort == 0 || blocking::loadRules(c, ws_.state().SchjID).empty())
        return true;
    blocking::Model& m = Bewertung::model(c, ws_, cohort);
    const int k = m.courseIndex(courseKey);
    const int r = ws_.railOfColumn(m)[rails.c1];
    if (m.rules.empty() || k < 0 || r < 0)
        return true;
    ws_.fitToPlan(m);
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
    return host_.message({QStringLiteral("Der Kurs ") + ws_.wholeName(courseKey) +
                              QStringLiteral(" verletzt auf dieser Schiene die Regel") +
                              (broken.size() > 1 ? QStringLiteral("n") : QString()) + kCrLf +
                              broken.join(kCrLf) + kCrLf + QStringLiteral("Trotzdem setzen?"),
                          ui::kTitle, ui::Icon::Question, ui::Buttons::YesNo, 1, std::nullopt}) ==
           ui::Answer::Yes;
}

void FillRail::placeEntry(int index, const Waiting& entry, const RailSelection& rails) {
    // Hours beyond the rail's stay behind in the list at the same position.
    ws_.removeWaiting(index);
    if (entry.hours > rails.hours)
        ws_.insertWaiting(index, {entry.course, entry.hours - rails.hours});
    std::vector<Placed>& courses = ws_.plan.rails[static_cast<size_t>(rails.c1)].courses;
    courses.insert(courses.begin() + std::min(rails.freeRow - 1, static_cast<int>(courses.size())),
                   {entry.course, rails.hours, false});
    ws_.showRails();
}

void FillRail::evenOut(db::Connection& c, const QString& key) {
    const int n0 = db::AnzBelKurs(c, key);
    const Workspace::Alternatives alt = ws_.AlternativKurs(c, key);
    if (!alt.any())
        return;
    int sum = 0;
    for (const Workspace::Alternatives::Course& p : alt.courses)
        sum += db::AnzBelKurs(c, p.key);
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
    for (const Waiting& w : ws_.plan.waiting)
        for (const Workspace::Alternatives::Course& p : alt.courses)
            if (sameKey(w.course, p.key)) {
                placement::andererKurs(c, key, p.key, surplus, ws_.recording);
                return;
            }
}

bool FillRail::FKursAuf(db::Connection& c, const QString& courseKey, const QStringList& railKeys) {
    bool ok = false;
    db::Transaction tx(c);
    QString target;
    bool targetChosen = false;
    for (const Workspace::StudentRow& row : ws_.schueler) {
        if (!sameKey(row.courseKey, courseKey))
            continue;
        ok = true;
        if (!KolBereitsSchiene(c, row.studentKey, courseKey, railKeys))
            continue;
        if (!targetChosen) {
            targetChosen = true;
            target = unsplitParallel(c, row.courseKey);
        }
        if (target.isEmpty()) {
            ok = false;
            break;
        }
        placement::neuerkurs(c, target, row.bgId, row.yearGroup == 12 ? 1 : 2, ws_.recording);
    }
    tx.commit();
    return ok;
}

QString FillRail::unsplitParallel(db::Connection& c, const QString& courseKey) {
    // The first parallel course, line by line through LNKurse, that is listed with its full
    // hours (one already split is never a target).
    const Workspace::Alternatives alt = ws_.AlternativKurs(c, courseKey);
    for (const Waiting& w : ws_.plan.waiting)
        for (const Workspace::Alternatives::Course& p : alt.courses)
            if (sameKey(w.course, p.key) && w.hours == StdKurs(c, p.key))
                return p.key;
    return {};
}

bool FillRail::KolBereitsSchiene(db::Connection& c, const QString& studentKey,
                                 const QString& courseKey, const QStringList& railKeys) {
    // A course of year 12 alone (no year-13 subject) is found in the year-12 field.
    const std::optional<db::courses::Course> k = db::courses::byKey(c, courseKey);
    const bool in12 = k && blank(k->fa3);
    QSet<QString> onRails;
    for (const QString& key : railKeys)
        onRails.insert(key.toUpper());
    for (const QString& course : db::coursesOfStudent(c, studentKey, in12 ? 12 : 13)) {
        if (!sameKey(course, courseKey) && onRails.contains(course.toUpper()))
            return true;
    }
    return false;
}

int FillRail::StdKurs(db::Connection& c, const QString& courseKey) {
    const std::optional<db::courses::Course> k = db::courses::byKey(c, courseKey);
    if (!k)
        return 0;
    if (!blank(k->std))
        return val(k->std.toString());
    if (k->lkgk == QLatin1String("L"))
        return 5;
    if (k->lkgk != QLatin1String("G"))
        return 0;
    const QVariant subject =
        k->jgst == QLatin1String("12") || k->jgst == QLatin1String("50") ? k->fa1 : k->fa3;
    if (blank(subject)) {
        ws_.critical(QStringLiteral("Beim Kurs ") + k->bez +
                     QStringLiteral(" fehlt das zugeordnete Fach!") + kCrLf +
                     QStringLiteral("Bitte erfassen Sie mit Orvid neue Kurse!") + kCrLf +
                     QStringLiteral("Importieren Sie dann nochmal!"));
        return 0;
    }
    return val(db::courses::basicHours(c, subject).toString());
}

} // namespace placement
