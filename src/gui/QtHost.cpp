#include "gui/QtHost.h"

#include "gui/HelpViewer.h"
#include "gui/PrintJob.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/Targets.h"
#include "platform/Text.h"
#include "ui/Host.h"
#include "ui/Window.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>
#include <QTreeView>

namespace gui {

namespace {

struct ButtonSpec {
    QMessageBox::StandardButton button;
    const char* text;
    ui::Answer answer;
};

std::vector<ButtonSpec> buttonsOf(ui::Buttons b) {
    using SB = QMessageBox::StandardButton;
    switch (b) {
    case ui::Buttons::Ok:
        return {{SB::Ok, "OK", ui::Answer::Ok}};
    case ui::Buttons::OkCancel:
        return {{SB::Ok, "OK", ui::Answer::Ok}, {SB::Cancel, "Abbrechen", ui::Answer::Cancel}};
    case ui::Buttons::AbortRetryIgnore:
        return {{SB::Abort, "Abbrechen", ui::Answer::Abort},
                {SB::Retry, "Wiederholen", ui::Answer::Retry},
                {SB::Ignore, "Ignorieren", ui::Answer::Ignore}};
    case ui::Buttons::YesNoCancel:
        return {{SB::Yes, "Ja", ui::Answer::Yes},
                {SB::No, "Nein", ui::Answer::No},
                {SB::Cancel, "Abbrechen", ui::Answer::Cancel}};
    case ui::Buttons::YesNo:
        return {{SB::Yes, "Ja", ui::Answer::Yes}, {SB::No, "Nein", ui::Answer::No}};
    case ui::Buttons::RetryCancel:
        return {{SB::Retry, "Wiederholen", ui::Answer::Retry},
                {SB::Cancel, "Abbrechen", ui::Answer::Cancel}};
    }
    return {{SB::Ok, "OK", ui::Answer::Ok}};
}

QMessageBox::Icon iconOf(ui::Icon i) {
    switch (i) {
    case ui::Icon::Critical:
        return QMessageBox::Critical;
    case ui::Icon::Question:
        return QMessageBox::Question;
    case ui::Icon::Exclamation:
        return QMessageBox::Warning;
    case ui::Icon::Information:
        return QMessageBox::Information;
    case ui::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// A box is as tall as its text: a text longer than half the screen shows its first lines, and
// the whole of it under "Details", where it scrolls.
void setBoxText(QMessageBox& box, const QString& text) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    const QScreen* screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
    const int room =
        screen ? screen->availableGeometry().height() / 2 / box.fontMetrics().lineSpacing() : 30;
    if (lines.size() <= room) {
        box.setText(text);
        return;
    }
    box.setText(lines.mid(0, std::max(room - 1, 1)).join(QLatin1Char('\n')) +
                QStringLiteral("\n…"));
    box.setDetailedText(text);
}

} // namespace

int titleWidth(const QString& title) {
    // The window manager's title font is unknown: its usual bold system font, and room for the
    // icon and the close box beside the title.
    const QFontMetrics fm(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    QFont bold = QApplication::font();
    bold.setBold(true);
    const int text =
        std::max(fm.horizontalAdvance(title), QFontMetrics(bold).horizontalAdvance(title));
    return text + 140;
}

void fitTitle(QMessageBox& box) {
    // A box is as wide as its text; a short text under a long title would cut the title off.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    grid->addItem(new QSpacerItem(titleWidth(box.windowTitle()), 0, QSizePolicy::Minimum,
                                  QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

bool loadGermanQtTranslation(QCoreApplication& app) {
    // Qt's own texts (file dialog, input box, print dialog) from the system's catalogue.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    // Dates and numbers in Qt's dialogs the German way too.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    return true;
}

void preferGermanDates() {
    // LC_ALL overrides every category; whoever set it chose on purpose.
    if (!qEnvironmentVariableIsEmpty("LC_ALL"))
        return;
    const QByteArray time =
        qEnvironmentVariableIsEmpty("LC_TIME") ? qgetenv("LANG") : qgetenv("LC_TIME");
    if (!time.startsWith("de"))
        qputenv("LC_TIME", "de_DE.UTF-8");
}

void fitToScreen(QWidget& w) {
    QScreen* screen = w.screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    // A maximised window is the screen's size already; resizing it would end its maximisation.
    if (!screen || (w.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QRect area = screen->availableGeometry();
    // The frame and title the window manager adds are known only once the window is shown.
    const QSize frame = w.isVisible() ? w.frameGeometry().size() - w.size() : QSize(16, 40);
    const QSize room = (area.size() - frame).expandedTo(QSize(0, 0));
    if (w.width() > room.width() || w.height() > room.height())
        w.resize(w.size().boundedTo(room));
    if (qobject_cast<QDialog*>(&w) && w.parentWidget())
        return;
    QRect r(w.pos(), w.size() + frame);
    r.moveRight(std::min(r.right(), area.right()));
    r.moveBottom(std::min(r.bottom(), area.bottom()));
    r.moveLeft(std::max(r.left(), area.left()));
    r.moveTop(std::max(r.top(), area.top()));
    w.move(r.topLeft());
}

QString qtFilter(const QString& filter, int filterIndex, QString* selected) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'))) {
            patterns << p;
            if (p.toLower() != p)
                patterns << p.toLower();
        }
        QString text = parts[i];
        const qsizetype paren = text.indexOf(QLatin1Char('('));
        if (paren >= 0)
            text = text.left(paren).trimmed();
        out << QStringLiteral("%1 (%2)").arg(text, patterns.join(QLatin1Char(' ')));
    }
    if (selected && filterIndex >= 1 && filterIndex <= out.size())
        *selected = out[filterIndex - 1];
    return out.join(QStringLiteral(";;"));
}

QtHost::QtHost() = default;
QtHost::~QtHost() {
    // Windows may outlive the host (a test's locals): they must not call back into it.
    for (const auto& c : windowGone_)
        QObject::disconnect(c);
}

void QtHost::registerView(const QString& windowName, ViewFactory factory) {
    factories_.insert(windowName, std::move(factory));
}

QWidget* QtHost::viewOf(const ui::Window& w) const {
    return views_.value(&w).data();
}

QWidget* QtHost::parentWidget() const {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return main_.data();
}

QWidget* QtHost::makeView(ui::Window& w) {
    if (QWidget* existing = views_.value(&w).data())
        return existing;
    const auto it = factories_.constFind(w.name());
    if (it == factories_.constEnd())
        return nullptr;
    QWidget* view = (*it)(w, *this, parentWidget());
    fitToScreen(*view);
    views_.insert(&w, view);
    windowGone_.push_back(QObject::connect(&w, &QObject::destroyed, view, [this, view, key = &w]() {
        views_.remove(key);
        view->deleteLater();
    }));
    return view;
}

ui::Answer QtHost::message(const ui::Message& m) {
    if (quit_)
        return ui::Answer::Cancel;
    QMessageBox box(parentWidget());
    box.setWindowTitle(m.title.isEmpty() ? ui::kTitle : m.title);
    setBoxText(box, QString(m.text)
                        .replace(platform::kCrLf, QStringLiteral("\n"))
                        .replace(QStringLiteral("\n\r"), QStringLiteral("\n")));
    box.setIcon(iconOf(m.icon));
    const auto specs = buttonsOf(m.buttons);
    std::vector<QAbstractButton*> buttons;
    for (const auto& s : specs) {
        QPushButton* b = box.addButton(s.button);
        b->setText(QString::fromUtf8(s.text));
        buttons.push_back(b);
    }
    QPushButton* help = nullptr;
    if (m.help) {
        help = box.addButton(QMessageBox::Help);
        help->setText(QStringLiteral("Hilfe"));
        // Help opens the help file and leaves the box open, as a help button does.
        help->disconnect();
        QObject::connect(help, &QPushButton::clicked, &box,
                         [this, ref = *m.help]() { showHelp(ref); });
    }
    if (m.defaultButton >= 0 && m.defaultButton < static_cast<int>(buttons.size()))
        box.setDefaultButton(
            static_cast<QPushButton*>(buttons[static_cast<size_t>(m.defaultButton)]));
    if (specs.size() == 1)
        box.setEscapeButton(buttons.front());
    fitTitle(box);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i] == clicked)
            return specs[i].answer;
    // Closed by the close box: the cancel answer where there is one, else the first button's.
    for (const auto& s : specs)
        if (s.answer == ui::Answer::Cancel || s.answer == ui::Answer::No)
            return s.answer;
    return specs.front().answer;
}

std::optional<QString> QtHost::inputBox(const QString& prompt, const QString& title,
                                        const QString& defaultText) {
    QInputDialog d(parentWidget());
    d.setWindowTitle(title.isEmpty() ? ui::kTitle : title);
    d.setLabelText(prompt);
    d.setTextValue(defaultText);
    d.setMinimumWidth(titleWidth(d.windowTitle()));
    if (d.exec() != QDialog::Accepted)
        return std::nullopt;
    return d.textValue();
}

std::optional<QString> QtHost::fileDialog(const ui::FileDialog& d, bool save) {
    QString selected;
    const QString filter = qtFilter(d.filter, d.filterIndex, &selected);
    // The initial directory is a system path ("D:\bb\" too): the dialog gets its native form.
    QString start = d.initialDir.isEmpty() ? QString() : platform::nativePath(d.initialDir);
    if (!d.fileName.isEmpty())
        start = start.isEmpty() ? d.fileName : start + QLatin1Char('/') + d.fileName;
    const QString title = !d.title.isEmpty() ? d.title
                          : save             ? QStringLiteral("Speichern unter")
                                             : QStringLiteral("Öffnen");
    // The callers ask their own overwrite question.
    QFileDialog dialog(parentWidget(), title, start, filter);
    dialog.setOptions(save ? QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite
                           : QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save || !d.mustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!selected.isEmpty())
        dialog.selectNameFilter(selected);
    // Wide enough for the name, size, type and date of a file; those three in full.
    dialog.resize(860, 500);
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const QString chosen = dialog.selectedFiles().constFirst();
        if (!save && d.mustExist)
            return chosen;
        // A name that is to be written: a FIFO or a device there is said, and the dialog asks
        // again, before anything is prepared for it.
        try {
            platform::refuseUnusualTarget(chosen);
            return chosen;
        } catch (const platform::FileError& e) {
            message(
                {e.message(), QString(), ui::Icon::Exclamation, ui::Buttons::Ok, 0, std::nullopt});
        }
    }
}

