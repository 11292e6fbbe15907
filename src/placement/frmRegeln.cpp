#include "placement/frmRegeln.h"

#include "blocking/Rules.h"
#include "db/Database.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <stdexcept>

namespace placement {

namespace {

QString argCaption(blocking::RuleArg a) {
    switch (a) {
    case blocking::RuleArg::Course:
        return QStringLiteral("Kurs");
    case blocking::RuleArg::Rail:
        return QStringLiteral("Schiene");
    case blocking::RuleArg::Student:
        return QStringLiteral("Schüler");
    case blocking::RuleArg::Subject:
        return QStringLiteral("Fach");
    case blocking::RuleArg::None:
        break;
    }
    return {};
}

} // namespace

frmRegeln::frmRegeln(platform::RunState& s, ui::Host& host)
    : ui::Window(QStringLiteral("frmRegeln"), QStringLiteral("Regeln")), s_(s), host_(host) {
    setCommands({{QStringLiteral("cmdNeu"),
                  QStringLiteral("&Hinzufügen"),
                  {},
                  true,
                  [this] { cmdNeu_Click(); }},
                 {QStringLiteral("cmdLoeschen"),
                  QStringLiteral("&Löschen"),
                  {},
                  true,
                  [this] { cmdLoeschen_Click(); }},
                 {QStringLiteral("cmdSchliessen"), QStringLiteral("&Schließen"), {}, true, [this] {
                      cmdSchliessen_Click();
                  }}});
}

void frmRegeln::Form_Load() {
    QStringList kinds;
    for (const blocking::RuleKindInfo& k : blocking::ruleKinds())
        kinds << QString::fromUtf8(k.caption);
    CmbArt.setLines(kinds);
    CmbArt.setCurrent(0);
    listRules();
    CmbArt_Click();
}

void frmRegeln::listRules() {
    db::Connection c(s_.databasePath());
    QStringList lines;
    const QStringList rules = blocking::captionRules(c, s_.SchjID);
    for (int i = 0; i < rules.size(); ++i)
        lines << QStringLiteral("%1  %2").arg(i + 1).arg(rules[i]);
    lstRegeln.setLines(lines);
    emit changed();
}

void frmRegeln::CmbArt_Click() {
    const int i = CmbArt.currentIndex();
    if (i < 0)
        return;
    const blocking::RuleKindInfo& k = blocking::ruleKinds()[static_cast<size_t>(i)];
    db::Connection c(s_.databasePath());
    lblErste = argCaption(k.first);
    lblZweite = argCaption(k.second);
    offer(lstErste, erste_, k.first, blocking::ruleNames(c, s_.SchjID, k.first));
    offer(lstZweite, zweite_, k.second, blocking::ruleNames(c, s_.SchjID, k.second));
    emit changed();
}

// A student's line shows his name and class, the key he is added by stays behind it.
void frmRegeln::offer(ui::ListBox& l, QStringList& names, blocking::RuleArg what,
                      const QStringList& lines) {
    names.clear();
    QStringList shown;
    for (const QString& line : lines) {
        names << line.section(QStringLiteral("  "), 0, 0);
        shown << (what == blocking::RuleArg::Student ? line.section(QStringLiteral("  "), 1)
                                                     : line);
    }
    l.setLines(shown);
}

// The name a list's current line stands for.
QString frmRegeln::picked(const ui::ListBox& l, const QStringList& names) const {
    return names.value(l.currentIndex());
}

void frmRegeln::cmdNeu_Click() {
    const int i = CmbArt.currentIndex();
    if (i < 0)
        return;
    const blocking::RuleKindInfo& k = blocking::ruleKinds()[static_cast<size_t>(i)];
    QStringList names{picked(lstErste, erste_)};
    if (k.second != blocking::RuleArg::None)
        names << picked(lstZweite, zweite_);
    if (names.contains(QString())) {
        ui::tell(host_, QStringLiteral("Bitte wählen Sie aus, wofür die Regel gilt."),
                 ui::Icon::Exclamation);
        return;
    }
    try {
        db::Connection c(s_.databasePath());
        blocking::addRule(c, s_.SchjID, QLatin1String(k.name), names);
    } catch (const std::runtime_error& e) {
        ui::tell(host_, QString::fromStdString(e.what()), ui::Icon::Exclamation);
        return;
    }
    rulesChanged = true;
    listRules();
    lstRegeln.setCurrent(lstRegeln.count() - 1);
}

void frmRegeln::cmdLoeschen_Click() {
    const int i = lstRegeln.currentIndex();
    if (i < 0) {
        ui::tell(host_, QStringLiteral("Bitte wählen Sie eine Regel aus."), ui::Icon::Exclamation);
        return;
    }
    const QString rule = lstRegeln.line(i).section(QStringLiteral("  "), 1);
    const ui::Answer a = host_.message({QStringLiteral("Die Regel „%1“ löschen?").arg(rule),
                                        {},
                                        ui::Icon::Question,
                                        ui::Buttons::YesNo,
                                        1,
                                        {}});
    if (a != ui::Answer::Yes)
        return;
    try {
        db::Connection c(s_.databasePath());
        // The list may be older than the file: delete only the rule the line shows.
        db::Transaction tx(c);
        if (blocking::captionRules(c, s_.SchjID).value(i) != rule)
            throw std::runtime_error("Die Regeln wurden inzwischen von einem anderen Programm "
                                     "geändert; die Liste zeigt sie jetzt neu.");
        blocking::removeRule(c, s_.SchjID, i + 1);
        tx.commit();
    } catch (const std::runtime_error& e) {
        ui::tell(host_, QString::fromUtf8(e.what()), ui::Icon::Exclamation);
        listRules();
        return;
    }
    rulesChanged = true;
    listRules();
}

void frmRegeln::cmdSchliessen_Click() {
    host_.hide(*this);
}

void frmRegeln::Form_Unload() {
    host_.hide(*this);
}

} // namespace placement
