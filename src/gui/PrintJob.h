#pragma once

#include "pages/PageJob.h"

#include <QPointer>
#include <QWidget>

namespace gui {

// A print job for the Qt host: the pages of pages::PageJob, shown on endDoc() in the print
// preview (print, or save as PDF through the print dialog). With KUBB_PRINT_PDF set in the
// environment the job goes straight into that PDF file.
class QtPrintJob : public pages::PageJob {
public:
    explicit QtPrintJob(QWidget* parent);
    void endDoc() override;

private:
    QPointer<QWidget> parent_;
};

} // namespace gui
