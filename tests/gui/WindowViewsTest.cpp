// The thin views of the dialogs, the shell, the editors and the placement workspace: each shows
// its window's state and passes the user's clicks, keys and selections on to the window's
// handlers. The workspace runs on the demo school, its logic answering through a scripted host;
// the window of "Automatisch setzen ..." beside it.
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "common/Help.h"
#include "common/MessageWindow.h"
#include "db/BlockDatabase.h"
#include "editors/BlDat.h"
#include "editors/frmBeleg.h"
#include "export/frmAKursPh.h"
#include "export/frmGPU.h"
#include "gui/ImportViews.h"
#include "gui/ListBoxView.h"
#include "gui/SetzenKView.h"
#include "import/ErzKuB.h"
#include "placement/Figures.h"
#include "placement/SetzenK.h"
#include "placement/frmAutoSetzen.h"
#include "placement/frmK.h"
#include "planning/frmPlanung.h"
#include "printing/frmBlKuListen.h"
#include "printing/frmKursgroessen.h"

#include "ViewSupport.h"

#include <QElapsedTimer>
#include <QFileDialog>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSettings>
#include <QTableWidget>
#include <QTreeView>

using test::child;
using test::clickAt;
using test::headings;
using test::pick;
using test::row;

using Views = test::Views;

