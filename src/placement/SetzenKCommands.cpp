// The workspace's buttons and menu items: each with its handler, the command class it runs and
// what it may change. A new command gets its class (its own .h/.cpp), a body here and a line in
// the table.
#include "blocking/Write.h"
#include "common/CommandScope.h"
#include "db/Database.h"
#include "placement/AssignCourse.h"
#include "placement/AutoPlacement.h"
#include "placement/Bewertung.h"
#include "placement/FillRail.h"
#include "placement/RailEditing.h"
#include "placement/RemoveCollisions.h"
#include "placement/SavePlacement.h"
#include "placement/SetzenK.h"
#include "placement/StudentOverview.h"
#include "placement/frmRegeln.h"
#include "placement/frmVarianten.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <vector>

namespace placement {

void SetzenK::setUpCommands() {
    using enum Effect;
    struct Button {
        const char* name;
        const char* caption;
        Body body;
        Effect effect;
    };
    static const Button buttons[] = {
        {"cmdKzw", "Kurs zuweisen", &SetzenK::assignCourse, Students},
        {"cmdSchA", "Schiene auffüllen", &SetzenK::fillRail, Students},
        {"cmdKollbs", "Kollisionen beseitigen", &SetzenK::removeCollisions, Students},
        {"cmdBlock", "Stunde ändern", &SetzenK::changeHours, Placement},
        {"CmdInvers", "invertieren", &SetzenK::invert, None},
        {"cmdKursL", "leeren Kurs löschen", &SetzenK::deleteEmptyCourse, Courses},
        {"cmdS2K", "<", &SetzenK::toList, Placement},
        {"cmdAnzBel", "Schüler mit Kursen", &SetzenK::studentOverview, None},
        {"cmdAutoS", "Automatisch setzen ...", &SetzenK::autoPlace, Auto},
    };
    // Every command ends by bringing the counts and the evaluation up to date, also when it
    // failed midway.
    const auto handler = [this](Body body, Effect e) {
        return [this, body, e] { execute(body, e); };
    };
    std::vector<ui::Command> commands;
    for (const Button& b : buttons)
        commands.push_back({QString::fromUtf8(b.name),
                            QString::fromUtf8(b.caption),
                            {},
                            true,
                            handler(b.body, b.effect)});
    const QString bearb = QStringLiteral("menuBearb");
    const QString hilfe = QStringLiteral("menuHilfe");
    const std::vector<ui::Command> menus = {
        {bearb, QStringLiteral("&Bearbeiten"), {}, true, {}},
        {QStringLiteral("menuBearbAus"), QStringLiteral("&ausschneiden"), bearb, true,
         handler(&SetzenK::cutRail, Placement)},
        // "&einfügen" waits for a column cut with "&ausschneiden".
        {QStringLiteral("menuBearbEinf"), QStringLiteral("&einfügen"), bearb, false,
         handler(&SetzenK::pasteRail, Placement)},
        {QStringLiteral("menuBearbFix"), QStringLiteral("&fixieren / lösen"), bearb, true,
         handler(&SetzenK::toggleFixed, Placement)},
        {QStringLiteral("menuBearbRegeln"), QStringLiteral("&Regeln ..."), bearb, true,
         handler(&SetzenK::editRules, None)},
        {QStringLiteral("menuBearbVarianten"), QStringLiteral("&Varianten ..."), bearb, true,
         handler(&SetzenK::editVariants, Auto)},
        // "&Rückgängig" waits for a plan taken over from "Automatisch setzen ...".
        {QStringLiteral("menuBearbRueck"), QStringLiteral("&Rückgängig"), bearb, false,
         handler(&SetzenK::undoPlan, Auto)},
        {hilfe, QStringLiteral("&?"), {}, true, {}},
        {QStringLiteral("menuHilfeHilfe"), QStringLiteral("&Hilfe"), hilfe, true,
         [this] { menuHilfeHilfe_Click(); }},
    };
    commands.insert(commands.end(), menus.begin(), menus.end());
    setCommands(std::move(commands));
    setShortcut(QStringLiteral("menuBearbAus"), QStringLiteral("Ctrl+X"));
    setShortcut(QStringLiteral("menuBearbEinf"), QStringLiteral("Ctrl+V"));
    setShortcut(QStringLiteral("menuBearbRueck"), QStringLiteral("Ctrl+Z"));
    setShortcut(QStringLiteral("menuHilfeHilfe"), QStringLiteral("F1"));
}

void SetzenK::execute(Body body, std::optional<Effect> refresh, int busyTimeoutMs) {
    // The plan's commands write the whole cohort: they wait for another program as saving does.
    if (body == &SetzenK::autoPlace || body == &SetzenK::undoPlan || body == &SetzenK::editVariants)
        busyTimeoutMs = saveLockTimeoutMs;
    common::CommandScope::run(
        s_.databasePath(), busyTimeoutMs,
        [&](common::CommandScope& scope) { (this->*body)(scope); },
        [&](common::CommandScope& scope) {
            if (refresh)
                afterCommand(scope, *refresh);
        });
}

void SetzenK::afterCommand(common::CommandScope& scope, Effect e) noexcept {
    if (e == Effect::Placement || e == Effect::Students || e == Effect::Courses)
        dropUndo();
    studentsStale = studentsStale || e == Effect::Students || e == Effect::Auto;
    coursesStale = coursesStale || e == Effect::Courses;
    // Counted once the command is through: "Schiene auffüllen" still moves students after it
    // listed them.
    if (e == Effect::Students || e == Effect::Courses) {
        try {
            zaehleSchueler(scope.connection());
        } catch (const std::exception&) {
            countsStale = true; // the next click on LNKurse counts again
        }
    }
    Bewertung(scope, *this).run();
}

// The handlers as the window names them run their command without the refresh a click adds.
void SetzenK::cmdKzw_Click() {
    execute(&SetzenK::assignCourse, std::nullopt);
}
void SetzenK::cmdKollbs_Click() {
    execute(&SetzenK::removeCollisions, std::nullopt);
}
void SetzenK::cmdSchA_Click() {
    execute(&SetzenK::fillRail, std::nullopt);
}
void SetzenK::cmdAutoS_Click() {
    execute(&SetzenK::autoPlace, std::nullopt);
}
void SetzenK::menuBearbRueck_Click() {
    execute(&SetzenK::undoPlan, std::nullopt);
}
void SetzenK::cmdBlock_Click() {
    execute(&SetzenK::changeHours, std::nullopt);
}
void SetzenK::cmdS2K_Click() {
    execute(&SetzenK::toList, std::nullopt);
}
void SetzenK::menuBearbAus_Click() {
    execute(&SetzenK::cutRail, std::nullopt);
}
void SetzenK::menuBearbEinf_Click() {
    execute(&SetzenK::pasteRail, std::nullopt);
}
void SetzenK::menuBearbFix_Click() {
    execute(&SetzenK::toggleFixed, std::nullopt);
}
void SetzenK::cmdKursL_Click() {
    execute(&SetzenK::deleteEmptyCourse, std::nullopt);
}
void SetzenK::cmdAnzBel_Click() {
    execute(&SetzenK::studentOverview, std::nullopt);
}
void SetzenK::CmdInvers_Click() {
    for (int i = 0; i < LSchueler.count(); ++i)
        LSchueler.setSelected(i, !LSchueler.selected(i));
    emit changed();
}

void SetzenK::menuHilfeHilfe_Click() {
    host_.showHelp(ui::HelpRef::byKeyword(caption()));
}

// The bodies: each command's class on the scope's connection.
void SetzenK::assignCourse(common::CommandScope& scope) {
    AssignCourse(scope.connection(), *this, host_).run();
}
void SetzenK::removeCollisions(common::CommandScope& scope) {
    RemoveCollisions(scope.connection(), *this, host_).run();
}
void SetzenK::fillRail(common::CommandScope& scope) {
    FillRail(scope.connection(), *this, host_).run();
}
void SetzenK::autoPlace(common::CommandScope& scope) {
    AutoPlacement(scope.connection(), *this, host_).run();
}
void SetzenK::undoPlan(common::CommandScope& scope) {
    // Nothing to take back: the file is left alone.
    if (autoUndo)
        AutoPlacement(scope.connection(), *this, host_).undo();
}
void SetzenK::changeHours(common::CommandScope& scope) {
    RailEditing(scope.connection(), *this, host_).changeHours();
}
void SetzenK::toList(common::CommandScope& scope) {
    RailEditing(scope.connection(), *this, host_).toList();
}
void SetzenK::cutRail(common::CommandScope& scope) {
    RailEditing(scope.connection(), *this, host_).cut();
}
void SetzenK::pasteRail(common::CommandScope& scope) {
    RailEditing(scope.connection(), *this, host_).paste();
}
void SetzenK::toggleFixed(common::CommandScope& scope) {
    RailEditing(scope.connection(), *this, host_).toggleFixed();
}
void SetzenK::deleteEmptyCourse(common::CommandScope& scope) {
    RailEditing(scope.connection(), *this, host_).deleteEmptyCourse();
}
void SetzenK::invert(common::CommandScope&) {
    CmdInvers_Click();
}
void SetzenK::menuBearbRegeln_Click() {
    execute(&SetzenK::editRules, std::nullopt);
}
void SetzenK::editRules(common::CommandScope&) {
    frmRegeln rules(s_, host_);
    rules.Form_Load();
    host_.showModal(rules);
    // The rules are read with the cohort's model: a changed rule reads it again.
    coursesStale = coursesStale || rules.rulesChanged;
}
void SetzenK::menuBearbVarianten_Click() {
    execute(&SetzenK::editVariants, std::nullopt);
}
void SetzenK::editVariants(common::CommandScope& scope) {
    const int cohort = Jahrgang();
    if (cohort == 0)
        return;
    // Taking a variant over replaces the grid's columns: not while one is cut.
    if (refuseHeldColumn(0, grdSchienen.Cols() - 1))
        return;
    const blocking::SchoolYear year{s_.SchjID, s_.SchjBez};
    bool ownCkkurs = false;
    // The plan as the workspace has it goes into the file before it is saved or replaced: the
    // grid may hold placements not saved yet.
    const auto writePlan = [&](db::Connection& c) {
        const bool current = !bewertungPending && !coursesStale && !studentsStale;
        blocking::Loaded loaded = blocking::loadForPlan(
            c, year, cohort, current ? bewertungModel.get() : nullptr, bewertungState);
        fitToGrid(loaded.model);
        ownCkkurs = ownCkkurs || ckkursChecksum(c) == ckkursAtLoading;
        blocking::write(c, loaded.model, loaded.model.placement, loaded.model.assignment,
                        loaded.state);
    };
    frmVarianten window(s_, host_, cohort, writePlan);
    window.Form_Load();
    host_.showModal(window);
    if (!window.planWritten)
        return;
    dropUndo();
    db::Connection& c = scope.connection();
    // What this window wrote is no other program's save.
    if (ownCkkurs)
        ckkursAtLoading = ckkursChecksum(c);
    if (window.applied) {
        blocking::Loaded loaded = blocking::loadForPlan(c, year, cohort);
        const blocking::Placement plan = loaded.model.placement;
        fitToGrid(loaded.model);
        AutoPlacement(c, *this, host_).show(loaded.model, plan);
    }
}
void SetzenK::studentOverview(common::CommandScope& scope) {
    StudentOverview(scope.connection(), *this, host_).run();
}

SetzenK::Closing SetzenK::Form_Unload() {
    return SavePlacement(*this, host_).close();
}
void SetzenK::SchrCkkurs(db::Connection& c) {
    SavePlacement(*this, host_).SchrCkkurs(c);
}
void SetzenK::SchrCkkurs() {
    SavePlacement(*this, host_).SchrCkkurs();
}
std::optional<QString> SetzenK::NeuBB() {
    return SavePlacement(*this, host_).NeuBB();
}

} // namespace placement
