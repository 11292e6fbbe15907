#include "PlannerRun.h"

#include "placement/frmK.h"

#include <stdexcept>

namespace test {

ui::Answer RandomHost::message(const ui::Message& m) {
    shown << m.text;
    switch (m.buttons) {
    case ui::Buttons::YesNo:
        return pick(2) == 0 ? ui::Answer::Yes : ui::Answer::No;
    case ui::Buttons::YesNoCancel: {
        const ui::Answer answers[] = {ui::Answer::Yes, ui::Answer::No, ui::Answer::Cancel};
        return answers[pick(3)];
    }
    default:
        return ui::QuietHost::message(m);
    }
}

std::optional<QString> RandomHost::inputBox(const QString& prompt, const QString&, const QString&) {
    shown << prompt;
    const int n = pick(9);
    if (n == 8)
        return std::nullopt;
    return QString::number(n);
}

void RandomHost::showModal(ui::Window& w) {
    shown << w.name();
    if (w.name() != QLatin1String("frmK"))
        return;
    auto& chooser = static_cast<placement::frmK&>(w);
    if (pick(4) == 0) {
        chooser.cmdCancel_Click();
        return;
    }
    chooser.lstK.setCurrent(pick(chooser.lstK.count()));
    chooser.cmdOK_Click();
}

namespace {

const char* const kCommands[] = {"cmdKzw",    "cmdSchA",      "cmdKollbs",     "cmdBlock",
                                 "cmdS2K",    "menuBearbAus", "menuBearbEinf", "menuBearbFix",
                                 "cmdKursL",  "CmdInvers",    "cmdAnzBel",     "cmdSchA",
                                 "cmdKollbs", "cmdKzw"};

void selectSome(ui::ListBox& list, RandomHost& host, int most) {
    for (int i = 0; i < list.count(); ++i)
        list.setSelected(i, false);
    const int n = 1 + host.pick(most);
    for (int i = 0; i < n && list.count() > 0; ++i)
        list.setSelected(host.pick(list.count()), true);
}

QString gridStep(placement::SetzenK& w, RandomHost& host, bool extend) {
    ui::Grid& g = w.grdSchienen;
    if (g.Cols() == 0)
        return QStringLiteral("grid -");
    const int row = host.pick(g.Rows());
    const int col = host.pick(g.Cols());
    if (extend)
        g.extendSelection(row, col);
    else
        g.click(row, col);
    return QStringLiteral("grid %1 %2 %3").arg(extend).arg(row).arg(col);
}

QString act(placement::SetzenK& w, RandomHost& host, bool deleting) {
    switch (host.pick(16)) {
    case 0:
    case 1:
    case 2:
        selectSome(w.LNKurse, host, 3);
        w.LNKurse_Click();
        return QStringLiteral("LNKurse");
    case 3:
    case 4:
        return gridStep(w, host, false);
    case 5:
        return gridStep(w, host, true);
    case 6:
        selectSome(w.LSchueler, host, 4);
        return QStringLiteral("LSchueler");
    case 7:
        if (w.LKollisionen.count() > 0) {
            w.LKollisionen.setCurrent(host.pick(w.LKollisionen.count()));
            w.LKollisionen_Click();
        }
        return QStringLiteral("LKollisionen");
    case 8:
        if (host.pick(2) == 0)
            w.optMKolAlle_Click();
        else
            w.optMKolEinfach_Click();
        return QStringLiteral("optMKol");
    default: {
        QString name = QString::fromLatin1(kCommands[host.pick(std::size(kCommands))]);
        if (!deleting && name == QLatin1String("cmdKursL"))
            name = QStringLiteral("cmdS2K");
        return name + (w.click(name) ? QString() : QStringLiteral(" (aus)"));
    }
    }
}

} // namespace

QString randomStep(placement::SetzenK& w, RandomHost& host, bool deleting) {
    try {
        return act(w, host, deleting);
    } catch (const std::exception& e) {
        return QStringLiteral("Fehler: ") + QString::fromUtf8(e.what());
    }
}

namespace {

QStringList listShown(const QString& name, const ui::ListBox& l) {
    QStringList out{name + QStringLiteral(" %1").arg(l.count())};
    for (int i = 0; i < l.count(); ++i)
        out << (l.selected(i) ? QStringLiteral("* ") : QStringLiteral("  ")) + l.line(i);
    return out;
}

} // namespace

QStringList screen(const placement::SetzenK& w) {
    const ui::Grid& g = w.grdSchienen;
    QStringList out{QStringLiteral("grid %1x%2 fixed %3 at %4,%5 sel %6-%7 x %8-%9")
                        .arg(g.Rows())
                        .arg(g.Cols())
                        .arg(g.FixedRows())
                        .arg(g.Row())
                        .arg(g.Col())
                        .arg(g.SelStartRow())
                        .arg(g.SelEndRow())
                        .arg(g.SelStartCol())
                        .arg(g.SelEndCol())};
    for (int r = 0; r < g.Rows(); ++r)
        for (int c = 0; c < g.Cols(); ++c)
            out << (w.isFixed(r, c) ? QStringLiteral("*") : QString()) + g.TextMatrix(r, c);
    out << listShown(QStringLiteral("LNKurse"), w.LNKurse)
        << listShown(QStringLiteral("LSchueler"), w.LSchueler)
        << listShown(QStringLiteral("LSchImBlock"), w.LSchImBlock)
        << listShown(QStringLiteral("LKollisionen"), w.LKollisionen)
        << listShown(QStringLiteral("LPlanKollisionen"), w.LPlanKollisionen)
        << listShown(QStringLiteral("LSchuelerSchienen"), w.LSchuelerSchienen);
    out << w.lblSchueler << w.lblSchImBlock << w.lblKollisionen << w.lblKoll << w.txtMld
        << w.lblBewertung;
    for (const char* name : {"menuBearbAus", "menuBearbEinf"})
        out << QString::fromLatin1(name) +
                   QString::number(w.command(QString::fromLatin1(name))->enabled);
    return out;
}

} // namespace test
