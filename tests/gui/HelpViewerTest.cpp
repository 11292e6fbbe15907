#include "gui/HelpViewer.h"

#include "ViewSupport.h"

#include <QDialog>
#include <QFileDialog>
#include <QListWidget>
#include <QTextBrowser>
#include <QWindow>

#include <array>

namespace {

QMessageBox* openBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            return box;
    return nullptr;
}

QString currentPage(gui::HelpViewer* help) {
    QListWidgetItem* item = help->contents()->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

} // namespace

// Opened from a message box, the help is a window of its own: it stays when the box closes, is
// the box's transient child while the box is open (in front of it, and not blocked by it) and
// marks the page it shows in its contents.
TEST(HelpViewer, OpenedFromAMessageItOutlivesTheBoxAndStaysUsableAboveModalWindows) {
    gui::QtHost host;
    const QString title = "Kurs- und Blockbilduung"; // verbatim
    bool checked = false;
    QTimer::singleShot(0, [&] {
        QMessageBox* box = openBox();
        ASSERT_TRUE(box);
        EXPECT_GE(box->width(), gui::titleWidth(title)) << "the title is not cut off";
        QPushButton* hilfe = nullptr;
        for (auto* b : box->findChildren<QPushButton*>())
            if (b->text() == "Hilfe")
                hilfe = b;
        ASSERT_TRUE(hilfe);
        hilfe->click();
        gui::HelpViewer* help = gui::HelpViewer::instance();
        ASSERT_TRUE(help);
        EXPECT_TRUE(help->isVisible() && box->isVisible()) << "Hilfe leaves the box open";
        EXPECT_FALSE(help->frameGeometry().intersects(box->frameGeometry()))
            << "the help leaves the box and its buttons free";
        EXPECT_EQ(help->windowHandle()->transientParent(), box->windowHandle());
        EXPECT_EQ(currentPage(help), "zuweisen.html");
        checked = true;
        box->button(QMessageBox::Ok)->click();
    });
    const ui::Answer a =
        host.message({"Kein Kollegiat in der Liste Schüler ausgewählt!", title,
                      ui::Icon::Exclamation, ui::Buttons::Ok, 0, ui::HelpRef::byContext(1000)});
    ASSERT_TRUE(checked);
    EXPECT_EQ(a, ui::Answer::Ok);
    QApplication::processEvents();

    gui::HelpViewer* help = gui::HelpViewer::instance();
    ASSERT_TRUE(help) << "the help outlives the box";
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->windowHandle()->transientParent(), nullptr);

    // A modal window opened later: the help moves in front of it; opened again it is the same
    // window.
    QDialog modal;
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(help->windowHandle()->transientParent(), modal.windowHandle());
        EXPECT_EQ(gui::HelpViewer::show(ui::HelpRef::contents()), help);
        EXPECT_EQ(currentPage(help), "index.html");
        modal.accept();
    });
    modal.exec();
    QApplication::processEvents();
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->windowHandle()->transientParent(), nullptr);
    delete help;
}

TEST(QtHost, QtsOwnDialogsSpeakGermanAndTheFileDialogsTakeTheNamesTheyShould) {
    ASSERT_TRUE(gui::loadGermanQtTranslation(*QCoreApplication::instance()))
        << "qtbase_de of the Qt translations package";
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:"), "Datei&name:");

    // The file dialog's dates are German unless the user chose a language for all.
    const char* names[] = {"LC_ALL", "LC_TIME", "LANG"};
    // As the user set them; null: unset.
    const QByteArray before[] = {qgetenv(names[0]), qgetenv(names[1]), qgetenv(names[2])};
    const auto set = [&](int i, const char* value) {
        value ? qputenv(names[i], value) : qunsetenv(names[i]);
    };
    // LC_ALL, LC_TIME and LANG as the user set them; LC_TIME afterwards.
    const std::array<const char*, 4> rows[] = {
        {nullptr, nullptr, "C.UTF-8", "de_DE.UTF-8"},
        {nullptr, "en_GB.UTF-8", "de_DE.UTF-8", "de_DE.UTF-8"},
        {nullptr, "de_AT.UTF-8", "C", "de_AT.UTF-8"},
        {nullptr, nullptr, "de_CH.UTF-8", ""},
        {"C.UTF-8", nullptr, "C", ""}};
    for (const auto& row : rows) {
        for (int i = 0; i < 3; ++i)
            set(i, row[i]);
        gui::preferGermanDates();
        EXPECT_EQ(qgetenv("LC_TIME"), row[3]) << row[2];
    }
    for (int i = 0; i < 3; ++i)
        set(i, before[i].isNull() ? nullptr : before[i].constData());

    // Filters match both letter cases; an open dialog that may name a file still to be written
    // takes such a name, one that must name an existing file refuses it (its warning and then the
    // dialog are closed here).
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
