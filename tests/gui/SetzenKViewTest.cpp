// The placement workspace's view on the demo school, its logic answering through a scripted host
// and shown through the Qt host; and the window of "Automatisch setzen ...".
#include "gui/SetzenKView.h"
#include "common/Help.h"
#include "db/BlockDatabase.h"
#include "gui/ImportViews.h"
#include "placement/SetzenK.h"
#include "placement/frmAutoSetzen.h"

#include "ViewSupport.h"

#include <QElapsedTimer>
#include <QListWidget>
#include <QProgressBar>
#include <QSettings>
#include <QTableWidget>
#include <QTreeView>

using test::child;
using test::clickAt;
using test::headings;
using test::row;

namespace {

struct Workspace : test::Views {
    std::unique_ptr<placement::SetzenK> w;
    QWidget* view = nullptr;

    void SetUp() override {
        QSettings().remove("SetzenK");
        Views::SetUp();
        demoSchool();
        w = std::make_unique<placement::SetzenK>(s, logic);
        w->Form_Load();
        w->Bewerten();
        view = show(*w);
        ASSERT_TRUE(view);
    }
    void TearDown() override { delete view; }
    QTreeView* list(const char* name) { return child<QTreeView>(view, name); }
    QString label(const char* name) { return child<QLabel>(view, name)->text(); }
    // Selects two courses of LNKurse with common students, found through the logic.
    std::pair<int, int> collidingCourses() {
        for (int i = 0; i < w->LNKurse.count(); ++i)
            for (int j = i + 1; j < w->LNKurse.count(); ++j) {
                w->LNKurse.setLines(w->LNKurse.lines());
                w->LNKurse.setSelected(i, true);
                w->LNKurse.setSelected(j, true);
                w->LNKurse_Click();
                if (w->LKollisionen.count() > 0)
                    return {i, j};
            }
        return {-1, -1};
    }
};

} // namespace

// The workspace's main path: its lists in columns, courses chosen by a click, a colliding
// student's courses, the grid by key and rail header, the menu with its keys and the fixing mark,
// the Bewertung following the cohort; it closes only when saved.
TEST_F(Workspace, ShowsItsListsInColumnsTakesClicksKeysAndMenusAndClosesOnlyWhenSaved) {
    EXPECT_EQ(view->windowTitle(), "Setzen der Kurse");
    EXPECT_TRUE(view->windowState() & Qt::WindowMaximized);
    auto* lnKurse = list("LNKurse");
    ASSERT_EQ(headings(lnKurse), (QStringList{"Kurs", "Stunden", QString::fromUtf8("Schüler")}));
    // Characters 1-5 the name, 7 the hours; the students are counted.
    {
        const QString& l = w->LNKurse.line(0);
        db::Connection c(s.databasePath());
        EXPECT_EQ(row(lnKurse, 0), (QStringList{l.left(5).trimmed(), l.mid(6, 1),
                                                QString::number(db::AnzBelKurs(c, l.right(6)))}));
    }
    const auto [first, second] = collidingCourses();
    ASSERT_GE(second, 0);
    w->LNKurse.setLines(w->LNKurse.lines());
    w->LNKurse_Click();
    clickAt(lnKurse, first, 0);
    clickAt(lnKurse, second, 1);
    EXPECT_EQ(w->LNKurse.selectedRows(), (std::vector<int>{first, second}))
        << "a click on any column selects the line";

    auto* lSchueler = list("LSchueler");
    ASSERT_EQ(headings(lSchueler), (QStringList{"Name", "Klasse", "Kurs"}));
    ASSERT_EQ(label("lblSchueler").toInt(), w->LSchueler.count());
    ASSERT_EQ(lSchueler->model()->rowCount(), w->LSchueler.count());
    for (int i = 0; i < w->LSchueler.count(); ++i) {
        const QString& l = w->LSchueler.line(i);
        EXPECT_EQ(row(lSchueler, i), (QStringList{l.left(11).trimmed(), l.mid(11, 2).trimmed(),
                                                  l.mid(13, 5).trimmed()}));
        EXPECT_EQ(lSchueler->selectionModel()->isRowSelected(i, {}), w->LSchueler.selected(i))
            << "the marking of colliding students shows";
    }

    // The whole name, though the line holds nine characters of it, and the two courses.
    auto* lKollisionen = list("LKollisionen");
    ASSERT_EQ(headings(lKollisionen), (QStringList{"Name", "Kurse"}));
    EXPECT_EQ(row(lKollisionen, 0),
              (QStringList{test::rowsOf(s.databasePath(),
                                        "SELECT trim(KO_FAMNAME) || ' ' || trim(KO_RUFNAME) FROM "
                                        "kolleg WHERE KO_VFP_ID = ?",
                                        {w->LKollisionen.line(0).right(6)})
                               .value(0),
                           w->LNKurse.line(first).left(5) + " " +
                               w->LNKurse.line(second).left(5).trimmed()}));

    // The colliding student's courses, one column each, readable.
    clickAt(lKollisionen, 0, 1);
    EXPECT_EQ(w->LKollisionen.selectedRows(), std::vector<int>{0});
    auto* txtMld = child<QTableWidget>(view, "txtMld");
    ASSERT_EQ(txtMld->columnCount(), w->txtMld.size() / 5);
    for (int c = 0; c < txtMld->columnCount(); ++c)
        EXPECT_EQ(txtMld->item(0, c)->text(), w->txtMld.mid(5 * c, 5).trimmed());
    QApplication::processEvents();
    EXPECT_TRUE(txtMld->viewport()->rect().contains(txtMld->visualItemRect(txtMld->item(0, 0))))
        << "the row of courses can be read";

    // A key moves the grid's current cell and runs the click: the course's students by course
    // and name, counted. (The grid's moves and markings are the grid's own test.)
    auto* grid = child<gui::RailGridView>(view, "grdSchienen");
    test::key(grid, Qt::Key_Down);
    EXPECT_EQ(w->grdSchienen.Row(), 2);
    auto* lSchImBlock = list("LSchImBlock");
    ASSERT_EQ(headings(lSchImBlock), (QStringList{"Kurs", "Name"}));
    ASSERT_GT(w->LSchImBlock.count(), 0);
    EXPECT_EQ(row(lSchImBlock, 0), (QStringList{w->LSchImBlock.line(0).left(5).trimmed(),
                                                w->LSchImBlock.line(0).mid(6).trimmed()}));
    EXPECT_EQ(label("lblSchImBlock"), QString::number(w->LSchImBlock.count()));

    QStringList keys;
    for (const char* name : {"menuBearbAus", "menuBearbEinf", "menuBearbRueck", "menuHilfeHilfe"})
        keys << child<QAction>(view, name)->shortcut().toString();
    EXPECT_EQ(keys, (QStringList{"Ctrl+X", "Ctrl+V", "Ctrl+Z", "F1"}));
    child<QAction>(view, "menuHilfeHilfe")->trigger();
    ASSERT_EQ(logic.help.size(), 1u);
    EXPECT_EQ(common::helpPage(logic.help.front()), "setzen.html");
    auto* cohort = child<QComboBox>(view, "CmbJahrgang");
    EXPECT_EQ(cohort->currentText(), "Jahrgangsstufe 12 (2009)");
    cohort->setCurrentIndex(1);
    emit cohort->activated(1);
    EXPECT_EQ(w->Jahrgang(), 2008);
    EXPECT_EQ(child<QLabel>(view, "lblBewertung")->text(), w->lblBewertung.join('\n'));

    // "fixieren / lösen" from the menu marks the selected entry with "*" after its name.
    w->grdSchienen.click(1, 0);
    const QString entry = w->grdSchienen.TextMatrix(1, 0);
    child<QAction>(view, "menuBearbFix")->trigger();
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(),
              (entry.left(5).trimmed() + "*").leftJustified(6) + entry.mid(6));
    EXPECT_FALSE(child<QAction>(view, "menuBearbRueck")->isEnabled());

    // A failed save keeps it open; a good one closes it.
    view->show();
    w->saveLockTimeoutMs = 50;
    {
        db::Connection other(s.databasePath());
        db::Transaction lock(other);
        logic.onMessage(ui::Answer::Yes).onMessage(ui::Answer::Ok);
        view->close();
        EXPECT_TRUE(view->isVisible()) << "the locked file kept the workspace open";
    }
    logic.onMessage(ui::Answer::Yes);
    view->close();
    EXPECT_FALSE(view->isVisible());
}

