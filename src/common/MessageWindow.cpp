#include "common/MessageWindow.h"

#include "platform/Text.h"
#include "ui/Host.h"

namespace common {

frmFMld::frmFMld(ui::Host& host)
    : ui::Window(QStringLiteral("frmFMld"), QStringLiteral("Kurszuweisung nicht möglich:")),
      host_(host) {
    setCommands({
        {QStringLiteral("cmddrucken"),
         QStringLiteral("&drucken"),
         {},
         true,
         [this]() { cmddrucken_Click(); }},
        {QStringLiteral("cmdgelesen"),
         QStringLiteral("&gelesen"),
         {},
         true,
         [this]() { cmdgelesen_Click(); }},
    });
}

void frmFMld::appendLine(const QString& line) {
    txtFMld += line + platform::kCrLf;
    emit changed();
}

void frmFMld::cmddrucken_Click() {
    auto job = host_.startPrint();
    job->setOrientation(ui::Orientation::Portrait);
    job->setFont(ui::kCourierNew, 10);
    job->setBold(true);
    job->printLine(caption());
    job->setBold(false);
    job->printLine(QString());
    for (const QString& l : lines())
        job->printLine(l);
    job->endDoc();
}

QStringList frmFMld::lines() const {
    QStringList out = txtFMld.split(platform::kCrLf);
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

void frmFMld::cmdgelesen_Click() {
    host_.hide(*this);
}

} // namespace common