// Lists, choosers, the import and the print windows pass the user's choices on; the shell's
// windows follow their models.
TEST_F(Views, ListsDialogsAndTheShellPassTheUsersChoicesOnAndFollowTheirModels) {
    // The user's selection reaches the model and runs the window's handler; a selection the logic
    // makes shows in the view without running it again.
    ui::ListBox model(true);
    model.setLines({"1D1", "1D2", "1E1"});
    gui::ListBoxView codes(model, nullptr);
    int clicks = 0;
    QObject::connect(&codes, &gui::ListBoxView::clicked, [&clicks]() { ++clicks; });
    codes.selectionModel()->select(model.index(1), QItemSelectionModel::Select);
    EXPECT_TRUE(model.selected(1));
    EXPECT_EQ(clicks, 1);
    model.setSelected(2, true);
    EXPECT_TRUE(codes.selectionModel()->isRowSelected(2, QModelIndex()));
    EXPECT_EQ(clicks, 1) << "the logic's own marking is no click";

    ui::ListBox single(false);
    single.setLines({"2009/2010          9", "2008/2009          8"});
    gui::ListBoxView years(single, nullptr);
    QObject::connect(&years, &gui::ListBoxView::clicked, [&clicks]() { ++clicks; });
    pick(&years, 1);
    EXPECT_EQ(single.currentIndex(), 1)
        << "in a single-selection list the selected line is current";
    EXPECT_EQ(clicks, 2);

    // The two choosers hand the chosen line back on "Ok"; closed by the close box they answer as
    // cancelled.

    exporter::frmAKursPh phase(host);
    phase.List1.setLines({"2009", "2008"});
    QWidget* view = show(phase);
    EXPECT_EQ(view->windowTitle(), "Auswahl der Kursphase");
    pick(child<QListView>(view, "List1"), 1);
    child<QPushButton>(view, "Command1")->click();
    EXPECT_EQ(phase.Label1, "2008");
    exporter::frmAKursPh again(host);
    again.List1.setLines({"2009"});
    again.List1.setCurrent(0);
    view = show(again);
    again.Label1 = "2009";
    view->close();
    EXPECT_EQ(again.Label1, "");

    // The timetable export shows its entries and passes the typed ones on.
    exporter::untis::frmGPU gpu(s, host);
    gpu.cmbJahrgang.setLines({"2009", "2008"});
    gpu.txtOrdner = "/tmp/gpu/";
    view = show(gpu);
    EXPECT_EQ(view->windowTitle(), "Stundenplan (GPU) exportieren");
    EXPECT_EQ(child<QLineEdit>(view, "txtOrdner")->text(), "/tmp/gpu/");
    emit child<QLineEdit>(view, "txtNummer")->textEdited("1000");
    EXPECT_EQ(gpu.txtNummer, "1000");
    view->close();

    placement::SetzenK caller(s, host);
    placement::frmK course(caller, host);
    course.lblK = "Ma1  ";
    course.lblKi = "KS0001";
    course.lstK.setLines({"Ma2 KS0002", "Ma3 KS0003"});
    course.keys = {"KS0002", "KS0003"};
    course.lstK.setCurrent(0);
    view = show(course);
    EXPECT_EQ(child<QLabel>(view, "lblK")->text() + child<QLabel>(view, "lblKi")->text(),
              "Ma1  KS0001");
    auto* list = child<QListView>(view, "lstK");
    EXPECT_TRUE(list->selectionModel()->isRowSelected(0, {}));
    pick(list, 1);
    child<QPushButton>(view, "cmdOK")->click();
    EXPECT_EQ(caller.lblNKurs, "KS0003");
    EXPECT_TRUE(course.unloaded());

    // The import and print windows pass the user's choices on.
    importer::ErzKuB import(s, host);
    import.lstKollJahrg.setLines({"2009", "2008"});
    auto* cohorts = child<QListView>(show(import), "lstKollJahrg");
    cohorts->selectionModel()->select(cohorts->model()->index(1, 0), QItemSelectionModel::Select);
    EXPECT_TRUE(import.lstKollJahrg.selected(1));

    // The message window as text.
    common::frmFMld m(host);
    m.appendLine("2008: Fach: It   Bergmann");
    view = show(m);
    EXPECT_EQ(view->windowTitle(), "Kurszuweisung nicht möglich:");
    EXPECT_EQ(child<QPlainTextEdit>(view, "txtFMld")->toPlainText(), "2008: Fach: It   Bergmann\n");

    demoSchool();
    printing::frmBlKuListen lists(s, host);
    lists.Form_Load();
    view = show(lists);
    auto* box = child<QComboBox>(view, "cmbKollJahrg");
    EXPECT_EQ(box->currentText() + QString::number(box->count()), "20092");
    auto* rails = child<QListView>(view, "lstBlock");
    EXPECT_EQ(rails->model()->rowCount(), 14);
    EXPECT_EQ(rails->selectionMode(), QAbstractItemView::MultiSelection);
    child<QRadioButton>(view, "OptQuer")->click();
    EXPECT_TRUE(lists.OptQuer && !lists.optHoch);
    emit box->activated(1);
    EXPECT_EQ(view->windowTitle(), "Druck der Block-Kurs-Listen für den Kollegiatenjahrgang 2008");
    rails->selectionModel()->select(rails->model()->index(2, 0), QItemSelectionModel::Select);
    EXPECT_EQ(lists.lstBlock.selectedRows(), std::vector<int>({2}));
    view->close();

    // "Kurse und Schienen": the counts as a table, the sizes typed reach the window.
    planning::frmPlanung planung(s, host);
    planung.Form_Load();
    view = show(planung);
    EXPECT_EQ(view->windowTitle(), "Kurse und Schienen");
    EXPECT_EQ(child<QTableView>(view, "grdKurse")->model()->rowCount(),
              planung.grdKurse.Rows() - 1);
    EXPECT_FALSE(child<QPushButton>(view, "cmdKopie")->isEnabled());
    auto* txtMax = child<QLineEdit>(view, "txtMax");
    emit txtMax->textEdited("26");
    child<QPushButton>(view, "cmdZaehlen")->click();
    EXPECT_EQ(planung.txtMax, "26");
    EXPECT_EQ(planung.grdKurse.TextMatrix(1, 3), "KS_MAX 26 (Vorgabe)");
    view->close();

    // The main window, the launcher and the missing-pointer window follow their models.
    app::MDIKundB main(s, host);
    gui::MainWindowView shell(main, host);
    host.setMainWidget(&shell);
    shell.show();
    QStringList top;
    for (QAction* a : shell.menuBar()->actions())
        top << a->text();
    EXPECT_EQ(top, (QStringList{"&Datei", "&Bearbeiten", "&Planung", "Dr&ucken", "&?"}));
    EXPECT_EQ(child<QAction>(&shell, "menuHilfeHilfe")->shortcut(), QKeySequence(Qt::Key_F1));
    for (const auto& item : main.commands())
        if (item.caption != "-" && !item.parent.isEmpty()) {
            auto* a = child<QAction>(&shell, item.name.toUtf8().constData());
            EXPECT_EQ(a->text(), item.caption);
            EXPECT_EQ(a->isEnabled(), item.enabled) << item.name.toStdString();
        }
    host.setStatus("Kursstärken werden berechnet!");
    auto* status = child<QLabel>(&shell, "Label1");
    EXPECT_EQ(status->text(), "Kursstärken werden berechnet!");
    EXPECT_TRUE(QFontInfo(status->font()).fixedPitch());
    main.setCaption("Kurs- und Blockbildung (Schuljahr: 2009/2010)");
    EXPECT_EQ(shell.windowTitle(), "Kurs- und Blockbildung (Schuljahr: 2009/2010)");

    QWidget* launcher = show(main.launcher());
    QStringList captions;
    for (auto* b : launcher->findChildren<QPushButton*>())
        captions << b->text();
    EXPECT_EQ(captions, (QStringList{"Import aus Palexor", "Start von Tessikor",
                                     "Übertragen nach Palexor", "Beenden"}));

    app::frmHinwFehlt hinw(s, host);
    hinw.Label1 = "/tmp/zeiger/";
    gui::HinwFehltView hv(hinw, host, &shell);
    EXPECT_EQ(hv.windowTitle(), "TCLASSK fehlt!");
    EXPECT_EQ(child<QLabel>(&hv, "Label1")->text().remove(QChar(0x200b)), "/tmp/zeiger/");
    child<QPushButton>(&hv, "cmdImport")->click();
    EXPECT_TRUE(hinw.Label1.isEmpty()) << "the click reached the window's handler";

    // The course sizes chart draws what the window holds and names what lies outside.
    printing::frmKursgroessen sizes(logic, {{"M1", 10, {{"M1", 30, 0, 25}}}}, "2009");
    QWidget* chart = show(sizes);
    EXPECT_EQ(child<QLabel>(chart, "lblAusserhalb")->text(),
              "Außerhalb ihrer Grenzen: M1 (30 (–25))");
    EXPECT_GT(child<QWidget>(chart, "chtKursgroessen")->minimumSizeHint().width(), 0);
}

