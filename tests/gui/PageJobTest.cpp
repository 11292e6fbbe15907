#include "pages/PageJob.h"
#include "printing/Layouts.h"
#include "support/TestDb.h"

#include <QBuffer>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPdfWriter>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct Job : pages::PageJob {
    void endDoc() override {}
};

// Whether n characters of the font fit across the printable width of A4 in that orientation.
bool fits(int n, double pointSize, ui::Orientation o) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setResolution(1200);
    pdf.setPageLayout(pages::pageLayout(o));
    const QFontMetricsF m(pages::fixedFont("Courier New", pointSize), &pdf);
    return m.horizontalAdvance(QString(n, QChar('W'))) <=
           pdf.pageLayout().paintRectPixels(1200).width();
}

// The pages of the job, written as PDF.
qsizetype pdfPages(Job& job, const test::TempDir& tmp) {
    job.writePdf(tmp.path("job.pdf"));
    return QString::fromLatin1(tmp.read("job.pdf")).count(QRegularExpression("/Type\\s*/Page[^s]"));
}

} // namespace

// Courier New or its metric twin; the widest lines of the printouts fit on A4: the rail plan
// (70 at 12 pt), the lists with 16 rails in portrait (115 at 8 pt) and 25 in landscape (169).
TEST(PageJob, PrintsInCourierNewsMetricsOnA4PagesAndGoesOnToANewPageAtTheBottom) {
    const QFont font = pages::fixedFont("Courier New", 8);
    const QFontInfo info(font);
    EXPECT_TRUE(info.fixedPitch());
    EXPECT_TRUE(info.family() == "Courier New" || info.family() == "Liberation Mono")
        << info.family().toStdString();
    EXPECT_EQ(font.pointSizeF(), 8);
    EXPECT_TRUE(fits(70, 12, ui::Orientation::Portrait));
    EXPECT_TRUE(fits(115, 8, ui::Orientation::Portrait));
    EXPECT_TRUE(fits(169, 8, ui::Orientation::Landscape));
    EXPECT_FALSE(fits(180, 8, ui::Orientation::Landscape));

    // One line, a page break, then 100 lines of 12 pt: more than one page holds.
    test::TempDir tmp;
    Job job;
    job.setFont("Courier New", 12);
    job.printLine("Schienenbildung:");
    job.newPage();
    for (int i = 1; i <= 100; ++i)
        job.printLine(QString::number(i));
    EXPECT_EQ(pdfPages(job, tmp), 3);

    // The rail plan's page holds the lines its pagination counts on.
    Job page;
    page.setFont("Courier New", 12);
    for (int i = 1; i <= printing::RailPlan::kLinesPerPage; ++i)
        page.printLine(QString::number(i));
    EXPECT_EQ(pdfPages(page, tmp), 1);
    // A file that cannot be written leaves nothing behind.
    EXPECT_THROW(job.writePdf(tmp.path("missing/job.pdf")), std::runtime_error);
}
