#include "printing/RailPrintout.h"

#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "db/Rails.h"
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

// Lines 1-6 of every page (RailPlan::pageHeader).
constexpr int kHeaderLines = 6;

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
        if (!db::rails::any(c))
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

    // The bands of up to five printed rails, laid out on pages before printing so that each
    // page can be numbered: a band that does not fit below the ones before starts a new page.
    struct Band {
        size_t first;
        size_t end;
    };
    std::vector<std::vector<Band>> pages(1);
    int used = kHeaderLines;
    for (size_t i = 0; i < columns.size(); i += RailPlan::kSlots) {
        const Band band{i, std::min(columns.size(), i + RailPlan::kSlots)};
        qsizetype height = 0;
        for (size_t c = band.first; c < band.end; ++c)
            height = std::max(height, columns[c].courses.size());
        const int lines = static_cast<int>(height) + 1;
        if (!pages.back().empty() && used + lines > RailPlan::kLinesPerPage) {
            pages.emplace_back();
            used = kHeaderLines;
        }
        pages.back().push_back(band);
        used += lines + 1;
    }

    auto job = host.startPrint();
    if (!job)
        return;
    job->setOrientation(ui::Orientation::Portrait);
    job->setFont(ui::kCourierNew, 12);
    const QDateTime stand = lastModified(s.databasePath());
    for (size_t p = 0; p < pages.size(); ++p) {
        if (p > 0)
            job->newPage();
        for (const QString& line : RailPlan::pageHeader(
                 s.databasePath(), stand, static_cast<int>(p) + 1, static_cast<int>(pages.size())))
            job->printLine(line);
        for (const Band& band : pages[p])
            printBand(*job, columns.data() + band.first, columns.data() + band.end);
    }
    job->endDoc();
}

} // namespace printing
