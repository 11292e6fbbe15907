#include "gui/ShellViews.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "gui/QtHost.h"
#include "platform/RunState.h"
#include "support/Printers.h"
#include "support/TestDb.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

TEST(ShellViews, MainWindowShowsTheMenusOfItsModelAndTheStatusLine) {
    platform::RunState s;
    gui::QtHost host;
    gui::registerViews(host);
    app::MDIKundB main(s, host);
    gui::MainWindowView view(main, host);
    host.setMainWidget(&view);
    view.show();

    QStringList top;
    for (QAction* a : view.menuBar()->actions())
        top << a->text();
    EXPECT_EQ(top, (QStringList{"&Datei", "Dr&ucken", "&?"}));
    auto* dw = view.findChild<QAction*>("menuDateiDW");
    ASSERT_TRUE(dw);
    EXPECT_EQ(dw->text(), "&Datendatei wechseln");
    EXPECT_TRUE(dw->isEnabled());
    auto* hilfe = view.findChild<QAction*>("menuHilfeHilfe");
    ASSERT_TRUE(hilfe);
    EXPECT_EQ(hilfe->shortcut(), QKeySequence(Qt::Key_F1));
    for (const auto& item : main.commands()) {
        if (auto* a = view.findChild<QAction*>(item.name)) {
            EXPECT_EQ(a->isEnabled(), item.enabled) << item.name.toStdString();
        }
    }

    host.setStatus("Kursstärken werden berechnet!");
    auto* label1 = view.findChild<QLabel*>("Label1");
    ASSERT_TRUE(label1);
    EXPECT_EQ(label1->text(), QString::fromUtf8("Kursstärken werden berechnet!"));
    EXPECT_TRUE(QFontInfo(label1->font()).fixedPitch());

    s.SchjBez = "2009/2010";
    main.setCaption("Kurs- und Blockbildung (Schuljahr: 2009/2010)");
    EXPECT_EQ(view.windowTitle(), "Kurs- und Blockbildung (Schuljahr: 2009/2010)");
}

TEST(ShellViews, LauncherAndMissingPointerWindowOpenWithTheirButtons) {
    platform::RunState s;
    gui::QtHost host;
    gui::registerViews(host);
    app::MDIKundB main(s, host);
    gui::MainWindowView view(main, host);
    host.setMainWidget(&view);
    host.showModeless(main.launcher());
    QWidget* launcher = host.viewOf(main.launcher());
    ASSERT_TRUE(launcher);
    EXPECT_TRUE(launcher->isVisible());
    EXPECT_EQ(launcher->windowTitle(), "Auswahl");
    QStringList captions;
    for (auto* b : launcher->findChildren<QPushButton*>())
        captions << b->text();
    EXPECT_EQ(captions, (QStringList{"Import aus Palexor", "Start von Tessikor",
                                     QString::fromUtf8("Übertragen nach Palexor"), "Beenden"}));

    app::frmHinwFehlt hinw(s, host);
    hinw.Label1 = "/tmp/zeiger/";
    gui::HinwFehltView hv(hinw, host, &view);
    EXPECT_EQ(hv.windowTitle(), "TCLASSK fehlt!");
    EXPECT_EQ(hv.findChild<QLabel*>("Label1")->text(), "/tmp/zeiger/");
    auto* import = hv.findChild<QPushButton*>("cmdImport");
    ASSERT_TRUE(import);
    EXPECT_EQ(import->text(), "Neu importieren aus Orvid");
    import->click();
    EXPECT_TRUE(hinw.Label1.isEmpty()) << "the click reached the window's handler";
}

TEST(ShellViews, FiltersMatchBothLetterCases) {
    QString selected;
    EXPECT_EQ(gui::qtFilter("Alle Datendateien (*.MDB)|*.MDB", 1, &selected),
              "Alle Datendateien (*.MDB *.mdb)");
    EXPECT_EQ(selected, "Alle Datendateien (*.MDB *.mdb)");
}

// An open dialog that may name a file still to be written takes such a name; one that must name
// an existing file refuses it (its warning and then the dialog are closed here).
TEST(ShellViews, AnOpenDialogTakesANewNameOnlyWhereItMayNotExistYet) {
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
