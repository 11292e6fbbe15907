#include "gui/ImportViews.h"

#include "common/MessageWindow.h"
#include "gui/CommandButtons.h"
#include "gui/ListBoxView.h"
#include "gui/QtHost.h"
#include "gui/ShellViews.h"
#include "import/ErzKuB.h"
#include "placement/Layouts.h"
#include "platform/Text.h"
#include "ui/Command.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace gui {

ErzKuBView::ErzKuBView(importer::ErzKuB& w, QtHost& host, QWidget* parent)
    : QDialog(parent), w_(w), host_(host) {
    setWindowTitle(w_.caption());
    auto* layout = new QVBoxLayout(this);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(new QLabel(w_.Label5, this));
    dmerix_ = new QLabel(this);
    dmerix_->setObjectName(QStringLiteral("lblDMerix"));
    dmerix_->setFrameShape(QFrame::Panel);
    dmerix_->setFrameShadow(QFrame::Sunken);
    dmerix_->setMinimumWidth(380);
    pathRow->addWidget(dmerix_, 1);
    commandButtons(w_, host_, this);
    auto* seek = findChild<QPushButton*>(QStringLiteral("cmdSeek"));
    seek->setAutoDefault(false);
    pathRow->addWidget(seek);
    layout->addLayout(pathRow);

    layout->addLayout(lists());

    auto* line1 = new QFrame(this);
    line1->setFrameShape(QFrame::HLine);
    layout->addWidget(line1);
    layout->addLayout(progress());

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* b1 = findChild<QPushButton*>(QStringLiteral("Befehl1"));
    b1->setDefault(true);
    auto* b2 = findChild<QPushButton*>(QStringLiteral("Befehl2"));
    b2->setAutoDefault(false);
    buttons->addWidget(b1);
    buttons->addWidget(b2);
    layout->addLayout(buttons);

    connect(&w_, &ui::Window::changed, this, &ErzKuBView::refresh);
    refresh();
    resize(720, 420);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move((s.width() - width()) / 2, (s.height() - height()) / 2);
    }
}

// The school years beside the cohorts.
QHBoxLayout* ErzKuBView::lists() {
    auto* lists = new QHBoxLayout;
    auto* frame2 = new QGroupBox(w_.Frame2, this);
    auto* f2 = new QVBoxLayout(frame2);
    auto* lstSJ = new ListBoxView(w_.lstSJ, frame2);
    lstSJ->setObjectName(QStringLiteral("lstSJ"));
    connect(lstSJ, &ListBoxView::clicked, this,
            [this]() { ui::runCommand(host_, [&]() { w_.lstSJ_Click(); }); });
    f2->addWidget(lstSJ);
    lists->addWidget(frame2, 2);
    auto* frame1 = new QGroupBox(w_.Frame1, this);
    auto* f1 = new QVBoxLayout(frame1);
    auto* lstKoll = new ListBoxView(w_.lstKollJahrg, frame1);
    lstKoll->setObjectName(QStringLiteral("lstKollJahrg"));
    f1->addWidget(lstKoll);
    lists->addWidget(frame1, 1);
    return lists;
}

// The import's progress: the table and the record it is at.
QGridLayout* ErzKuBView::progress() {
    auto* progress = new QGridLayout;
    label2_ = new QLabel(w_.Label2, this);
    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label4_ = new QLabel(this);
    label4_->setObjectName(QStringLiteral("Label4"));
    label3_ = new QLabel(this);
    label3_->setObjectName(QStringLiteral("Label3"));
    progress->addWidget(label2_, 0, 0);
    progress->addWidget(label1_, 0, 1);
    progress->addWidget(label4_, 1, 0);
    progress->addWidget(label3_, 1, 1);
    progress->setColumnStretch(1, 1);
    return progress;
}

void ErzKuBView::refresh() {
    dmerix_->setText(w_.lblDMerix);
    label1_->setText(w_.Label1);
    label1_->setVisible(w_.progressVisible);
    label2_->setVisible(w_.progressVisible);
    label3_->setText(w_.Label3);
    label4_->setText(w_.Label4);
}

void ErzKuBView::reject() {
    ui::runCommand(host_, [&]() { w_.Form_Unload(); });
    QDialog::reject();
}

FMldView::FMldView(common::frmFMld& w, QtHost& host, QWidget* parent)
    : QDialog(parent), w_(w), host_(host) {
    setWindowTitle(w_.caption());
    auto* layout = new QVBoxLayout(this);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("txtFMld"));
    text_->setReadOnly(true);
    text_->setFont(courierNew(10));
    layout->addWidget(text_);
    // "Belegungen": the students with their courses in columns; the text stays what is printed.
    if (w_.lineLayout == common::frmFMld::LineLayout::Belegungen) {
        table_ = new QTableWidget(this);
        table_->setObjectName(QStringLiteral("Belegungen"));
        table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table_->setSelectionBehavior(QAbstractItemView::SelectRows);
        table_->setFont(courierNew(10));
        table_->horizontalHeader()->setFont(QFont());
        table_->verticalHeader()->hide();
        table_->verticalHeader()->setDefaultSectionSize(QFontMetrics(courierNew(10)).lineSpacing() +
                                                        6);
        table_->setWordWrap(false);
        layout->addWidget(table_);
        text_->hide();
    }
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    commandButtons(w_, host_, this);
    auto* print = findChild<QPushButton*>(QStringLiteral("cmddrucken"));
    print->setAutoDefault(false);
    auto* read = findChild<QPushButton*>(QStringLiteral("cmdgelesen"));
    read->setDefault(true);
    row->addWidget(print);
    row->addWidget(read);
    layout->addLayout(row);
    connect(&w_, &ui::Window::changed, this, &FMldView::refresh);
    refresh();
    resize(table_ ? std::max(560, table_->horizontalHeader()->length() + 40) : 560, 420);
    keepOnScreen(this);
}

void FMldView::refresh() {
    setWindowTitle(w_.caption());
    text_->setPlainText(QString(w_.txtFMld).replace(platform::kCrLf, QStringLiteral("\n")));
    if (!table_)
        return;
    const QStringList lines = w_.lines();
    int courses = 0;
    for (const QString& l : lines)
        courses =
            std::max(courses, static_cast<int>(placement::BelegungLine::courseNames(l).size()));
    table_->clear();
    table_->setRowCount(static_cast<int>(lines.size()));
    table_->setColumnCount(courses + 1);
    QStringList headings{QStringLiteral("Name")};
    for (int c = 1; c <= courses; ++c)
        headings << QStringLiteral("Kurs %1").arg(c);
    table_->setHorizontalHeaderLabels(headings);
    for (int r = 0; r < lines.size(); ++r) {
        table_->setItem(r, 0,
                        new QTableWidgetItem(placement::BelegungLine::name(lines[r]).trimmed()));
        const QStringList names = placement::BelegungLine::courseNames(lines[r]);
        for (int c = 0; c < names.size(); ++c)
            table_->setItem(r, c + 1, new QTableWidgetItem(names[c].trimmed()));
    }
    table_->resizeColumnsToContents();
}

} // namespace gui
