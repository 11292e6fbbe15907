#include "gui/PrintJob.h"

#include "gui/QtHost.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

namespace gui {

QtPrintJob::QtPrintJob(QWidget* parent) : parent_(parent) {}

void QtPrintJob::endDoc() {
    const QString pdf = qEnvironmentVariable("KUBB_PRINT_PDF");
    if (!pdf.isEmpty()) {
        writePdf(pdf);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(pages::pageLayout(orientation()));
    QPrintPreviewDialog preview(&printer, parent_);
    preview.setWindowTitle(QStringLiteral("Druckvorschau"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [this](QPrinter* target) { paint(*target); });
    fitToScreen(preview);
    preview.exec();
}

} // namespace gui
