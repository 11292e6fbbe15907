#pragma once

#include "blocking/Variants.h"
#include "ui/ListBox.h"
#include "ui/Window.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace ui {
class Host;
}
namespace db {
class Connection;
}
namespace platform {
struct RunState;
}

namespace placement {

// "Varianten": the named plans of the cohort chosen in the workspace, side by side with the
// current plan ("aktuell", the first line) on the evaluation's figures, and below them the least
// each figure can be ("Untergrenze", the last line; no plan to select). The lines of lstVarianten
// hold their fields separated by tabs, as Spalten names them. "Speichern als ..." and
// "Übernehmen" first write the plan as the workspace has it (writePlan, in the same transaction),
// so that the variant saved, or the one kept before taking another over, is what the planner
// sees in the grid.
class frmVarianten : public ui::Window {
    Q_OBJECT
public:
    using PlanWriter = std::function<void(db::Connection&)>;
    frmVarianten(platform::RunState& s, ui::Host& host, int cohort, PlanWriter writePlan);

    QStringList Spalten;            // the headings of lstVarianten's fields
    ui::ListBox lstVarianten{true}; // two lines selected for "Vergleichen"
    QStringList lstUnterschiede;    // what "Vergleichen" found
    QString lblUnterschiede;        // which two it compared
    // The plans of lstVarianten's lines with their figures, as the listing read them.
    std::vector<blocking::VariantInfo> plans;
    // The figures the view draws side by side for the selected lines (the current plan alone
    // when none is selected): their names, and per plan its name and values.
    struct Figures {
        QString plan;
        std::vector<int> values;
    };
    QStringList figureNames() const;
    std::vector<Figures> chosenFigures() const;
    // Whether a command wrote the plan: the workspace follows.
    bool planWritten = false;
    bool applied = false;
    // The latest variant taken over, to take it back from the workspace's history.
    std::optional<blocking::Applied> taken;

    void Form_Load();
    void cmdSpeichern_Click();
    void cmdVergleichen_Click();
    void cmdDrucken_Click();
    void cmdUebernehmen_Click();
    void cmdLoeschen_Click();
    void cmdUmbenennen_Click();
    void cmdSchliessen_Click();
    void Form_Unload();

private:
    void listVariants();
    // The last line of lstVarianten: the least each figure can be (b), none above a plan listed.
    blocking::VariantInfo boundsLine(const blocking::FigureBounds& b) const;
    // The variant of the selected line; empty (after saying so) unless one variant is selected.
    QString selectedVariant();
    QString nameOf(int line) const;
    // Asks before taking the variant of the line over, naming what changes.
    bool confirmTakeOver(int line);
    platform::RunState& s_;
    ui::Host& host_;
    int cohort_;
    PlanWriter writePlan_;
    QByteArray state_; // blocking::readState when the list was read
};

} // namespace placement
