#include "printing/frmKursgroessen.h"

#include "ui/Host.h"

#include <algorithm>
#include <cmath>

namespace printing {

namespace {

constexpr int kBarWidth = 40;
constexpr int kNameWidth = 8;

QString decimal(double v) {
    return QString::number(v, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','));
}

QString limits(const common::SizeBar& b) {
    if (b.min <= 0 && b.max <= 0)
        return {};
    return QStringLiteral("(%1–%2)").arg(b.min > 0 ? QString::number(b.min) : QString(),
                                         b.max > 0 ? QString::number(b.max) : QString());
}

} // namespace

frmKursgroessen::frmKursgroessen(ui::Host& host, std::vector<common::SizeGroup> g,
                                 const QString& cohort)
    : ui::Window(QStringLiteral("frmKursgroessen"), QStringLiteral("Kursgrößen %1").arg(cohort)),
      groups(std::move(g)), host_(host) {
    QStringList outside;
    for (const common::SizeGroup& group : groups)
        for (const common::SizeBar& b : group.courses)
            if (b.outside())
                outside << QStringLiteral("%1 (%2 %3)").arg(b.course).arg(b.size).arg(limits(b));
    lblAusserhalb = outside.isEmpty() ? QStringLiteral("Alle Kurse liegen in ihren Grenzen.")
                                      : QStringLiteral("Außerhalb ihrer Grenzen: ") +
                                            outside.join(QStringLiteral(", "));
    setCommands({{QStringLiteral("cmdDrucken"),
                  QStringLiteral("&Drucken"),
                  {},
                  true,
                  [this] { cmdDrucken_Click(); }},
                 {QStringLiteral("cmdSchliessen"), QStringLiteral("S&chließen"), {}, true, [this] {
                      cmdSchliessen_Click();
                  }}});
}

QStringList frmKursgroessen::lines(const std::vector<common::SizeGroup>& groups) {
    int scale = 1;
    for (const common::SizeGroup& g : groups)
        for (const common::SizeBar& b : g.courses)
            scale = std::max({scale, b.size, b.max, b.min});
    QStringList out;
    for (const common::SizeGroup& g : groups) {
        out << QStringLiteral("%1 – Zielgröße %2").arg(g.label, decimal(g.target));
        for (const common::SizeBar& b : g.courses) {
            const int n = static_cast<int>(std::lround(double(b.size) * kBarWidth / scale));
            out << QStringLiteral("  %1 %2 %3 %4%5")
                       .arg(b.course.left(kNameWidth), -kNameWidth)
                       .arg(QString(n, QLatin1Char('#')), -kBarWidth)
                       .arg(b.size, 3)
                       .arg(limits(b))
                       .arg(b.outside() ? QStringLiteral(" außerhalb") : QString());
        }
        out << QString();
    }
    return out;
}

void frmKursgroessen::cmdDrucken_Click() {
    ui::printListing(host_, caption(), {lblAusserhalb}, lines(groups));
}

void frmKursgroessen::cmdSchliessen_Click() {
    host_.hide(*this);
}

void showKursgroessen(ui::Host& host, std::vector<common::SizeGroup> groups,
                      const QString& cohort) {
    frmKursgroessen w(host, std::move(groups), cohort);
    host.showModal(w);
}

} // namespace printing
