#pragma once

#include "ui/Host.h"

#include <QFont>
#include <QPageLayout>
#include <QString>
#include <vector>

class QPagedPaintDevice;

// Print jobs laid out on paper: the one page layout that the printer and its preview (gui/) and
// the PDF files of kubb share, so that both give the same pages. Qt Gui only, no widgets: kubb
// paints with it on the offscreen platform.
namespace pages {

// A4 in the job's orientation with narrow margins: the printouts' widest table, 169 characters
// of Courier New 8 pt, just fits across A4 landscape.
QPageLayout pageLayout(ui::Orientation orientation);

// The font for a family a printout names: that family when this machine has it, else Liberation
// Mono (Courier New's metrics), else the system's fixed-pitch font, so the columns line up.
QFont fixedFont(const QString& family, double pointSize);

// A job that keeps what the logic sends (fonts, attributes, lines, page breaks) and paints it
// onto pages. Lines are drawn without their trailing blanks, so an underline stops at the text;
// a line wider than the page is cut at the page's edge, as a printer cuts it; lines that run
// past the bottom go on on a new page.
class PageJob : public ui::PrintJob {
public:
    void setOrientation(ui::Orientation o) override { orientation_ = o; }
    void setFont(const QString& name, double pointSize) override;
    void setBold(bool on) override;
    void setUnderline(bool on) override;
    void printLine(const QString& text) override;
    void newPage() override;

    ui::Orientation orientation() const { return orientation_; }
    // Paints every page onto a printer or PDF writer; its page layout is the caller's.
    // Returns the number of pages, 0 when the device cannot be painted on.
    int paint(QPagedPaintDevice& device) const;
    // Writes the job as a PDF on A4 (pageLayout), whole or not at all: on any failure the
    // previous file stays. Throws platform::FileError naming the file and the cause.
    void writePdf(const QString& path) const;

private:
    struct Op {
        enum Kind { Font, Bold, Underline, Line, Page } kind;
        QString text;
        double size = 0;
        bool on = false;
    };
    ui::Orientation orientation_ = ui::Orientation::Portrait;
    std::vector<Op> ops_;
};

// A job that goes into a PDF file when it ends.
class PdfJob : public PageJob {
public:
    explicit PdfJob(QString path) : path_(std::move(path)) {}
    void endDoc() override { writePdf(path_); }

private:
    QString path_;
};

} // namespace pages
