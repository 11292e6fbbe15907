// The Qt host's own parts: the help viewer, Qt's dialogs in German, and the page job that prints
// and writes PDF.
#include "gui/HelpViewer.h"
#include "pages/PageJob.h"
#include "printing/Layouts.h"

#include "ViewSupport.h"

#include <QBuffer>
#include <QDialog>
#include <QFileDialog>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QListWidget>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QWindow>

#include <array>
#include <functional>
#include <sys/stat.h>

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

struct Job : pages::PageJob {
    void endDoc() override {}
};

// Whether n characters of the font fit across the printable width of A4 in that orientation.
bool fits(int n, double pointSize, ui::Orientation o) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setResolution(1200);
    pdf.setPageLayout(pages::pageLayout(o));
    const QFontMetricsF m(pages::fixedFont("Courier New", pointSize), &pdf);
    return m.horizontalAdvance(QString(n, QChar('W'))) <=
           pdf.pageLayout().paintRectPixels(1200).width();
}

// The pages of the job, written as PDF.
qsizetype pdfPages(Job& job, const test::TempDir& tmp) {
    job.writePdf(tmp.path("job.pdf"));
    return QString::fromLatin1(tmp.read("job.pdf")).count(QRegularExpression("/Type\\s*/Page[^s]"));
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

// Courier New or its metric twin; the widest lines of the printouts fit on A4: the rail plan
// (70 at 12 pt), the lists with 16 rails in portrait (115 at 8 pt) and 25 in landscape (169).
TEST(PageJob, PrintsInCourierNewsMetricsOnA4PagesAndGoesOnToANewPageAtTheBottom) {
    const QFont font = pages::fixedFont("Courier New", 8);
    const QFontInfo info(font);
    EXPECT_TRUE(info.fixedPitch());
    EXPECT_TRUE(info.family() == "Courier New" || info.family() == "Liberation Mono")
        << info.family().toStdString();
    EXPECT_EQ(font.pointSizeF(), 8);
    EXPECT_TRUE(fits(70, 12, ui::Orientation::Portrait));
    EXPECT_TRUE(fits(115, 8, ui::Orientation::Portrait));
    EXPECT_TRUE(fits(169, 8, ui::Orientation::Landscape));
    EXPECT_FALSE(fits(180, 8, ui::Orientation::Landscape));

    // One line, a page break, then 100 lines of 12 pt: more than one page holds.
    test::TempDir tmp;
    Job job;
    job.setFont("Courier New", 12);
    job.printLine("Schienenbildung:");
    job.newPage();
    for (int i = 1; i <= 100; ++i)
        job.printLine(QString::number(i));
    EXPECT_EQ(pdfPages(job, tmp), 3);

    // The rail plan's page holds the lines its pagination counts on.
    Job page;
    page.setFont("Courier New", 12);
    for (int i = 1; i <= printing::RailPlan::kLinesPerPage; ++i)
        page.printLine(QString::number(i));
    EXPECT_EQ(pdfPages(page, tmp), 1);
    // A file that cannot be written leaves nothing behind.
    EXPECT_THROW(job.writePdf(tmp.path("missing/job.pdf")), std::runtime_error);
}

// A FIFO chosen in a save dialog is said, and the dialog asks again.
TEST(QtHost, ASaveDialogRefusesAFifoAndAsksAgain) {
    test::TempDir tmp;
    const QString fifo = tmp.path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    gui::QtHost host;
    QStringList said;
    int dialogs = 0;
    std::function<void()> answer = [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            said << box->text();
            box->close();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog && dialog->isVisible()) {
            if (++dialogs == 2)
                return dialog->reject();
            dialog->selectFile(fifo);
            static_cast<QDialog*>(dialog)->accept();
        }
        QTimer::singleShot(20, answer);
    };
    QTimer::singleShot(0, answer);
    EXPECT_EQ(host.saveFileName({{}, "Alle Dateien (*)|*", 1, tmp.dir(), {}}), std::nullopt);
    EXPECT_EQ(said, QStringList{fifo + " ist keine gewöhnliche Datei."});
    EXPECT_EQ(dialogs, 2);
}
