#include "gui/PrintJob.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace gui {

QtPrintJob::QtPrintJob(QWidget* parent) : parent_(parent) {}

void QtPrintJob::setOrientation(ui::Orientation o) {
    orientation_ = o;
}
void QtPrintJob::setFont(const QString& name, double pointSize) {
    ops_.push_back({Op::Font, name, pointSize, false});
}
void QtPrintJob::setBold(bool on) {
    ops_.push_back({Op::Bold, {}, 0, on});
}
void QtPrintJob::setUnderline(bool on) {
    ops_.push_back({Op::Underline, {}, 0, on});
}
void QtPrintJob::printLine(const QString& text) {
    ops_.push_back({Op::Line, text, 0, false});
}
void QtPrintJob::newPage() {
    ops_.push_back({Op::Page, {}, 0, false});
}

void QtPrintJob::render(QPrinter& printer) const {
    QPainter p(&printer);
    if (!p.isActive())
        return;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(10);
    p.setFont(font);
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    int y = 0;
    for (const Op& op : ops_) {
        switch (op.kind) {
        case Op::Font: {
            QFont f(op.text);
            f.setPointSizeF(op.size > 0 ? op.size : 10);
            // A missing font falls back to a fixed-pitch one, so the columns still line up.
            if (!QFontInfo(f).exactMatch() &&
                QFontInfo(f).family().compare(op.text, Qt::CaseInsensitive) != 0) {
                f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
                f.setPointSizeF(op.size > 0 ? op.size : 10);
            }
            f.setBold(p.font().bold());
            f.setUnderline(p.font().underline());
            p.setFont(f);
            break;
        }
        case Op::Bold: {
            QFont f = p.font();
            f.setBold(op.on);
            p.setFont(f);
            break;
        }
        case Op::Underline: {
            QFont f = p.font();
            f.setUnderline(op.on);
            p.setFont(f);
            break;
        }
        case Op::Line: {
            const int h = p.fontMetrics().lineSpacing();
            if (y + h > page.height() && y > 0) {
                printer.newPage();
                y = 0;
            }
            p.drawText(0, y + p.fontMetrics().ascent(), op.text);
            y += h;
            break;
        }
        case Op::Page:
            printer.newPage();
            y = 0;
            break;
        }
    }
}

void QtPrintJob::endDoc() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(orientation_ == ui::Orientation::Landscape ? QPageLayout::Landscape
                                                                          : QPageLayout::Portrait);
    const QString pdf = qEnvironmentVariable("KUBB_PRINT_PDF");
    if (!pdf.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        render(printer);
        return;
    }
    QPrintPreviewDialog preview(&printer, parent_);
    preview.setWindowTitle(QStringLiteral("Druckvorschau"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [this](QPrinter* target) { render(*target); });
    preview.exec();
}

} // namespace gui
