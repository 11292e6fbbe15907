#include "placement/SetzenK.h"

#include "common/CommandScope.h"
#include "db/Courses.h"
#include "db/Database.h"
#include "db/Placements.h"
#include "db/Rails.h"
#include "placement/Bewertung.h"
#include "placement/Layouts.h"
#include "placement/SavePlacement.h"
#include "platform/RunState.h"
#include "platform/Text.h"
#include "ui/Host.h"

#include <QHash>

namespace placement {

using platform::blank;
using platform::kCrLf;

namespace {

QString missingSubjectText(const QString& bez) {
    return QStringLiteral("Beim Kurs ") + bez + QStringLiteral(" fehlt das zugeordnete Fach!") +
           kCrLf + QStringLiteral("Bitte erfassen Sie mit Orvid neue Kurse!") + kCrLf +
           QStringLiteral("Importieren Sie dann nochmal!");
}

} // namespace

SetzenK::SetzenK(platform::RunState& s, ui::Host& host)
    : ui::Window(QStringLiteral("SetzenK"), QStringLiteral("Setzen der Kurse")),
      Workspace(s, host) {
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

// ---------------------------------------------------------------------------------------------
// Loading

void SetzenK::Form_Load() {
    db::Connection c(s_.databasePath());
    // One state of the file, and one lock for all the reading rather than one per statement.
    // Its messages wait until the lock is let go: no other program's write waits for an answer.
    QStringList messages;
    heldMessages_ = &messages;
    try {
        db::ReadTransaction read(c);
        ckkursAtLoading = ckkursChecksum(c);
        const QHash<QString, int> placedHours = loadRails(c);
        lehrer = db::teachers::ofCourses(c, s_.SchjID);
        zaehleSchueler(c);
        if (loadCourses(c, placedHours))
            GKursStUp(c);
        Bewertung::fillJahrgaenge(c, *this);
        read.end();
    } catch (...) {
        heldMessages_ = nullptr;
        throw;
    }
    heldMessages_ = nullptr;
    for (const QString& m : messages)
        critical(m);
    coursesStale = true;
    bewertungPending = true;
}

QHash<QString, int> SetzenK::loadRails(db::Connection& c) {
    QHash<QString, int> placedHours;
    plan = Plan();
    QStringList tooLong;
    for (const db::rails::YearRail& r : db::rails::ofSchoolYear(c, s_.SchjID)) {
        const int railHours = val(r.hours);
        // The layouts hold one digit: such a rail would be misread. It stays out of the grid,
        // and saving keeps its placements.
        if (railHours >= 10) {
            tooLong << QStringLiteral("Die Schiene %1 hat %2 Wochenstunden;")
                           .arg(r.bez.trimmed())
                           .arg(railHours);
            continue;
        }
        PlanRail rail;
        rail.id = r.id;
        rail.name = r.bez;
        rail.hours = railHours;
        // A course that no longer exists drops out; a rail of another school year never
        // matches.
        for (const db::placements::OnRail& p : db::placements::onRail(c, r.key)) {
            plan.addCourse({p.key, p.bez, p.schj});
            rail.courses.push_back({p.key, railHours, p.fixed});
            placedHours[p.ckKsId] += railHours;
        }
        plan.rails.push_back(std::move(rail));
    }
    showGridLoaded();
    if (!tooLong.isEmpty())
        critical(tooLong.join(kCrLf) + kCrLf +
                 QStringLiteral("das Programm verteilt höchstens 9. Solche Schienen werden nicht "
                                "angezeigt; ihre Kurse bleiben gespeichert."));
    return placedHours;
}

void SetzenK::showGridLoaded() {
    ui::Grid& g = grdSchienen;
    g.setCols(static_cast<int>(plan.rails.size()));
    g.setRows(plan.longestRail() + 1);
    for (int col = 0; col < g.Cols(); ++col) {
        g.setColWidth(col, railColumnWidth(plan.railHeader(col)));
        g.setRowHeight(0, railHeaderHeight());
    }
    showRails();
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
}

bool SetzenK::loadCourses(db::Connection& c, const QHash<QString, int>& placedHours) {
    if (!db::courses::any(c))
        return false;
    // Basic-course hours of a subject; 0 when the subject is not found. Asked once a subject:
    // many courses share one.
    QHash<QString, int> hoursBySubject;
    const auto hoursOfSubject = [&](const QVariant& subject) {
        const QString key = subject.toString();
        const auto known = hoursBySubject.constFind(key);
        if (known != hoursBySubject.cend())
            return *known;
        return hoursBySubject[key] = val(db::courses::basicHours(c, subject).toString());
    };
    bool seen = false;
    for (const db::courses::Course& k : db::courses::ofSchoolYear(c, s_.SchjID)) {
        seen = true;
        const std::optional<int> hours = courseHours(k, hoursOfSubject);
        if (!hours)
            return false;
        if (*hours == 0) {
            critical(QStringLiteral("Bei ") + k.bez + QStringLiteral(" fehlt die Stundenzahl!") +
                     kCrLf);
            continue;
        }
        if (*hours >= 10) {
            critical(QStringLiteral("Der Kurs %1 hat %2 Wochenstunden; das Programm verteilt "
                                    "höchstens 9.")
                         .arg(k.bez.trimmed())
                         .arg(*hours));
            continue;
        }
        const int rest = *hours - placedHours.value(k.key);
        plan.addCourse({k.key, k.bez, k.schj});
        if (rest > 0)
            insertWaiting(static_cast<int>(plan.waiting.size()), {k.key, rest});
    }
    if (!seen)
        critical(QStringLiteral("Für das Schuljahr: ") + s_.SchjBez +
                 QStringLiteral(" fehlen die Kurse der Kursdatei!") + kCrLf +
                 QStringLiteral("Bitte erfassen Sie mit Orvid neue Kurse!") + kCrLf +
                 QStringLiteral("Importieren Sie dann nochmal!"));
    return seen;
}

std::optional<int> SetzenK::courseHours(const db::courses::Course& k,
                                        const std::function<int(const QVariant&)>& hoursOfSubject) {
    if (blank(k.fa1) && blank(k.fa3)) {
        critical(missingSubjectText(k.bez));
        return std::nullopt;
    }
    if (!blank(k.std))
        return val(k.std.toString());
    if (k.lkgk == QLatin1String("L"))
        return 5;
    if (k.lkgk != QLatin1String("G"))
        return 0;
    if (k.jgst == QLatin1String("12") || k.jgst == QLatin1String("13")) {
        const QVariant& subject = k.jgst == QLatin1String("12") ? k.fa1 : k.fa3;
        if (blank(subject)) {
            critical(missingSubjectText(k.bez));
            return std::nullopt;
        }
        return hoursOfSubject(subject);
    }
    // Any other year code than "50" names no subject for the hours: the course has none.
    int hours = 0;
    if (k.jgst == QLatin1String("50")) {
        if (!blank(k.fa1))
            hours = hoursOfSubject(k.fa1);
        if (hours == 0 && !blank(k.fa3))
            hours = hoursOfSubject(k.fa3);
    }
    return hours;
}

// ---------------------------------------------------------------------------------------------
// List and grid events

void SetzenK::LNKurse_Click() {
    db::Connection c(s_.databasePath());
    Workspace::LNKurse_Click(c);
}

void SetzenK::UpListen() {
    db::Connection c(s_.databasePath());
    Workspace::UpListen(c);
}

void SetzenK::SortLNKurse() {
    db::Connection c(s_.databasePath());
    Workspace::SortLNKurse(c);
}

void SetzenK::GKursStUp() {
    db::Connection c(s_.databasePath());
    GKursStUp(c);
    emit changed();
}

void SetzenK::LKollisionen_Click() {
    const std::vector<int> selected = LKollisionen.selectedRows();
    if (selected.empty())
        return;
    const QString key = kollisionen.at(static_cast<size_t>(selected.front())).studentKey;
    txtMld.clear();
    db::Connection c(s_.databasePath());
    const Kollegiat k = LKKollegiat(c, key);
    txtMld = k.courseNames;
    txtMldKurse = k.names;
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

void SetzenK::CmbJahrgang_Click() {
    Bewerten();
}

void SetzenK::Bewerten() {
    common::CommandScope scope(s_.databasePath());
    Bewertung(scope, *this).run();
}

void SetzenK::LPlanKollisionen_Click() {
    const std::vector<int> selected = LPlanKollisionen.selectedRows();
    planStudent = selected.empty()
                      ? QString()
                      : PlanCollisionLine::studentKey(LPlanKollisionen.line(selected.front()));
    Bewertung::showRailsOf(*this, planStudent);
    emit changed();
}

} // namespace placement
