#include "ui/Host.h"

namespace ui {

Answer tell(Host& host, const QString& text, Icon icon, const QString& title) {
    return host.message({text, title, icon, Buttons::Ok, 0, std::nullopt});
}

void printListing(Host& host, const QString& title, const QStringList& headings,
                  const QStringList& lines) {
    auto job = host.startPrint();
    if (!job)
        return;
    job->setOrientation(Orientation::Portrait);
    job->setFont(kCourierNew, 10);
    job->setBold(true);
    job->printLine(title);
    job->setBold(false);
    for (const QString& l : headings)
        job->printLine(l);
    job->printLine(QString());
    for (const QString& l : lines)
        job->printLine(l);
    job->endDoc();
}

} // namespace ui
