#include "gui/AutoSetzenView.h"
#include "gui/QtHost.h"
#include "gui/ShellViews.h"
#include "placement/SetzenK.h"
#include "placement/frmAutoSetzen.h"
#include "platform/RunState.h"
#include "support/DemoSchool.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

// The placement workspace on the demo school, shown through the Qt host.
struct DemoWorkspace : ::testing::Test {
    test::TempDir tmp;
    gui::QtHost host;
    test::ScriptedHost quiet;
    platform::RunState s;
    std::unique_ptr<placement::SetzenK> w;

    void SetUp() override {
        QSettings().remove("SetzenK");
        gui::registerViews(host);
        s.DatenPfad = tmp.dir();
        s.DatenDatei = "BB.MDB";
        ASSERT_TRUE(test::importDemoSchool(s, quiet));
        w = std::make_unique<placement::SetzenK>(s, quiet);
        w->Form_Load();
        w->Bewerten();
    }
    static void save(QWidget* view, const char* name) {
        QApplication::processEvents();
        QDir().mkpath(KUBB_BINARY_DIR "/screenshots");
        view->grab().save(QStringLiteral(KUBB_BINARY_DIR "/screenshots/") + name);
    }
};

} // namespace

TEST_F(DemoWorkspace, TheBewertungPanelAndTheFixedMarkShow) {
    host.showModeless(*w);
    QWidget* view = host.viewOf(*w);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->findChild<QGroupBox*>("fraBewertung")->title(), "Bewertung");
    auto* cohort = view->findChild<QComboBox*>("CmbJahrgang");
    ASSERT_EQ(cohort->count(), 2);
    EXPECT_EQ(cohort->currentText(), "Jahrgangsstufe 12 (2009)");
    auto* lines = view->findChild<QLabel*>("lblBewertung");
    EXPECT_EQ(lines->text(), w->lblBewertung.join('\n'));
    EXPECT_TRUE(lines->text().startsWith(QString::fromUtf8("Kollisionen (Schüler): ")));
    // Year group 13 chosen in the box: the panel counts it.
    cohort->setCurrentIndex(1);
    emit cohort->activated(1);
    EXPECT_EQ(w->Jahrgang(), 2008);
    EXPECT_EQ(lines->text(), w->lblBewertung.join('\n'));

    // "fixieren / lösen" from the menu marks the selected entry with "*" after its name.
    auto* grid = view->findChild<QAbstractItemView*>("grdSchienen");
    w->grdSchienen.click(1, 0);
    const QString entry = w->grdSchienen.TextMatrix(1, 0);
    view->findChild<QAction*>("menuBearbFix")->trigger();
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(),
              (entry.left(5).trimmed() + "*").leftJustified(6) + entry.mid(6));
    EXPECT_EQ(w->grdSchienen.TextMatrix(1, 0), entry);
    EXPECT_TRUE(view->findChild<QPushButton*>("cmdAutoS"));
    EXPECT_FALSE(view->findChild<QAction*>("menuBearbRueck")->isEnabled());
    cohort->setCurrentIndex(0);
    emit cohort->activated(0);
    view->resize(1280, 760);
    save(view, "Bewertung.png");
    delete view;
}

TEST_F(DemoWorkspace, TheAutoSetzenWindowShowsItsProgressAndResult) {
    blocking::Model m;
    {
        db::Connection c(s.databasePath());
        m = blocking::Model::load(c, {s.SchjID, s.SchjBez}, 2009);
    }
    w->fitToGrid(m);
    placement::frmAutoSetzen a(std::move(m), quiet);
    host.showModeless(a);
    QWidget* view = host.viewOf(a);
    ASSERT_TRUE(view) << "frmAutoSetzen has a registered view";
    EXPECT_EQ(view->windowTitle(), "Automatisch setzen");
    EXPECT_EQ(view->findChild<QGroupBox*>("fraModus")->title(), "Modus");
    EXPECT_TRUE(view->findChild<QRadioButton*>("optRest")->isChecked());
    auto* time = view->findChild<QLineEdit*>("txtZeit");
    EXPECT_EQ(time->text(), "10");
    EXPECT_EQ(view->findChild<QLabel*>("lblVorher")->text(), a.lblVorher.join('\n'));
    auto* uebernehmen = view->findChild<QPushButton*>("cmdUebernehmen");
    ASSERT_TRUE(uebernehmen);
    EXPECT_FALSE(uebernehmen->isEnabled());

    // Two seconds of "Alles neu": the timer shows the progress, then the result.
    view->findChild<QRadioButton*>("optAlles")->click();
    EXPECT_TRUE(a.optAlles);
    time->setText("2");
    emit time->textEdited("2");
    view->findChild<QPushButton*>("cmdStart")->click();
    EXPECT_TRUE(a.running());
    EXPECT_FALSE(time->isEnabled());
    auto* bar = view->findChild<QProgressBar*>("prgSuche");
    QElapsedTimer clock;
    clock.start();
    bool shot = false;
    while (a.running() && clock.elapsed() < 20000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        if (!shot && bar->value() >= 40) {
            EXPECT_EQ(view->findChild<QLabel*>("lblNachherCaption")->text(),
                      "Bisher bestes Ergebnis");
            view->resize(640, 420);
            save(view, "AutoSetzen-running.png");
            shot = true;
        }
    }
    EXPECT_TRUE(shot) << "the progress bar moved while the search ran";
    ASSERT_FALSE(a.running());
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(view->findChild<QLabel*>("lblNachherCaption")->text(), "Nachher");
    EXPECT_EQ(view->findChild<QLabel*>("lblNachher")->text(), a.lblNachher.join('\n'));
    EXPECT_TRUE(uebernehmen->isEnabled());
    save(view, "AutoSetzen-done.png");
    // The reasons follow the window, also when only a later line changed.
    auto* reasons = view->findChild<QListWidget*>("lblGruende");
    for (const QString second : {"zwei", "drei"}) {
        a.lblGruende = QStringList{"eins", second};
        emit a.changed();
        ASSERT_EQ(reasons->count(), 2);
        EXPECT_EQ(reasons->item(1)->text(), second);
    }
    uebernehmen->click();
    EXPECT_TRUE(a.accepted());
    delete view;
}
