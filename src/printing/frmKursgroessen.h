#pragma once

#include "common/CourseSizes.h"
#include "ui/Window.h"

#include <QStringList>
#include <vector>

namespace ui {
class Host;
}

namespace printing {

// "Kursgrößen": the cohort's course sizes by groups of parallel courses, each with its limits
// (KS_MIN, KS_MAX) and the group's target size; the view draws them as a chart, "&Drucken"
// prints them as bars of a fixed-width text, in the preview the other printouts use.
class frmKursgroessen : public ui::Window {
    Q_OBJECT
public:
    frmKursgroessen(ui::Host& host, std::vector<common::SizeGroup> groups, const QString& cohort);

    const std::vector<common::SizeGroup> groups;
    // The courses outside their limits, as the view names them under the chart.
    QString lblAusserhalb;

    void cmdDrucken_Click();
    void cmdSchliessen_Click();

    // The printout's lines: per group a heading with its target size, per course a bar of '#'
    // scaled to the largest size or limit, its size and limits, and "außerhalb" beyond them.
    static QStringList lines(const std::vector<common::SizeGroup>& groups);

private:
    ui::Host& host_;
};

// Shows the window modally.
void showKursgroessen(ui::Host& host, std::vector<common::SizeGroup> groups, const QString& cohort);

} // namespace printing
