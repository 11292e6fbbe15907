// The thin views of the dialogs, the shell and the editors: each shows its window's state and
// passes the user's clicks, keys and selections on to the window's handlers.
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "common/MessageWindow.h"
#include "editors/BlDat.h"
#include "editors/frmBeleg.h"
#include "export/frmAKursPh.h"
#include "gui/ListBoxView.h"
#include "import/ErzKuB.h"
#include "placement/SetzenK.h"
#include "placement/frmK.h"
#include "printing/frmBlKuListen.h"

#include "ViewSupport.h"

#include <QFileDialog>
#include <QListView>
#include <QMenuBar>
#include <QPlainTextEdit>

using test::child;
using test::pick;

using Views = test::Views;

// The user's selection reaches the model and runs the window's handler; a selection the logic
// makes shows in the view without running it again.
TEST(ListBoxView, UserSelectionsRunTheHandlerLogicSelectionsDoNot) {
    ui::ListBox model(true);
    model.setLines({"1D1", "1D2", "1E1"});
    gui::ListBoxView view(model, nullptr);
    int clicks = 0;
    QObject::connect(&view, &gui::ListBoxView::clicked, [&clicks]() { ++clicks; });
    view.selectionModel()->select(model.index(1), QItemSelectionModel::Select);
    EXPECT_TRUE(model.selected(1));
    EXPECT_EQ(clicks, 1);
    model.setSelected(2, true);
    EXPECT_TRUE(view.selectionModel()->isRowSelected(2, QModelIndex()));
    EXPECT_EQ(clicks, 1) << "the logic's own marking is no click";

    ui::ListBox single(false);
    single.setLines({"2009/2010          9", "2008/2009          8"});
    gui::ListBoxView years(single, nullptr);
    QObject::connect(&years, &gui::ListBoxView::clicked, [&clicks]() { ++clicks; });
    pick(&years, 1);
    EXPECT_EQ(single.currentIndex(), 1)
        << "in a single-selection list the selected line is current";
    EXPECT_EQ(clicks, 2);
}

// The two choosers hand the chosen line back on "Ok"; closed by the close box they answer as
// cancelled. The import and print windows pass the choices on.
TEST_F(Views, DialogsPassTheUsersChoicesOnAndTheChoosersCloseBoxCancels) {
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

    placement::SetzenK caller(s, host);
    placement::frmK course(caller, host);
    course.lblK = "Ma1  ";
    course.lblKi = "KS0001";
    course.lstK.setLines({"Ma2 KS0002", "Ma3 KS0003"});
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
    EXPECT_EQ(view->windowTitle(), QString::fromUtf8("Kurszuweisung nicht möglich:"));
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
    EXPECT_EQ(view->windowTitle(),
              QString::fromUtf8("Druck der Block-Kurs-Listen für den Kollegiatenjahrgang 2008"));
    rails->selectionModel()->select(rails->model()->index(2, 0), QItemSelectionModel::Select);
    EXPECT_EQ(lists.lstBlock.selectedRows(), std::vector<int>({2}));
    view->close();
}

TEST_F(Views, MainWindowLauncherAndMissingPointerWindowFollowTheirModels) {
    app::MDIKundB main(s, host);
    gui::MainWindowView view(main, host);
    host.setMainWidget(&view);
    view.show();
    QStringList top;
    for (QAction* a : view.menuBar()->actions())
        top << a->text();
    EXPECT_EQ(top, (QStringList{"&Datei", "Dr&ucken", "&?"}));
    EXPECT_EQ(child<QAction>(&view, "menuHilfeHilfe")->shortcut(), QKeySequence(Qt::Key_F1));
    for (const auto& item : main.commands())
        if (item.caption != "-" && !item.parent.isEmpty()) {
            auto* a = child<QAction>(&view, item.name.toUtf8().constData());
            EXPECT_EQ(a->text(), item.caption);
            EXPECT_EQ(a->isEnabled(), item.enabled) << item.name.toStdString();
        }
    host.setStatus("Kursstärken werden berechnet!");
    auto* status = child<QLabel>(&view, "Label1");
    EXPECT_EQ(status->text(), QString::fromUtf8("Kursstärken werden berechnet!"));
    EXPECT_TRUE(QFontInfo(status->font()).fixedPitch());
    main.setCaption("Kurs- und Blockbildung (Schuljahr: 2009/2010)");
    EXPECT_EQ(view.windowTitle(), "Kurs- und Blockbildung (Schuljahr: 2009/2010)");

    QWidget* launcher = show(main.launcher());
    QStringList captions;
    for (auto* b : launcher->findChildren<QPushButton*>())
        captions << b->text();
    EXPECT_EQ(captions, (QStringList{"Import aus Palexor", "Start von Tessikor",
                                     QString::fromUtf8("Übertragen nach Palexor"), "Beenden"}));

    app::frmHinwFehlt hinw(s, host);
    hinw.Label1 = "/tmp/zeiger/";
    gui::HinwFehltView hv(hinw, host, &view);
    EXPECT_EQ(hv.windowTitle(), "TCLASSK fehlt!");
    EXPECT_EQ(child<QLabel>(&hv, "Label1")->text(), "/tmp/zeiger/");
    child<QPushButton>(&hv, "cmdImport")->click();
    EXPECT_TRUE(hinw.Label1.isEmpty()) << "the click reached the window's handler";
}

// Filters match both letter cases; an open dialog that may name a file still to be written takes
// such a name, one that must name an existing file refuses it (its warning and then the dialog
// are closed here).
TEST(FileDialogs, FiltersMatchBothCasesAndOnlyAnOpenDialogForANewFileTakesANewName) {
    QString selected;
    EXPECT_EQ(gui::qtFilter("Alle Datendateien (*.MDB)|*.MDB", 1, &selected),
              "Alle Datendateien (*.MDB *.mdb)");
    EXPECT_EQ(selected, "Alle Datendateien (*.MDB *.mdb)");
    test::TempDir tmp;
    gui::QtHost host;
    for (const bool mustExist : {false, true}) {
        QTimer::singleShot(0, [&]() {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            QTimer::singleShot(200, []() {
                while (QWidget* w = QApplication::activeModalWidget()) {
                    w->close();
                    if (!qobject_cast<QMessageBox*>(w))
                        break;
                }
            });
            dialog->selectFile(tmp.path("MERIX.KO"));
            static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept, which checks the name
        });
        const auto chosen = host.openFileName(
            {{}, "ExportDateien (MERIX.*)|MERIX.*", 1, {}, "MERIX.KO", mustExist});
        EXPECT_EQ(chosen, mustExist ? std::nullopt : std::optional(tmp.path("MERIX.KO")));
    }
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
