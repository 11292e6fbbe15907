#pragma once

#include "ui/Host.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class QPrinter;

namespace gui {

// A print job for the Qt host: collects lines, fonts and page breaks, and on endDoc() shows the
// print preview (print, or save as PDF through the print dialog). With KUBB_PRINT_PDF set in the
// environment the job goes straight into that PDF file.
class QtPrintJob : public ui::PrintJob {
public:
    explicit QtPrintJob(QWidget* parent);
    void setOrientation(ui::Orientation o) override;
    void setFont(const QString& name, double pointSize) override;
    void setBold(bool on) override;
    void setUnderline(bool on) override;
    void printLine(const QString& text) override;
    void newPage() override;
    void endDoc() override;

    // Paints the collected job onto a printer.
    void render(QPrinter& printer) const;

private:
    struct Op {
        enum Kind { Font, Bold, Underline, Line, Page } kind;
        QString text;
        double size = 0;
        bool on = false;
    };
    QPointer<QWidget> parent_;
    ui::Orientation orientation_ = ui::Orientation::Portrait;
    std::vector<Op> ops_;
};

} // namespace gui
