#include "gui/AutoSetzenView.h"

#include "gui/CommandButtons.h"
#include "gui/QtHost.h"
#include "placement/frmAutoSetzen.h"
#include "ui/Command.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace gui {

namespace {

QLabel* lines(QWidget* parent, const QString& name) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

} // namespace

AutoSetzenView::AutoSetzenView(placement::frmAutoSetzen& w, QtHost& host, QWidget* parent)
    : QDialog(parent), w_(w), host_(host) {
    setWindowTitle(w_.caption());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buildSettings());
    prgSuche_ = new QProgressBar(this);
    prgSuche_->setObjectName(QStringLiteral("prgSuche"));
    prgSuche_->setRange(0, 100);
    layout->addWidget(prgSuche_);
    lblStand_ = lines(this, QStringLiteral("lblStand"));
    layout->addWidget(lblStand_);
    layout->addLayout(buildEvaluations());
    // The reasons may name many students: a list that scrolls.
    gruendeCaption_ = new QLabel(this);
    gruendeCaption_->setObjectName(QStringLiteral("lblGruendeCaption"));
    layout->addWidget(gruendeCaption_);
    lblGruende_ = new QListWidget(this);
    lblGruende_->setObjectName(QStringLiteral("lblGruende"));
    lblGruende_->setSelectionMode(QAbstractItemView::NoSelection);
    layout->addWidget(lblGruende_, 1);
    lblWechselCaption_ = new QLabel(this);
    lblWechselCaption_->setObjectName(QStringLiteral("lblWechselCaption"));
    layout->addWidget(lblWechselCaption_);
    lstWechsel_ = new QListWidget(this);
    lstWechsel_->setObjectName(QStringLiteral("lstWechsel"));
    lstWechsel_->setSelectionMode(QAbstractItemView::NoSelection);
    layout->addWidget(lstWechsel_, 1);
    // Without reasons the space stays below the evaluations.
    layout->addStretch(0);
    layout->addLayout(commandRow(w_, host_, this));

    tmrSuche_ = new QTimer(this);
    tmrSuche_->setInterval(100);
    connect(tmrSuche_, &QTimer::timeout, this, [this]() { run([&]() { w_.tmrSuche_Timer(); }); });
    connect(&w_, &ui::Window::changed, this, &AutoSetzenView::refresh);
    refresh();
    // Room for both evaluations, the reasons and the changes of "Wenig ändern" on a 1366 x 768
    // screen; word-wrapped labels do not make a dialog grow by themselves.
    resize(720, 680);
}

QHBoxLayout* AutoSetzenView::buildSettings() {
    // The mode and the time limit.
    auto* settings = new QHBoxLayout;
    auto* mode = new QGroupBox(w_.fraModus, this);
    mode->setObjectName(QStringLiteral("fraModus"));
    auto* modes = new QHBoxLayout(mode);
    optRest_ = new QRadioButton(w_.optRestCaption, mode);
    optRest_->setObjectName(QStringLiteral("optRest"));
    optAlles_ = new QRadioButton(w_.optAllesCaption, mode);
    optAlles_->setObjectName(QStringLiteral("optAlles"));
    modes->addWidget(optRest_);
    modes->addWidget(optAlles_);
    optWenig_ = new QRadioButton(w_.optWenigCaption, mode);
    optWenig_->setObjectName(QStringLiteral("optWenig"));
    modes->addWidget(optWenig_);
    settings->addWidget(mode);
    settings->addSpacing(12);
    settings->addWidget(new QLabel(w_.lblZeitCaption, this));
    txtZeit_ = new QLineEdit(this);
    txtZeit_->setObjectName(QStringLiteral("txtZeit"));
    txtZeit_->setMaxLength(4);
    txtZeit_->setFixedWidth(txtZeit_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                            12);
    settings->addWidget(txtZeit_);
    settings->addWidget(new QLabel(w_.lblVariantenCaption, this));
    txtVarianten_ = new QLineEdit(this);
    txtVarianten_->setObjectName(QStringLiteral("txtVarianten"));
    txtVarianten_->setMaxLength(2);
    txtVarianten_->setFixedWidth(
        txtVarianten_->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12);
    settings->addWidget(txtVarianten_);
    settings->addSpacing(12);
    chkBeide_ = new QCheckBox(w_.chkBeideCaption, this);
    chkBeide_->setObjectName(QStringLiteral("chkBeide"));
    chkBeide_->setVisible(static_cast<bool>(w_.loadBoth));
    settings->addWidget(chkBeide_);
    settings->addStretch(1);
    connect(chkBeide_, &QCheckBox::clicked, this,
            [this]() { run([&]() { w_.chkBeide_Click(); }); });
    connect(optRest_, &QRadioButton::clicked, this,
            [this]() { run([&]() { w_.optRest_Click(); }); });
    connect(optAlles_, &QRadioButton::clicked, this,
            [this]() { run([&]() { w_.optAlles_Click(); }); });
    connect(optWenig_, &QRadioButton::clicked, this,
            [this]() { run([&]() { w_.optWenig_Click(); }); });
    connect(txtZeit_, &QLineEdit::textEdited, this, [this](const QString& t) { w_.txtZeit = t; });
    connect(txtVarianten_, &QLineEdit::textEdited, this,
            [this](const QString& t) { w_.txtVarianten = t; });
    return settings;
}

