#include "printing/frmBlKuListen.h"

#include "common/Session.h"
#include "db/Choices.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "db/Students.h"
#include "platform/RunState.h"
#include "platform/Text.h"
#include "printing/Layouts.h"
#include "ui/Host.h"

#include <QHash>
#include <QSet>
#include <algorithm>

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

// The student's course on each chosen rail: the last of the rail's courses he attends (own: the
// folded keys of his courses); the line cuts its designation to the column. More than one is a
// collision, marked so that a list that looks clean is clean.
QStringList railCells(const std::vector<const Rail*>& chosen, const QSet<QString>& own,
                      bool& collisions) {
    QStringList cells;
    for (const Rail* rail : chosen) {
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
    return cells;
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

void frmBlKuListen::printPageHeader(ui::PrintJob& job, QStringList fileLines, const QString& cohort,
                                    const QStringList& headers, int page, int pages) {
    fileLines[0] = CourseList::firstLine(page, pages, static_cast<int>(headers.size()));
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
    const int yearGroup = db::yearGroup(cohort, s_.SchjBez) == 12 ? 12 : 13;

    db::Connection c(s_.databasePath());
    QHash<qint64, QSet<QString>> coursesOf; // KO_ID: the keys of the student's courses
    for (const auto& [student, course] : db::choices::coursesOfCohort(c, cohort, yearGroup))
        coursesOf[student].insert(foldKey(course));
    const std::vector<db::students::Student> students = db::students::ofCohortByName(c, cohort);

    auto job = host_.startPrint();
    if (!job)
        return;
    job->setFont(ui::kCourierNew, 8);
    job->setOrientation(OptQuer ? ui::Orientation::Landscape : ui::Orientation::Portrait);
    const int perPage = OptQuer ? kStudentsPerPageLandscape : kStudentsPerPagePortrait;
    const QStringList fileLines = fileHeader(s_.databasePath());
    const int count = static_cast<int>(students.size());
    const int pages = std::max(1, (count + perPage - 1) / perPage);
    printPageHeader(*job, fileLines, cohort, headers, 1, pages);
    int number = 0;
    bool collisions = false;
    for (const db::students::Student& student : students) {
        ++number;
        if (number > 1 && (number - 1) % perPage == 0) {
            job->newPage();
            printPageHeader(*job, fileLines, cohort, headers, (number - 1) / perPage + 1, pages);
        }
        const QStringList cells = railCells(chosen, coursesOf.value(student.id), collisions);
        job->setUnderline(true);
        job->printLine(CourseList::studentLine(
            number, CourseList::name(student.famName, student.rufName), cells));
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