// The rail editor's fields forward each key to the filter and do what it decides; a change made
// otherwise (a paste, setText) passes it too.
TEST_F(Views, TheEditorsFieldsGoThroughTheirHandlers) {
    demoSchool();
    editors::BlDat rails(s, logic);
    rails.Form_Load();
    QWidget* view = show(rails);
    auto* list = child<QListView>(view, "lstBlock");
    EXPECT_EQ(list->model()->rowCount(), 14);
    auto* bez = child<QLineEdit>(view, "cFieldData(2)");
    auto* hours = child<QLineEdit>(view, "cFieldData(4)");
    EXPECT_EQ(bez->text(), "LK1");
    EXPECT_TRUE(QFontInfo(child<QComboBox>(view, "CombSJ")->font()).fixedPitch());
    // LK1 carries courses.
    logic.onMessage("Block enthält bereits Kurse!\r\nÄnderungen nicht mehr möglich!");
    test::key(hours, Qt::Key_5, Qt::NoModifier, "5");
    EXPECT_EQ(hours->text(), "6");
    logic.onMessage("Block enthält bereits Kurse!\r\nÄnderungen nicht mehr möglich!");
    bez->setText("X");
    EXPECT_EQ(bez->text(), "LK1");

    child<QPushButton>(view, "NewButton")->click();
    EXPECT_FALSE(list->isEnabled());
    test::key(bez, Qt::Key_S, Qt::NoModifier, "S");
    bez->insert(QStringLiteral("Ω")); // not in the export's code page: a beep
    test::key(hours, Qt::Key_3, Qt::NoModifier, "3");
    test::key(hours, Qt::Key_Backspace);
    test::key(hours, Qt::Key_2, Qt::NoModifier, "2");
    EXPECT_EQ(bez->text(), "S");
    EXPECT_EQ(hours->text(), "2");
    child<QPushButton>(view, "UpdateButton")->click();
    EXPECT_EQ(list->model()->rowCount(), 15);
    EXPECT_EQ(rails.lstBlock.lines().last(), "S         15");
    EXPECT_EQ(logic.pending(), 0u);
    delete view;

    editors::frmBeleg choices(s, logic);
    choices.Form_Load();
    view = show(choices);
    EXPECT_EQ(view->findChildren<QComboBox*>().size(), 1 + 2 + 2 * 13);
    auto* subject = child<QComboBox>(view, "CmbFachGK(0)");
    EXPECT_TRUE(QFontInfo(subject->font()).fixedPitch());
    pick(child<QListView>(view, "LstNavigator"), 0);
    EXPECT_EQ(choices.student(), choices.LstNavigator.line(0).right(6)) << "the click ran";
    ASSERT_FALSE(choices.lblKursKG[0].isEmpty());
    EXPECT_EQ(QStringList({subject->currentText(), child<QLabel>(view, "lblKursKG(0)")->text(),
                           child<QComboBox>(view, "CmbBlGK(0)")->currentText()}),
              QStringList(
                  {choices.CmbFachGK[0].text(), choices.lblKursKG[0], choices.CmbBlGK[0].text()}));
    delete view;
}

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
    ASSERT_EQ(headings(lnKurse), (QStringList{"Kurs", "Stunden", "Schüler", "Lehrer"}));
    // Characters 1-5 the name, 7 the hours; the students are counted; the teacher's short name.
    {
        const QString& l = w->LNKurse.line(0);
        db::Connection c(s.databasePath());
        EXPECT_EQ(row(lnKurse, 0), (QStringList{l.left(5).trimmed(), l.mid(6, 1),
                                                QString::number(db::AnzBelKurs(c, l.right(6))),
                                                w->teacherOf(l.right(6))}));
        EXPECT_FALSE(w->teacherOf(l.right(6)).isEmpty());
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
                           w->LNKurse.line(first).left(5).trimmed() + " " +
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
    for (const char* name :
         {"menuBearbAus", "menuBearbEinf", "menuBearbRueck", "menuBearbWied", "menuHilfeHilfe"})
        keys << child<QAction>(view, name)->shortcut().toString();
    EXPECT_EQ(keys, (QStringList{"Ctrl+X", "Ctrl+V", "Ctrl+Z", "Ctrl+Y", "F1"}));
    child<QAction>(view, "menuHilfeHilfe")->trigger();
    ASSERT_EQ(logic.help.size(), 1u);
    EXPECT_EQ(common::helpPage(logic.help.front()), "setzen.html");
    auto* cohort = child<QComboBox>(view, "CmbJahrgang");
    EXPECT_EQ(cohort->currentText(), "Jahrgangsstufe 12 (2009)");
    cohort->setCurrentIndex(1);
    emit cohort->activated(1);
    EXPECT_EQ(w->Jahrgang(), 2008);
    auto* figures = child<QListWidget>(view, "lblBewertung");
    ASSERT_EQ(figures->count(), w->lblBewertung.size());
    EXPECT_EQ(figures->item(0)->text() + "|" + figures->item(0)->toolTip(),
              w->lblBewertung.first() + "|" + placement::figureTip(w->lblBewertung.first()));

    // "fixieren / lösen" from the menu marks the selected entry with "*" after its whole name.
    w->grdSchienen.click(1, 0);
    const QString entry = w->grdSchienen.TextMatrix(1, 0).left(5).trimmed();
    child<QAction>(view, "menuBearbFix")->trigger();
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), entry + "*");
    // It is taken back from the menu that names it.
    auto* rueck = child<QAction>(view, "menuBearbRueck");
    EXPECT_TRUE(rueck->isEnabled());
    EXPECT_EQ(rueck->text(), "&Rückgängig: fixieren / lösen");
    rueck->trigger();
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), entry);

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
    w->fitToPlan(m);
    placement::frmAutoSetzen a(std::move(m), logic);
    std::unique_ptr<QWidget> v(show(a));
    ASSERT_TRUE(v);
    EXPECT_TRUE(child<QRadioButton>(v.get(), "optRest")->isChecked());
    EXPECT_EQ(child<QLabel>(v.get(), "lblVorher")->text(), a.lblVorher.join('\n'));
    auto* uebernehmen = child<QPushButton>(v.get(), "cmdUebernehmen");
    EXPECT_FALSE(uebernehmen->isEnabled());
    EXPECT_TRUE(child<QListWidget>(v.get(), "lstWechsel")->isHidden());
    // Two seconds of "Wenig ändern" (the sizes even out only as students change, so it runs to
    // its limit): the timer shows the progress, then the result.
    child<QRadioButton>(v.get(), "optWenig")->click();
    auto* time = child<QLineEdit>(v.get(), "txtZeit");
    emit time->textEdited("2");
    child<QPushButton>(v.get(), "cmdStart")->click();
    EXPECT_TRUE(a.optWenig && a.running());
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
