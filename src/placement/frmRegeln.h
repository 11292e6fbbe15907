#pragma once

#include "blocking/Rules.h"
#include "ui/ComboBox.h"
#include "ui/ListBox.h"
#include "ui/Window.h"

#include <QString>
#include <QStringList>

namespace ui {
class Host;
}
namespace platform {
struct RunState;
}

namespace placement {

// "Regeln": the planner's rules of the school year, reached from the workspace. The list shows
// every rule as the planner reads it; below, the kind is chosen in CmbArt and what it names is
// picked in one or two lists (courses, rails, students, subjects), then "&Hinzufügen" adds the
// rule. "&Löschen" deletes the rule selected in the list after asking. Every command reads and
// writes the file on its own connection; the automatic setting keeps the rules, the evaluation
// names the broken ones.
class frmRegeln : public ui::Window {
    Q_OBJECT
public:
    frmRegeln(platform::RunState& s, ui::Host& host);

    const QString Label1 = QStringLiteral("Regeln des Schuljahres");
    const QString Label2 = QStringLiteral("Art");
    ui::ListBox lstRegeln{false};
    ui::ComboBox CmbArt;
    QString lblErste;  // what lstErste offers: "Kurs", "Schiene", "Schüler", "Fach"
    QString lblZweite; // what lstZweite offers; empty for a kind of one argument
    ui::ListBox lstErste{false};
    ui::ListBox lstZweite{false};
    // Whether a rule was added or deleted: the caller evaluates afresh.
    bool rulesChanged = false;

    void Form_Load();
    // Offers in the two lists what the chosen kind names.
    void CmbArt_Click();
    void cmdNeu_Click();
    void cmdLoeschen_Click();
    void cmdSchliessen_Click();
    void Form_Unload();

private:
    void listRules();
    void offer(ui::ListBox& l, QStringList& names, blocking::RuleArg what,
               const QStringList& lines);
    QString picked(const ui::ListBox& l, const QStringList& names) const;
    QStringList erste_; // what addRule takes for each line of lstErste
    QStringList zweite_;
    platform::RunState& s_;
    ui::Host& host_;
};

} // namespace placement
