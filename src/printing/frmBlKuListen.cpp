#include "printing/frmBlKuListen.h"

#include "common/Session.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "platform/RunState.h"
#include "platform/Text.h"
#include "printing/Layouts.h"
#include "ui/Host.h"

#include <QHash>
#include <QSet>

namespace printing {

using platform::kCrLf;

namespace {

// Keys compare ignoring ASCII case, as the database compares them.
QString foldKey(const QString& key) {
    QString k = key;
    for (QChar& ch : k)
        if (ch >= QLatin1Char('a') && ch <= QLatin1Char('z'))
            ch = QChar(ch.unicode() - 'a' + 'A');
    return k;
}

} // namespace

frmBlKuListen::frmBlKuListen(platform::RunState& s, ui::Host& host)
    : ui::Window(QStringLiteral("frmBlKuListen"),
                 QStringLiteral("Druck der Block-Kurs-Listen für die Jahrgangsstufe 12")),
      s_(s), host_(host) {
    setCommands({{QStringLiteral("cmdDruck"), QStringLiteral("&drucken"), {}, true, [this]() {
                      cmdDruck_Click();
                  }}});
}

void frmBlKuListen::Form_Load() {
    {
        db::Connection c(s_.databasePath());
        for (const QString& cohort : common::coursePhases(c, s_.SchjBez))
            cmbKollJahrg.addLine(cohort);
    }
    if (cmbKollJahrg.count() == 0) {
        ui::tell(host_, common::kNoCoursePhases);
        return;
    }
    cmbKollJahrg.setCurrent(0);
    cmbKollJahrg_Click();

    ui::Busy preparing(host_, kPreparing);
    db::Connection c(s_.databasePath());
    rails_ = loadRails(c, s_.SchjID);
    for (const Rail& rail : rails_)
        lstBlock.addLine(rail.header);
    emit changed();
}

void frmBlKuListen::cmbKollJahrg_Click() {
    setCaption(QStringLiteral("Druck der Block-Kurs-Listen für den Kollegiatenjahrgang ") +
               cmbKollJahrg.text());
}

void frmBlKuListen::optHoch_Click() {
    optHoch = true;
    OptQuer = false;
    emit changed();
}

void frmBlKuListen::OptQuer_Click() {
    optHoch = false;
    OptQuer = true;
    emit changed();
}

void frmBlKuListen::printPageHeader(ui::PrintJob& job, const QStringList& fileLines,
                                    const QString& cohort, const QStringList& headers) {
    for (const QString& line : fileLines)
        job.printLine(line);
    job.printLine(QString());
    job.setBold(true);
    job.printLine(CourseList::title(cohort));
    job.setBold(false);
    job.printLine(QString());
    job.printLine(CourseList::rule());
    job.setUnderline(true);
    job.printLine(CourseList::columnHeader(headers));
    job.setUnderline(false);
}

bool frmBlKuListen::selectionFits() {
    const int selected = lstBlock.selectedCount();
    if (selected == 0) {
        ui::tell(host_, QStringLiteral("Keine Blöcke ausgewählt!") + kCrLf +
                            QStringLiteral("Markieren Sie eine oder mehrere Zeilen der Liste!"));
        return false;
    }
    if (selected > kMaxRails) {
        // verbatim: "Zuviele", "Markieren weniger"
        ui::tell(host_, QStringLiteral("Zuviele Blöcke (>25) ausgewählt!") + kCrLf +
                            QStringLiteral("Markieren weniger Zeilen der Liste!"));
        return false;
    }
    if (selected > kMaxRailsPortrait && optHoch) {
        ui::tell(host_, QStringLiteral("Zuviele Blöcke (>16) ausgewählt!") + kCrLf +
                            QStringLiteral("Wählen Sie Querformat!"));
        return false;
    }
    return true;
}

void frmBlKuListen::cmdDruck_Click() {
    if (!selectionFits())
        return;

    // The chosen rails: the line of lstBlock is the rail of the same row.
    std::vector<const Rail*> chosen;
    QStringList headers;
    for (int row : lstBlock.selectedRows()) {
        chosen.push_back(&rails_.at(static_cast<size_t>(row)));
        headers << rails_[static_cast<size_t>(row)].header;
    }
    const QString cohort = cmbKollJahrg.text();
    // The other cohort of the school year is in year group 13.
    const QString courseField = db::courseField(db::yearGroup(cohort, s_.SchjBez) == 12 ? 12 : 13);

    db::Connection c(s_.databasePath());
    QHash<qint64, QSet<QString>> coursesOf; // KO_ID: the keys of the student's courses
    QSqlQuery choices = c.exec(QStringLiteral("SELECT k.KO_ID, b.%1 FROM kolleg k "
                                              "JOIN belegung b ON b.BG_KO_ID = k.KO_VFP_ID "
                                              "WHERE k.KO_KURSPH = ? AND b.%1 IS NOT NULL")
                                   .arg(courseField),
                               {cohort});
    while (choices.next())
        coursesOf[choices.value(0).toLongLong()].insert(foldKey(choices.value(1).toString()));
    QSqlQuery students = c.exec(QStringLiteral("SELECT KO_ID, KO_FAMNAME, KO_RUFNAME FROM kolleg "
                                               "WHERE KO_KURSPH = ? ORDER BY KO_FAMNAME COLLATE "
                                               "DEUTSCH, KO_RUFNAME COLLATE DEUTSCH, KO_ID"),
                                {cohort});

    auto job = host_.startPrint();
    if (!job)
        return;
    job->setFont(ui::kCourierNew, 8);
    job->setOrientation(OptQuer ? ui::Orientation::Landscape : ui::Orientation::Portrait);
    const int perPage = OptQuer ? kStudentsPerPageLandscape : kStudentsPerPagePortrait;
    const QStringList fileLines = fileHeader(s_.databasePath());
    printPageHeader(*job, fileLines, cohort, headers);
    int number = 0;
    bool collisions = false;
    while (students.next()) {
        ++number;
        if (number > 1 && (number - 1) % perPage == 0) {
            job->newPage();
            printPageHeader(*job, fileLines, cohort, headers);
        }
        const QSet<QString> own = coursesOf.value(students.value(0).toLongLong());
        QStringList cells;
        for (const Rail* rail : chosen) {
            // The last of the rail's courses that the student attends; the line cuts its
            // designation to the column. More than one is a collision, marked so that a
            // list that looks clean is clean.
            QString cell;
            int matches = 0;
            for (const PlacedCourse& course : rail->courses)
                if (own.contains(foldKey(course.key))) {
                    cell = course.bez;
                    ++matches;
                }
            if (matches > 1) {
                cell = CourseList::collisionCell(cell);
                collisions = true;
            }
            cells << cell;
        }
        job->setUnderline(true);
        job->printLine(CourseList::studentLine(
            number,
            CourseList::name(db::text(students, "KO_FAMNAME"), db::text(students, "KO_RUFNAME")),
            cells));
        job->setUnderline(false);
    }
    if (collisions)
        job->printLine(CourseList::collisionNote());
    job->endDoc();
}

void showBlKuListen(platform::RunState& s, ui::Host& host) {
    frmBlKuListen w(s, host);
    w.Form_Load();
    host.showModal(w);
}

} // namespace printing
