#include "placement/SetzenK.h"

#include "common/CommandScope.h"
#include "db/Database.h"
#include "db/Statement.h"
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

QString field(const QSqlQuery& q, int i) {
    return q.value(i).toString();
}

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
    // Basic-course hours of a subject; 0 when the subject is not found. Asked once a subject:
    // many courses share one.
    QHash<QString, int> hoursBySubject;
    const auto hoursOfSubject = [&](const QVariant& subject) {
        const QString key = subject.toString();
        const auto known = hoursBySubject.constFind(key);
        if (known != hoursBySubject.cend())
            return *known;
        QSqlQuery& q = subjectHours.run({subject});
        return hoursBySubject[key] = q.next() ? val(field(q, 0)) : 0;
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
    const QString key = CollisionLine::studentKey(LKollisionen.line(selected.front()));
    txtMld.clear();
    db::Connection c(s_.databasePath());
    txtMld = LKKollegiat(c, key).courseNames;
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