QGridLayout* AutoSetzenView::buildEvaluations() {
    // The evaluation before and the one after, side by side.
    auto* evaluations = new QGridLayout;
    auto* before = new QLabel(w_.lblVorherCaption, this);
    before->setStyleSheet(QStringLiteral("font-weight: bold"));
    lblNachherCaption_ = new QLabel(this);
    lblNachherCaption_->setObjectName(QStringLiteral("lblNachherCaption"));
    lblNachherCaption_->setStyleSheet(QStringLiteral("font-weight: bold"));
    lblVorher_ = lines(this, QStringLiteral("lblVorher"));
    lblNachher_ = lines(this, QStringLiteral("lblNachher"));
    evaluations->addWidget(before, 0, 0);
    evaluations->addWidget(lblNachherCaption_, 0, 1);
    evaluations->addWidget(lblVorher_, 1, 0);
    evaluations->addWidget(lblNachher_, 1, 1);
    evaluations->setColumnStretch(0, 1);
    evaluations->setColumnStretch(1, 1);
    evaluations->setHorizontalSpacing(24);
    return evaluations;
}

void AutoSetzenView::run(const std::function<void()>& handler) {
    ui::runCommand(host_, handler);
}

void AutoSetzenView::refresh() {
    setWindowTitle(w_.caption());
    const bool running = w_.running();
    optRest_->setChecked(w_.optRest);
    optAlles_->setChecked(w_.optAlles);
    optWenig_->setChecked(w_.optWenig);
    optRest_->setEnabled(!running);
    optAlles_->setEnabled(!running);
    optWenig_->setEnabled(!running);
    if (txtZeit_->text() != w_.txtZeit)
        txtZeit_->setText(w_.txtZeit);
    txtZeit_->setEnabled(!running);
    if (txtVarianten_->text() != w_.txtVarianten)
        txtVarianten_->setText(w_.txtVarianten);
    txtVarianten_->setEnabled(!running);
    chkBeide_->setChecked(w_.chkBeide);
    chkBeide_->setEnabled(!running);
    prgSuche_->setValue(w_.prgSuche);
    lblStand_->setText(w_.lblStand);
    lblVorher_->setText(w_.lblVorher.join(QLatin1Char('\n')));
    lblNachherCaption_->setText(w_.lblNachherCaption);
    lblNachher_->setText(w_.lblNachher.join(QLatin1Char('\n')));
    // Rebuilt only when the reasons changed, so that a scrolled list stays where it is.
    if (shownGruende_ != w_.lblGruende) {
        shownGruende_ = w_.lblGruende;
        lblGruende_->clear();
        lblGruende_->addItems(shownGruende_);
    }
    gruendeCaption_->setText(w_.lblGruendeCaption);
    gruendeCaption_->setVisible(!w_.lblGruende.isEmpty());
    lblGruende_->setVisible(!w_.lblGruende.isEmpty());
    if (shownWechsel_ != w_.lstWechsel) {
        shownWechsel_ = w_.lstWechsel;
        lstWechsel_->clear();
        lstWechsel_->addItems(shownWechsel_);
    }
    lblWechselCaption_->setText(w_.lblWechselCaption);
    lblWechselCaption_->setVisible(!w_.lblWechselCaption.isEmpty());
    lstWechsel_->setVisible(!w_.lstWechsel.isEmpty());
    showEnabled(w_, this);
    if (running && !tmrSuche_->isActive())
        tmrSuche_->start();
    else if (!running)
        tmrSuche_->stop();
}

void AutoSetzenView::reject() {
    run([&]() { w_.Form_Unload(); });
    QDialog::reject();
}

} // namespace gui
