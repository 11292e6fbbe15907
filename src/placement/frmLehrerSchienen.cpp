#include "placement/frmLehrerSchienen.h"

#include "placement/Workspace.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <QCollator>
#include <QHash>
#include <algorithm>

namespace placement {

frmLehrerSchienen::frmLehrerSchienen(Workspace& ws, ui::Host& host)
    : ui::Window(QStringLiteral("frmLehrerSchienen"), QStringLiteral("Lehrer je Schiene")), ws_(ws),
      host_(host) {
    setCommands({{QStringLiteral("cmdDrucken"),
                  QStringLiteral("&Drucken"),
                  {},
                  true,
                  [this] { cmdDrucken_Click(); }},
                 {QStringLiteral("cmdSchliessen"), QStringLiteral("&Schließen"), {}, true, [this] {
                      cmdSchliessen_Click();
                  }}});
}

void frmLehrerSchienen::Form_Load() {
    tabelle = {};
    const size_t columns = ws_.plan.rails.size() + 1;
    for (const PlanRail& r : ws_.plan.rails)
        tabelle.rails << QStringLiteral("%1 (%2 Std.)").arg(r.name.trimmed()).arg(r.hours);
    // One row per teacher, found by his key: two teachers may share a short name.
    QHash<QString, size_t> rowOf;
    const auto put = [&](const QString& course, size_t col) {
        const auto t = ws_.lehrer.constFind(course.toUpper());
        if (t == ws_.lehrer.constEnd())
            return;
        const QString key = t->key.trimmed().toUpper();
        if (!rowOf.contains(key)) {
            rowOf.insert(key, tabelle.rows.size());
            tabelle.rows.push_back({t->abbreviation.isEmpty() ? t->key.trimmed() : t->abbreviation,
                                    std::vector<QStringList>(columns)});
        }
        QStringList& cell = tabelle.rows[rowOf.value(key)].courses[col];
        const QString name = ws_.plan.course(course).name.trimmed();
        if (!cell.contains(name))
            cell << name;
    };
    for (size_t col = 0; col + 1 < columns; ++col)
        for (const Placed& p : ws_.plan.rails[col].courses)
            put(p.course, col);
    for (const Waiting& w : ws_.plan.waiting)
        put(w.course, columns - 1);
    QCollator order(QLocale(QLocale::German, QLocale::Germany));
    order.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(tabelle.rows.begin(), tabelle.rows.end(),
                     [&](const auto& a, const auto& b) { return order(a.teacher, b.teacher); });
    const int clashes = tabelle.clashes();
    // The rails hold both year groups' courses: more clashes than the panel counts for one.
    lblKollisionen =
        clashes == 0 ? QStringLiteral("keine Lehrerkollisionen")
                     : QStringLiteral("Lehrerkollisionen beider Jahrgangsstufen: %1").arg(clashes);
    if (tabelle.rows.empty())
        lblKollisionen = QStringLiteral("Die Kurse des Schuljahres nennen keinen Lehrer.");
    emit changed();
}

void frmLehrerSchienen::cmdDrucken_Click() {
    printing::DruckLehrerSchienen(host_, tabelle, ws_.state().databasePath());
}

void frmLehrerSchienen::cmdSchliessen_Click() {
    host_.hide(*this);
}

} // namespace placement
