// The workspace's buttons and menu items, each with its handler and what it may change.
#include "placement/SetzenK.h"

#include "ui/Host.h"

#include <vector>

namespace placement {

void SetzenK::setUpCommands() {
    // Every command ends by bringing the evaluation up to date, also when it failed midway.
    const auto handler = [this](void (SetzenK::*f)(), Effect e) {
        return [this, f, e] {
            struct End {
                SetzenK& w;
                Effect e;
                ~End() { w.afterCommand(e); }
            } end{*this, e};
            (this->*f)();
        };
    };
    using enum Effect;
    struct Button {
        const char* name;
        const char* caption;
        void (SetzenK::*click)();
        Effect effect;
    };
    static const Button buttons[] = {
        {"cmdKzw", "Kurs zuweisen", &SetzenK::cmdKzw_Click, Students},
        {"cmdSchA", "Schiene auffüllen", &SetzenK::cmdSchA_Click, Students},
        {"cmdKollbs", "Kollisionen beseitigen", &SetzenK::cmdKollbs_Click, Students},
        {"cmdBlock", "Stunde ändern", &SetzenK::cmdBlock_Click, Placement},
        {"CmdInvers", "invertieren", &SetzenK::CmdInvers_Click, None},
        {"cmdKursL", "leeren Kurs löschen", &SetzenK::cmdKursL_Click, Courses},
        {"cmdS2K", "<", &SetzenK::cmdS2K_Click, Placement},
        {"cmdAnzBel", "Schüler mit Kursen", &SetzenK::cmdAnzBel_Click, None},
        {"cmdAutoS", "Automatisch setzen ...", &SetzenK::cmdAutoS_Click, Auto},
    };
    std::vector<ui::Command> commands;
    for (const Button& b : buttons)
        commands.push_back({QString::fromUtf8(b.name),
                            QString::fromUtf8(b.caption),
                            {},
                            true,
                            handler(b.click, b.effect)});
    const QString bearb = QStringLiteral("menuBearb");
    const QString hilfe = QStringLiteral("menuHilfe");
    const std::vector<ui::Command> menus = {
        {bearb, QStringLiteral("&Bearbeiten"), {}, true, {}},
        {QStringLiteral("menuBearbAus"), QStringLiteral("&ausschneiden"), bearb, true,
         handler(&SetzenK::menuBearbAus_Click, Placement)},
        // "&einfügen" waits for a column cut with "&ausschneiden".
        {QStringLiteral("menuBearbEinf"), QStringLiteral("&einfügen"), bearb, false,
         handler(&SetzenK::menuBearbEinf_Click, Placement)},
        {QStringLiteral("menuBearbFix"), QStringLiteral("&fixieren / lösen"), bearb, true,
         handler(&SetzenK::menuBearbFix_Click, Placement)},
        // "&Rückgängig" waits for a plan taken over from "Automatisch setzen ...".
        {QStringLiteral("menuBearbRueck"), QStringLiteral("&Rückgängig"), bearb, false,
         handler(&SetzenK::menuBearbRueck_Click, Auto)},
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

void SetzenK::menuHilfeHilfe_Click() {
    host_.showHelp(ui::HelpRef::byKeyword(caption()));
}

} // namespace placement