std::optional<QString> QtHost::openFileName(const ui::FileDialog& d) {
    return fileDialog(d, false);
}

std::optional<QString> QtHost::saveFileName(const ui::FileDialog& d) {
    return fileDialog(d, true);
}

void QtHost::showModal(ui::Window& w) {
    if (quit_)
        return;
    QWidget* view = makeView(w);
    if (!view)
        return;
    if (auto* dialog = qobject_cast<QDialog*>(view)) {
        dialog->exec();
    } else {
        view->setWindowModality(Qt::ApplicationModal);
        view->show();
    }
    views_.remove(&w);
    view->deleteLater();
}

void QtHost::showModeless(ui::Window& w) {
    if (quit_)
        return;
    if (QWidget* view = makeView(w)) {
        view->show();
        view->raise();
    }
}

void QtHost::hide(ui::Window& w) {
    if (QWidget* view = views_.value(&w).data()) {
        if (auto* dialog = qobject_cast<QDialog*>(view))
            dialog->accept();
        else
            view->hide();
    }
}

void QtHost::setStatus(const QString& text) {
    if (!status_)
        return;
    status_->setText(text);
    // Long runs set a text per row; painting each would cost more than the work itself.
    if (text.isEmpty() || !statusPainted_.isValid() || statusPainted_.elapsed() > 40) {
        status_->repaint();
        statusPainted_.start();
    }
}

void QtHost::setBusy(bool busy) {
    if (busy) {
        if (busy_++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busy_ > 0 && --busy_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void QtHost::beep() {
    QApplication::beep();
}

void QtHost::showHelp(const ui::HelpRef& ref) {
    HelpViewer::show(ref);
}

std::unique_ptr<ui::PrintJob> QtHost::startPrint() {
    return std::make_unique<QtPrintJob>(parentWidget());
}

bool QtHost::startProgram(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

void QtHost::quit() {
    quit_ = true;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible())
            dialog->reject();
        w->hide();
    }
    QCoreApplication::exit(0);
}

void QtHost::processEvents() {
    QCoreApplication::processEvents();
}

} // namespace gui