TEST_F(Workspace, TheAutoSetzenWindowShowsItsProgressAndResult) {
    blocking::Model m;
    {
        db::Connection c(s.databasePath());
        m = blocking::Model::load(c, {s.SchjID, s.SchjBez}, 2009);
    }
    w->fitToGrid(m);
    placement::frmAutoSetzen a(std::move(m), logic);
    std::unique_ptr<QWidget> v(show(a));
    ASSERT_TRUE(v);
    EXPECT_TRUE(child<QRadioButton>(v.get(), "optRest")->isChecked());
    EXPECT_EQ(child<QLabel>(v.get(), "lblVorher")->text(), a.lblVorher.join('\n'));
    auto* uebernehmen = child<QPushButton>(v.get(), "cmdUebernehmen");
    EXPECT_FALSE(uebernehmen->isEnabled());
    EXPECT_TRUE(child<QListWidget>(v.get(), "lstWechsel")->isHidden());
    // Two seconds of "Alles neu": the timer shows the progress, then the result.
    child<QRadioButton>(v.get(), "optAlles")->click();
    auto* time = child<QLineEdit>(v.get(), "txtZeit");
    emit time->textEdited("2");
    child<QPushButton>(v.get(), "cmdStart")->click();
    EXPECT_TRUE(a.optAlles && a.running());
    EXPECT_FALSE(time->isEnabled());
    auto* bar = child<QProgressBar>(v.get(), "prgSuche");
    auto* caption = child<QLabel>(v.get(), "lblNachherCaption");
    QElapsedTimer clock;
    clock.start();
    bool midway = false;
    while (a.running() && clock.elapsed() < 20000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        if (!midway && bar->value() >= 40) {
            EXPECT_EQ(caption->text(), "Bisher bestes Ergebnis");
            midway = true;
        }
    }
    EXPECT_TRUE(midway) << "the progress bar moved while the search ran";
    ASSERT_FALSE(a.running());
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(caption->text(), "Nachher");
    EXPECT_EQ(child<QLabel>(v.get(), "lblNachher")->text(), a.lblNachher.join('\n'));
    EXPECT_TRUE(uebernehmen->isEnabled());
    // The reasons follow the window, also when only a later line changed.
    auto* reasons = child<QListWidget>(v.get(), "lblGruende");
    a.lblGruende = QStringList{"eins", "zwei"};
    emit a.changed();
    a.lblGruende[1] = "drei";
    emit a.changed();
    ASSERT_EQ(reasons->count(), 2);
    EXPECT_EQ(reasons->item(1)->text(), "drei");
    uebernehmen->click();
    EXPECT_TRUE(a.accepted());
}
