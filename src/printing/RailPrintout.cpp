#include "printing/RailPrintout.h"

#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "platform/RunState.h"
#include "printing/Layouts.h"
#include "printing/Rails.h"
#include "ui/Host.h"

namespace printing {

namespace {

// A printed column: the rail's header cell and its course cells.
struct Column {
    QString header;
    QStringList courses;
};

void printBand(ui::PrintJob& job, const Column* first, const Column* last) {
    qsizetype height = 0;
    for (const Column* c = first; c != last; ++c)
        height = std::max(height, c->courses.size());
    for (qsizetype r = 0; r <= height; ++r) {
        QStringList texts;
        for (const Column* c = first; c != last; ++c) {
            if (r == 0)
                texts << c->header;
            else if (r > c->courses.size())
                texts << RailPlan::fillerSlot();
            else
                texts << RailPlan::courseSlot(c->courses[r - 1]);
        }
        job.printLine(RailPlan::bandLine(texts));
    }
    job.printLine(QString());
}

} // namespace

void DruckSchienen(platform::RunState& s, ui::Host& host) {
    std::vector<Column> columns;
    {
        ui::Busy preparing(host, kPreparing);
        db::Connection c(s.databasePath());
        if (!c.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM block)")).toBool())
            return;
        for (const Rail& rail : loadRails(c, s.SchjID)) {
            if (rail.courses.empty())
                continue;
            Column column{rail.header, {}};
            for (const PlacedCourse& course : rail.courses)
                column.courses << RailPlan::courseCell(course.bez, db::AnzBelKurs(c, course.key));
            columns.push_back(std::move(column));
        }
    }

    auto job = host.startPrint();
    if (!job)
        return;
    job->setOrientation(ui::Orientation::Portrait);
    job->setFont(ui::kCourierNew, 12);
    for (const QString& line : fileHeader(s.databasePath()))
        job->printLine(line);
    job->printLine(QString());
    job->printLine(QString());
    // verbatim: "gesetze"
    job->printLine(QStringLiteral("Kursestatistik über gesetze Kurse"));
    for (size_t i = 0; i < columns.size(); i += RailPlan::kSlots) {
        const size_t end = std::min(columns.size(), i + RailPlan::kSlots);
        printBand(*job, columns.data() + i, columns.data() + end);
    }
    job->endDoc();
}

} // namespace printing
