// The workspace's buttons and menu items: each with its handler, the command class it runs and
// what it may change. A new command gets its class (its own .h/.cpp), a body here and a line in
// the table.
#include "blocking/Write.h"
#include "common/CommandScope.h"
#include "db/Database.h"
#include "placement/AssignCourse.h"
#include "placement/AssignTeacher.h"
#include "placement/AutoPlacement.h"
#include "placement/Bewertung.h"
#include "placement/FillRail.h"
#include "placement/RailEditing.h"
#include "placement/RemoveCollisions.h"
#include "placement/SavePlacement.h"
#include "placement/SetzenK.h"
#include "placement/StudentOverview.h"
#include "placement/frmLehrerSchienen.h"
#include "placement/frmRegeln.h"
#include "placement/frmVarianten.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <utility>
#include <vector>

namespace placement {

namespace {

using enum Effect;

// The buttons, then the menu items of "&Bearbeiten", with their bodies and what they change.
struct Button {
    const char* name;
    const char* caption;
    SetzenK::Entry entry;
};

} // namespace

void SetzenK::setUpCommands() {
    static const Button buttons[] = {
        {"cmdKzw", "Kurs zuweisen", {&SetzenK::assignCourse, Students}},
        {"cmdSchA", "Schiene auffüllen", {&SetzenK::fillRail, Students}},
        {"cmdKollbs", "Kollisionen beseitigen", {&SetzenK::removeCollisions, Students}},
        {"cmdBlock", "Stunde ändern", {&SetzenK::changeHours, Placement}},
        {"CmdInvers", "invertieren", {&SetzenK::invert, None}},
        {"cmdKursL", "leeren Kurs löschen", {&SetzenK::deleteEmptyCourse, Courses}},
        {"cmdS2K", "<", {&SetzenK::toList, Placement}},
        {"cmdAnzBel", "Schüler mit Kursen", {&SetzenK::studentOverview, None}},
        {"cmdAutoS", "Automatisch setzen ...", {&SetzenK::autoPlace, Auto}},
    };
    // Every command ends by bringing the counts and the evaluation up to date, also when it
    // failed midway.
    const auto handler = [this](Entry e) { return [this, e] { execute(e, true); }; };
    std::vector<ui::Command> commands;
    for (const Button& b : buttons)
        commands.push_back(
            {QString::fromUtf8(b.name), QString::fromUtf8(b.caption), {}, true, handler(b.entry)});
    const QString bearb = QStringLiteral("menuBearb");
    const QString hilfe = QStringLiteral("menuHilfe");
    const std::vector<ui::Command> menus = {
        {bearb, QStringLiteral("&Bearbeiten"), {}, true, {}},
        // Both wait for a command to take back or to do again.
        {QStringLiteral("menuBearbRueck"), QStringLiteral("&Rückgängig"), bearb, false,
         handler({&SetzenK::undoLast, Auto})},
        {QStringLiteral("menuBearbWied"), QStringLiteral("&Wiederherstellen"), bearb, false,
         handler({&SetzenK::redoNext, Auto})},
        {QStringLiteral("menuBearbAus"), QStringLiteral("&ausschneiden"), bearb, true,
         handler({&SetzenK::cutRail, Placement})},
        // "&einfügen" waits for a column cut with "&ausschneiden".
        {QStringLiteral("menuBearbEinf"), QStringLiteral("&einfügen"), bearb, false,
         handler({&SetzenK::pasteRail, Placement})},
        {QStringLiteral("menuBearbFix"), QStringLiteral("&fixieren / lösen"), bearb, true,
         handler({&SetzenK::toggleFixed, Placement})},
        {QStringLiteral("menuBearbRegeln"), QStringLiteral("&Regeln ..."), bearb, true,
         handler({&SetzenK::editRules, None})},
        {QStringLiteral("menuBearbVarianten"), QStringLiteral("&Varianten ..."), bearb, true,
         handler({&SetzenK::editVariants, Auto})},
        // The course of the grid's current cell; the lists' context menus name theirs.
        {QStringLiteral("menuBearbLehrer"), QStringLiteral("&Lehrer zuweisen ..."), bearb, true,
         [this] { grdSchienen_LehrerZuweisen(); }},
        {QStringLiteral("menuBearbKursgroessen"), QStringLiteral("&Kursgrößen ..."), bearb, true,
         [this] { menuBearbKursgroessen_Click(); }},
        {QStringLiteral("menuAnsicht"), QStringLiteral("&Ansicht"), {}, true, {}},
        {QStringLiteral("menuAnsichtLehrer"), QStringLiteral("&Lehrer je Schiene ..."),
         QStringLiteral("menuAnsicht"), true, handler({&SetzenK::teachersByRail, None})},
        {hilfe, QStringLiteral("&?"), {}, true, {}},
        {QStringLiteral("menuHilfeHilfe"), QStringLiteral("&Hilfe"), hilfe, true,
         [this] { menuHilfeHilfe_Click(); }},
    };
    commands.insert(commands.end(), menus.begin(), menus.end());
    setCommands(std::move(commands));
    setShortcut(QStringLiteral("menuBearbAus"), QStringLiteral("Ctrl+X"));
    setShortcut(QStringLiteral("menuBearbEinf"), QStringLiteral("Ctrl+V"));
    setShortcut(QStringLiteral("menuBearbRueck"), QStringLiteral("Ctrl+Z"));
    setShortcut(QStringLiteral("menuBearbWied"), QStringLiteral("Ctrl+Y"));
    setShortcut(QStringLiteral("menuHilfeHilfe"), QStringLiteral("F1"));
}

void SetzenK::execute(const Entry& e, bool refresh) {
    // The plan's commands write the whole cohort: they wait for another program as saving does.
    const bool wholePlan = e.effect == Auto;
    common::CommandScope::run(
        s_.databasePath(), wholePlan ? saveLockTimeoutMs : -1,
        [&](common::CommandScope& scope) { (this->*e.body)(scope); },
        [&](common::CommandScope& scope) {
            if (refresh)
                afterCommand(scope, e.effect);
            showHistory();
        });
}

void SetzenK::afterCommand(common::CommandScope& scope, Effect e) noexcept {
    // A deleted course may stand in the plans the history keeps.
    if (e == Courses)
        history.clear();
    studentsStale = studentsStale || e == Students || e == Auto;
    coursesStale = coursesStale || e == Courses || e == Teachers;
    // Counted once the command is through: "Schiene auffüllen" still moves students after it
    // listed them.
    if (e == Students || e == Courses) {
        try {
            zaehleSchueler(scope.connection());
        } catch (const std::exception&) {
            countsStale = true; // the next click on LNKurse counts again
        }
    }
    Bewertung(scope, *this).run();
}

void SetzenK::record(common::CommandScope& scope, const QString& caption, Effect e,
                     const std::function<void(db::Connection&)>& body) {
    history.run(scope.connection(),
                std::make_unique<RecordedCommand>(*this, host_, caption, e, body));
}

void SetzenK::showHistory() {
    const PlanCommand* back = history.toUndo();
    const PlanCommand* again = history.toRedo();
    const QString rueck = QStringLiteral("&Rückgängig");
    const QString wied = QStringLiteral("&Wiederherstellen");
    setCommandCaption(QStringLiteral("menuBearbRueck"),
                      back ? rueck + QStringLiteral(": ") + back->caption() : rueck);
    setCommandCaption(QStringLiteral("menuBearbWied"),
                      again ? wied + QStringLiteral(": ") + again->caption() : wied);
    setEnabled(QStringLiteral("menuBearbRueck"), back != nullptr);
    setEnabled(QStringLiteral("menuBearbWied"), again != nullptr);
}

// The handlers as the window names them run their command without the refresh a click adds.
void SetzenK::cmdKzw_Click() {
    execute({&SetzenK::assignCourse, Students}, false);
}
void SetzenK::cmdKollbs_Click() {
    execute({&SetzenK::removeCollisions, Students}, false);
}
void SetzenK::cmdSchA_Click() {
    execute({&SetzenK::fillRail, Students}, false);
}
void SetzenK::cmdAutoS_Click() {
    execute({&SetzenK::autoPlace, Auto}, false);
}
void SetzenK::menuBearbRueck_Click() {
    execute({&SetzenK::undoLast, Auto}, false);
}
void SetzenK::menuBearbWied_Click() {
    execute({&SetzenK::redoNext, Auto}, false);
}
void SetzenK::cmdBlock_Click() {
    execute({&SetzenK::changeHours, Placement}, false);
}
void SetzenK::cmdS2K_Click() {
    execute({&SetzenK::toList, Placement}, false);
}
void SetzenK::menuBearbAus_Click() {
    execute({&SetzenK::cutRail, Placement}, false);
}
void SetzenK::menuBearbEinf_Click() {
    execute({&SetzenK::pasteRail, Placement}, false);
}
void SetzenK::menuBearbFix_Click() {
    execute({&SetzenK::toggleFixed, Placement}, false);
}
void SetzenK::cmdKursL_Click() {
    execute({&SetzenK::deleteEmptyCourse, Courses}, false);
}
void SetzenK::cmdAnzBel_Click() {
    execute({&SetzenK::studentOverview, None}, false);
}
void SetzenK::CmdInvers_Click() {
    for (int i = 0; i < LSchueler.count(); ++i)
        LSchueler.setSelected(i, !LSchueler.selected(i));
    emit changed();
}

void SetzenK::menuHilfeHilfe_Click() {
    host_.showHelp(ui::HelpRef::byKeyword(caption()));
}

// The bodies: each command's class on the scope's connection; those that change the plan or the
// students' courses go into the history.
void SetzenK::assignCourse(common::CommandScope& scope) {
    record(scope, QStringLiteral("Kurs zuweisen"), Students,
           [this](db::Connection& c) { AssignCourse(c, *this, host_).run(); });
}
void SetzenK::removeCollisions(common::CommandScope& scope) {
    record(scope, QStringLiteral("Kollisionen beseitigen"), Students,
           [this](db::Connection& c) { RemoveCollisions(c, *this, host_).run(); });
}
void SetzenK::fillRail(common::CommandScope& scope) {
    record(scope, QStringLiteral("Schiene auffüllen"), Students,
           [this](db::Connection& c) { FillRail(c, *this, host_).run(); });
}
void SetzenK::autoPlace(common::CommandScope& scope) {
    history.run(scope.connection(), std::make_unique<AutoPlanCommand>(*this, host_));
}
void SetzenK::undoLast(common::CommandScope& scope) {
    // Nothing to take back: the file is left alone.
    PlanCommand* command = history.toUndo();
    if (!command)
        return;
    if (command->undo(scope.connection()))
        history.undone();
    else if (command->effect() == Auto)
        history.clear(); // the plan in the file is no longer the one written
}
void SetzenK::redoNext(common::CommandScope& scope) {
    PlanCommand* command = history.toRedo();
    if (!command)
        return;
    if (command->redo(scope.connection()))
        history.redone();
    else if (command->effect() == Auto)
        history.clear();
}
void SetzenK::changeHours(common::CommandScope& scope) {
    record(scope, QStringLiteral("Stunde ändern"), Placement,
           [this](db::Connection& c) { RailEditing(c, *this, host_).changeHours(); });
}
void SetzenK::toList(common::CommandScope& scope) {
    record(scope, QStringLiteral("<"), Placement,
           [this](db::Connection& c) { RailEditing(c, *this, host_).toList(); });
}
void SetzenK::cutRail(common::CommandScope& scope) {
    record(scope, QStringLiteral("ausschneiden"), Placement,
           [this](db::Connection& c) { RailEditing(c, *this, host_).cut(); });
}
void SetzenK::pasteRail(common::CommandScope& scope) {
    record(scope, QStringLiteral("einfügen"), Placement,
           [this](db::Connection& c) { RailEditing(c, *this, host_).paste(); });
}
void SetzenK::toggleFixed(common::CommandScope& scope) {
    record(scope, QStringLiteral("fixieren / lösen"), Placement,
           [this](db::Connection& c) { RailEditing(c, *this, host_).toggleFixed(); });
}
void SetzenK::deleteEmptyCourse(common::CommandScope& scope) {
    RailEditing(scope.connection(), *this, host_).deleteEmptyCourse();
}
void SetzenK::invert(common::CommandScope&) {
    CmdInvers_Click();
}
void SetzenK::menuBearbRegeln_Click() {
    execute({&SetzenK::editRules, None}, false);
}
void SetzenK::editRules(common::CommandScope&) {
    frmRegeln rules(s_, host_);
    rules.Form_Load();
    host_.showModal(rules);
    // The rules are read with the cohort's model: a changed rule reads it again.
    coursesStale = coursesStale || rules.rulesChanged;
}
void SetzenK::menuBearbVarianten_Click() {
    execute({&SetzenK::editVariants, Auto}, false);
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
        fitToPlan(loaded.model);
        ownCkkurs = ownCkkurs || ckkursChecksum(c) == ckkursAtLoading;
        blocking::write(c, loaded.model, loaded.model.placement, loaded.model.assignment,
                        loaded.state);
    };
    const Plan before = plan;
    frmVarianten window(s_, host_, cohort, writePlan);
    window.Form_Load();
    host_.showModal(window);
    if (!window.planWritten)
        return;
    // The file holds another plan than the one the history would take back to.
    history.clear();
    db::Connection& c = scope.connection();
    // What this window wrote is no other program's save.
    if (ownCkkurs)
        ckkursAtLoading = ckkursChecksum(c);
    if (window.applied) {
        blocking::Loaded loaded = blocking::loadForPlan(c, year, cohort);
        const blocking::Placement plan = loaded.model.placement;
        fitToPlan(loaded.model);
        AutoPlacement(c, *this, host_).show(loaded.model, plan);
        // "Rückgängig" brings back the plan the workspace had before the window.
        if (window.taken)
            history.push(std::make_unique<VariantPlanCommand>(*this, host_,
                                                              std::move(*window.taken), before));
    }
}
void SetzenK::LNKurse_LehrerZuweisen() {
    const int line = LNKurse.currentIndex();
    if (line < 0 || line >= static_cast<int>(plan.waiting.size()))
        return;
    lehrerKurs_ = plan.waiting[static_cast<size_t>(line)].course;
    execute({&SetzenK::assignTeacher, Teachers}, true);
}
void SetzenK::grdSchienen_LehrerZuweisen() {
    const Placed* p = placedAt(grdSchienen.Row(), grdSchienen.Col());
    if (!p) {
        ui::tell(host_, QStringLiteral("Bitte wählen Sie zuerst einen Kurs aus."),
                 ui::Icon::Exclamation);
        return;
    }
    lehrerKurs_ = p->course;
    execute({&SetzenK::assignTeacher, Teachers}, true);
}
void SetzenK::assignTeacher(common::CommandScope& scope) {
    history.run(scope.connection(),
                std::make_unique<AssignTeacher>(*this, host_, std::exchange(lehrerKurs_, {})));
}
void SetzenK::menuAnsichtLehrer_Click() {
    execute({&SetzenK::teachersByRail, None}, false);
}
void SetzenK::teachersByRail(common::CommandScope&) {
    frmLehrerSchienen window(*this, host_);
    window.Form_Load();
    host_.showModal(window);
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
