// "Schiene auffüllen": putting the course selected in LNKurse onto the selected rail.

#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "placement/Layouts.h"
#include "placement/Moves.h"
#include "placement/SetzenK.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <QSet>
#include <QSqlQuery>
#include <cmath>

namespace placement {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

int countOf(const platform::RunState& s, const QString& courseKey) {
    db::Connection c(s.databasePath());
    return db::AnzBelKurs(c, courseKey);
}

bool blank(const QVariant& v) {
    return v.isNull() || v.toString().trimmed().isEmpty();
}

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

void SetzenK::cmdSchA_Click() {
    countsStale_ = true;
    ui::Grid& g = grdSchienen;
    if (g.Cols() == 0)
        return;
    const int c1 = g.SelStartCol();
    const int c2 = g.SelEndCol();
    if (refuseHeldColumn(c1, c2))
        return;

    // The entries of the selected rails, column by column from the top.
    QStringList railTexts;
    for (int col = c1; col <= c2; ++col)
        for (int row = 1; row < g.Rows(); ++row)
            if (!g.TextMatrix(row, col).isEmpty())
                railTexts << g.TextMatrix(row, col);

    // The hours compared below are those of the last selected rail.
    int railHours = 0;
    for (int col = c1; col <= c2; ++col) {
        railHours = RailHeader::hours(g.TextMatrix(0, col));
        if (railHours == 0) {
            critical(QStringLiteral("Stundenzahl der Schiene gleich 0 !"));
            return;
        }
    }
    const int freeRow = AnzKvS(c1 + 1) + 1;

    const auto refresh = [this] {
        emit changed();
        LSchueler.clear();
        LNKurse_Click();
    };
    const std::vector<int> selected = LNKurse.selectedRows();
    if (selected.empty()) {
        refresh();
        return;
    }
    const int index = selected.front();
    const QString entry = LNKurse.line(index);
    const QString key = CourseEntry::key(entry);
    // The rest of a split course never joins its first part on one rail: that rail could not be
    // saved.
    for (int row = 1; row < g.Rows(); ++row)
        if (CourseEntry::key(g.TextMatrix(row, c1)).compare(key, Qt::CaseInsensitive) == 0 &&
            !g.TextMatrix(row, c1).isEmpty()) {
            critical(QStringLiteral("Der Kurs ") + CourseEntry::name(entry).trimmed() +
                     QStringLiteral(" steht bereits auf dieser Schiene!"));
            return;
        }
    if (countOf(s_, key) == 0) {
        critical(QStringLiteral("Kurs: ") + CourseEntry::nameAndBlank(entry) +
                 QStringLiteral(" ist leer!"));
        return;
    }
    const int entryHours = CourseEntry::hours(entry);
    if (entryHours < railHours) {
        critical(QStringLiteral("Stundenzahl des Kurses kleiner Stundenzahl der Schiene!"));
        return;
    }
    if (!FKursAuf(entry, railTexts)) {
        critical(QStringLiteral("Kollisionen!") + kCrLf +
                 QStringLiteral("Nicht alle Kollegiaten des Kurses ") +
                 CourseEntry::nameAndBlank(entry) + QStringLiteral(" passen auf die Schiene!") +
                 kCrLf +
                 QStringLiteral(
                     "Zum Ausgleich ist kein Parallelkurs bei nichtverteilte Kurse vorhanden!") +
                 kCrLf + QStringLiteral("Verwenden Sie Kollisionen beseitigen!"));
        return;
    }

    // Place it; hours beyond the rail's stay behind in the list at the same position.
    if (g.Rows() < freeRow + 1)
        g.setRows(freeRow + 1);
    if (g.FixedRows() == 0 && g.Rows() > 1)
        g.setFixedRows(1);
    LNKurse.removeLine(index);
    if (entryHours > railHours)
        LNKurse.insertLine(index, CourseEntry::withHours(entry, entryHours - railHours));
    g.setTextMatrix(freeRow, c1, CourseEntry::withHours(entry, railHours));
    refresh();

    // Evening out against the parallel courses.
    const int n0 = countOf(s_, key);
    const Alternatives alt = AlternativKurs(CourseEntry::name(entry));
    if (alt.any()) {
        int sum = 0;
        {
            db::Connection c(s_.databasePath());
            for (const QString& p : alt.courses)
                sum += db::AnzBelKurs(c, ParallelCourse::key(p));
        }
        const double avg =
            static_cast<double>(sum + n0) / static_cast<double>(alt.courses.size() + 1);
        const int target = static_cast<int>(std::floor(avg));
        if (avg >= n0) {
            if (target > n0)
                ui::tell(host_,
                         QStringLiteral("Auf diese Schiene passen zu wenig Kollegiaten des "
                                        "Kurses!") +
                             kCrLf + QStringLiteral("Anzahl: ") + QString::number(n0) + kCrLf +
                             QStringLiteral("Soll    : ") + QString::number(target),
                         ui::Icon::Information);
        } else {
            const ui::Answer a = host_.message(
                {QStringLiteral("Auf diese Schiene passen mehr Kollegiaten des Kurses!") + kCrLf +
                     QStringLiteral("Anzahl: ") + QString::number(n0) + kCrLf +
                     QStringLiteral("Durchschnittliche Kursstärke    : ") +
                     QString::number(target) + kCrLf + QStringLiteral("Soll auf ") +
                     QString::number(target) + QStringLiteral(" ausgelichen werden?"),
                 QStringLiteral("Kurs- und Blockbildung"), ui::Icon::Question, ui::Buttons::YesNo,
                 0, std::nullopt});
            if (a == ui::Answer::Yes) {
                const int surplus = roundHalfEven(n0 - avg);
                // The first parallel course still in LNKurse, searched line by line.
                QString to;
                for (int i = 0; i < LNKurse.count() && to.isEmpty(); ++i)
                    for (const QString& p : alt.courses)
                        if (CourseEntry::key(LNKurse.line(i))
                                .compare(ParallelCourse::key(p), Qt::CaseInsensitive) == 0) {
                            to = ParallelCourse::key(p);
                            break;
                        }
                if (!to.isEmpty())
                    andererKurs(key, to, surplus);
            }
        }
    }

    const QString header = g.TextMatrix(0, c1);
    g.setTextMatrix(0, c1,
                    RailHeader::withCount(header, RailHeader::count(header) + countOf(s_, key)));
    emit changed();
}

bool SetzenK::FKursAuf(const QString& entry, const QStringList& railTexts) {
    bool ok = false;
    const QString courseKey = CourseEntry::key(entry);
    db::Connection c(s_.databasePath());
    db::Transaction tx(c);
    QString target;
    bool targetChosen = false;
    for (int i = 0; i < LSchueler.count(); ++i) {
        const QString line = LSchueler.line(i);
        if (StudentLine::courseNameAndBlank(line) != CourseEntry::nameAndBlank(entry))
            continue;
        ok = true;
        if (!KolBereitsSchiene(c, StudentLine::studentKey(line), courseKey, railTexts))
            continue;
        if (!targetChosen) {
            targetChosen = true;
            // The first parallel course, line by line through LNKurse, that is listed with its
            // full hours (one already split is never a target).
            const Alternatives alt = AlternativKurs(StudentLine::courseName(line));
            for (int l = 0; l < LNKurse.count() && target.isEmpty(); ++l) {
                const QString& listed = LNKurse.line(l);
                for (const QString& p : alt.courses) {
                    const QString key = ParallelCourse::key(p);
                    if (CourseEntry::key(listed).compare(key, Qt::CaseInsensitive) == 0 &&
                        CourseEntry::hours(listed) == StdKurs(c, key)) {
                        target = key;
                        break;
                    }
                }
            }
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

bool SetzenK::KolBereitsSchiene(const QString& studentKey, const QString& courseKey,
                                const QStringList& railTexts) {
    db::Connection c(s_.databasePath());
    return KolBereitsSchiene(c, studentKey, courseKey, railTexts);
}

bool SetzenK::KolBereitsSchiene(db::Connection& c, const QString& studentKey,
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
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT %1 FROM belegung WHERE BG_KO_ID = ?")
                   .arg(in12 ? QLatin1String("BG_KS_ID_12") : QLatin1String("BG_KS_ID_13")),
               {studentKey});
    while (q.next()) {
        const QString course = q.value(0).toString();
        if (course.compare(courseKey, Qt::CaseInsensitive) != 0 &&
            railKeys.contains(course.toUpper()))
            return true;
    }
    return false;
}

int SetzenK::StdKurs(const QString& courseKey) {
    db::Connection c(s_.databasePath());
    return StdKurs(c, courseKey);
}

int SetzenK::StdKurs(db::Connection& c, const QString& courseKey) {
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
        critical(QStringLiteral("Beim Kurs ") + k.value(0).toString() +
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
