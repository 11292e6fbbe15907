#include "planning/frmPlanung.h"

#include "blocking/RailsCopy.h"
#include "blocking/Write.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "db/Students.h"
#include "platform/Paths.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <QLocale>
#include <algorithm>
#include <stdexcept>

namespace planning {

namespace {

const QStringList kCountColumns = {QStringLiteral("Fach"),        QStringLiteral("Schüler"),
                                   QStringLiteral("Kurse heute"), QStringLiteral("Grenzen"),
                                   QStringLiteral("nötig"),       QStringLiteral("Größen"),
                                   QStringLiteral("Vorschlag")};
const QStringList kChangeColumns = {QStringLiteral("Änderung"), QStringLiteral("Kollisionen"),
                                    QStringLiteral("größte Differenz"),
                                    QStringLiteral("Schienen nötig")};

// The header and so many empty rows (one at least: a grid has a row below its header).
void setTable(ui::Grid& g, const QStringList& header, int rows) {
    rows = std::max(rows, 1);
    g.setCols(static_cast<int>(header.size()));
    g.setRows(rows + 1);
    g.setFixedRows(1);
    for (int c = 0; c < header.size(); ++c)
        g.setTextMatrix(0, c, header[c]);
    for (int r = 1; r <= rows; ++r)
        for (int c = 0; c < header.size(); ++c)
            g.setTextMatrix(r, c, QString());
}

QString railsCell(const blocking::RailsNeeded& r) {
    if (!r.found)
        return QStringLiteral("kein Plan ohne Kollision");
    return r.proven() ? QStringLiteral("%1 (bewiesen)").arg(r.needed())
                      : QStringLiteral("%1 (Schranke %2)").arg(r.needed()).arg(r.bound());
}

} // namespace

frmPlanung::frmPlanung(platform::RunState& s, ui::Host& host)
    : ui::Window(QStringLiteral("frmPlanung"), QStringLiteral("Kurse und Schienen")), s_(s),
      host_(host) {
    const auto button = [this](const char* name, const char* caption, void (frmPlanung::*h)()) {
        return ui::Command{
            QString::fromLatin1(name), QString::fromUtf8(caption), {}, true, [this, h] {
                (this->*h)();
            }};
    };
    setCommands({
        button("cmdZaehlen", "&Zählen", &frmPlanung::cmdZaehlen_Click),
        button("cmdSchienen", "&Schienen berechnen", &frmPlanung::cmdSchienen_Click),
        button("cmdKopie", "In neue &Datei ...", &frmPlanung::cmdKopie_Click),
        button("cmdWasWaere", "&Was wäre, wenn ...", &frmPlanung::cmdWasWaere_Click),
        button("cmdAbbrechen", "&Abbrechen", &frmPlanung::cmdAbbrechen_Click),
        button("cmdSchliessen", "S&chließen", &frmPlanung::cmdSchliessen_Click),
    });
    setTable(grdKurse, kCountColumns, 0);
    setTable(grdWasWaere, kChangeColumns, 0);
    setState();
}

frmPlanung::~frmPlanung() {
    work_.cancel();
}

void frmPlanung::Form_Load() {
    const int start = db::startYear(s_.SchjBez);
    db::Connection c(s_.databasePath());
    QStringList lines;
    for (const int cohort : {start, start - 1})
        if (db::students::anyOfCohort(c, QString::number(cohort))) {
            cohorts_.push_back(cohort);
            lines << QStringLiteral("%1 (Jahrgangsstufe %2)")
                         .arg(cohort)
                         .arg(db::yearGroup(cohort, s_.SchjBez));
        }
    CmbJahrgang.setLines(lines);
    if (cohorts_.empty())
        throw std::runtime_error(QStringLiteral("Das Schuljahr %1 hat keine Kollegiaten.")
                                     .arg(s_.SchjBez.trimmed())
                                     .toStdString());
    CmbJahrgang.setCurrent(0);
    load(cohorts_[0]);
}

void frmPlanung::CmbJahrgang_Click() {
    const int i = CmbJahrgang.currentIndex();
    if (running() || i < 0 || i >= static_cast<int>(cohorts_.size()) ||
        (model_ && model_->cohort == cohorts_[static_cast<size_t>(i)]))
        return;
    load(cohorts_[static_cast<size_t>(i)]);
}

// The cohort and what the counts need, read in one transaction; the counts and the proposed
// changes from them. What was computed for another cohort goes.
void frmPlanung::load(int cohort) {
    rails_.reset();
    lstSchienen.clear();
    model_.reset();
    counts_ = {};
    changes_.clear();
    {
        db::Connection c(s_.databasePath());
        db::Transaction tx(c);
        const blocking::SchoolYear year{s_.SchjID, s_.SchjBez};
        model_ = std::make_unique<blocking::Model>(blocking::Model::load(c, year, cohort));
        data_ = blocking::readProposalData(c, *model_, year);
        state_ = blocking::readState(c);
    }
    lblStand = QStringLiteral("Jahrgangsstufe %1 (%2): %3 Schüler, %4 Kurse, %5 Schienen")
                   .arg(model_->yearGroup)
                   .arg(model_->cohort)
                   .arg(model_->ownStudents)
                   .arg(model_->ownCourses)
                   .arg(model_->rails.size());
    count();
}

int frmPlanung::size(const QString& text, const QString& what) {
    if (text.trimmed().isEmpty())
        return 0;
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < 1 || v > 999)
        throw std::runtime_error(QStringLiteral("%1 ist eine ganze Zahl von 1 bis 999 oder leer.")
                                     .arg(what)
                                     .toStdString());
    return v;
}

void frmPlanung::count() {
    blocking::SizeLimits defaults;
    defaults.max = size(txtMax, QStringLiteral("Die Höchstgröße"));
    defaults.min = size(txtMin, QStringLiteral("Die Mindestgröße"));
    try {
        counts_ = blocking::countCourses(*model_, data_, defaults);
        lstProbleme = counts_.problems;
    } catch (const std::runtime_error& e) {
        // A cohort without choices: said in the window, whose other cohort may have some.
        counts_ = {};
        lstProbleme = {QString::fromUtf8(e.what())};
    }
    changes_ = blocking::proposedChanges(counts_);
    fillCounts();
    fillChanges();
    setState();
}

void frmPlanung::fillCounts() {
    setTable(grdKurse, kCountColumns, static_cast<int>(counts_.rows.size()));
    for (size_t i = 0; i < counts_.rows.size(); ++i) {
        const blocking::CourseCount& r = counts_.rows[i];
        const int row = static_cast<int>(i) + 1;
        const QStringList cells = {
            r.subject,
            QString::number(r.students),
            r.courses.empty() ? QStringLiteral("keiner") : blocking::coursesText(*model_, r),
            r.courses.empty() ? QString() : blocking::limitsText(r),
            blocking::neededText(r),
            blocking::spreadText(r),
            r.problem.isEmpty() ? r.proposal : QStringLiteral("nicht zu erfüllen")};
        for (int c = 0; c < cells.size(); ++c)
            grdKurse.setTextMatrix(row, c, cells[c]);
    }
}

void frmPlanung::fillChanges() {
    setTable(grdWasWaere, kChangeColumns, static_cast<int>(changes_.size()));
    for (size_t i = 0; i < changes_.size(); ++i)
        grdWasWaere.setTextMatrix(static_cast<int>(i) + 1, 0,
                                  blocking::changeText(*model_, changes_[i]));
    whatIfShown_ = 0;
}

void frmPlanung::cmdZaehlen_Click() {
    if (!running() && model_)
        count();
}

bool frmPlanung::seconds(double& out) {
    bool ok = false;
    const int v = txtZeit.trimmed().toInt(&ok);
    if (!ok || v < 1 || v > 3600) {
        ui::tell(host_,
                 QStringLiteral("Die Sekunden je Suche sind eine ganze Zahl von 1 bis 3600."),
                 ui::Icon::Exclamation);
        return false;
    }
    out = v;
    return true;
}

void frmPlanung::cmdSchienen_Click() {
    double limit = 0;
    if (running() || !model_ || !seconds(limit))
        return;
    rails_.reset();
    lstSchienen.clear();
    job_ = Job::Rails;
    blocking::RailsNeededOptions o;
    o.seconds = limit;
    o.seed = seed;
    o.threads = threads;
    work_.start([this, o](const std::atomic<bool>& cancel, const Background::Report& report) {
        blocking::RailsNeededOptions ro = o;
        ro.cancel = &cancel;
        ro.progress = report;
        blocking::RailsNeeded r = blocking::railsNeeded(*model_, ro);
        const std::lock_guard lock(mutex_);
        railsDone_ = std::move(r);
    });
    lblStand = QStringLiteral("Die Schienen werden gezählt ...");
    setState();
}

void frmPlanung::cmdWasWaere_Click() {
    double limit = 0;
    if (running() || !model_ || changes_.empty() || !seconds(limit))
        return;
    fillChanges();
    job_ = Job::WhatIf;
    whatIfDone_.assign(changes_.size(), std::nullopt);
    blocking::WhatIfOptions o;
    o.seconds = limit;
    o.seed = seed;
    o.threads = threads;
    work_.start([this, o](const std::atomic<bool>& cancel, const Background::Report& report) {
        const double n = static_cast<double>(changes_.size());
        for (size_t i = 0; i < changes_.size() && !cancel; ++i) {
            blocking::WhatIfOptions wo = o;
            wo.cancel = &cancel;
            wo.progress = [&](double f, const QString& what) { report((i + f) / n, what); };
            blocking::WhatIf w = blocking::whatIf(*model_, {changes_[i]}, wo);
            const std::lock_guard lock(mutex_);
            whatIfDone_[i] = std::move(w);
        }
    });
    lblStand = QStringLiteral("Die Änderungen werden gesucht ...");
    setState();
}

void frmPlanung::showWhatIf(size_t row, const blocking::WhatIf& w) {
    const int r = static_cast<int>(row) + 1;
    grdWasWaere.setTextMatrix(r, 1, QString::number(w.evaluation.collisions));
    grdWasWaere.setTextMatrix(r, 2, QString::number(w.evaluation.largestDifference));
    grdWasWaere.setTextMatrix(r, 3, w.railsCounted ? railsCell(w.rails) : QStringLiteral("—"));
}

void frmPlanung::tmrRechnung_Timer() {
    if (!running())
        return;
    {
        const std::lock_guard lock(mutex_);
        for (; whatIfShown_ < whatIfDone_.size() && whatIfDone_[whatIfShown_]; ++whatIfShown_)
            showWhatIf(whatIfShown_, *whatIfDone_[whatIfShown_]);
    }
    if (work_.finished()) {
        finish();
        return;
    }
    const auto [fraction, what] = work_.progress();
    prgRechnung = std::clamp(static_cast<int>(fraction * 100), 0, 99);
    if (!what.isEmpty())
        lblStand = what;
    emit changed();
}

void frmPlanung::waitForWork() {
    if (running())
        finish();
}

void frmPlanung::finish() {
    const Job job = std::exchange(job_, Job::None);
    const bool cancelled = work_.cancelled();
    try {
        work_.collect();
    } catch (...) {
        prgRechnung = 0;
        lblStand.clear();
        setState();
        throw;
    }
    prgRechnung = 100;
    const std::lock_guard lock(mutex_);
    if (job == Job::Rails && railsDone_) {
        rails_ = std::exchange(railsDone_, std::nullopt);
        lstSchienen = blocking::describe(*rails_);
        lblStand = QStringLiteral("Schienen gezählt in %1 s.")
                       .arg(QLocale(QLocale::German).toString(rails_->seconds, 'f', 1));
    } else if (job == Job::WhatIf) {
        for (; whatIfShown_ < whatIfDone_.size(); ++whatIfShown_)
            if (whatIfDone_[whatIfShown_])
                showWhatIf(whatIfShown_, *whatIfDone_[whatIfShown_]);
        lblStand = cancelled ? QStringLiteral("Abgebrochen; was fertig war, steht in der Liste.")
                             : QStringLiteral("Alle Änderungen gesucht.");
    }
    setState();
}

void frmPlanung::cmdAbbrechen_Click() {
    work_.cancel();
    waitForWork();
}

void frmPlanung::cmdKopie_Click() {
    if (running() || !rails_ || !rails_->found)
        return;
    ui::FileDialog d;
    d.title = QStringLiteral("Kopie mit den nötigen Schienen");
    d.filter = QStringLiteral("Blockbildungsdatei (*.MDB)|*.MDB|Alle Dateien (*.*)|*.*");
    d.initialDir = s_.DatenPfad;
    d.fileName = QStringLiteral("Schienen%1.MDB").arg(model_->cohort);
    d.mustExist = false;
    const std::optional<QString> path = host_.saveFileName(d);
    if (!path || path->trimmed().isEmpty())
        return;
    blocking::RailsCopy copy;
    {
        ui::Busy busy(host_, QStringLiteral("Die Kopie wird geschrieben ..."));
        copy = blocking::writeRailsCopy(s_.databasePath(), *path, {s_.SchjID, s_.SchjBez}, *rails_,
                                        state_);
    }
    QStringList lines{QStringLiteral("Die Kopie mit %1 Schienen und dem Plan steht in %2.")
                          .arg(rails_->needed())
                          .arg(*path)};
    if (!copy.removed.isEmpty())
        lines << QStringLiteral("Weggelassen: %1").arg(copy.removed.join(QStringLiteral(", ")));
    if (!copy.added.isEmpty())
        lines << QStringLiteral("Hinzugefügt: %1").arg(copy.added.join(QStringLiteral(", ")));
    if (!copy.kept.isEmpty())
        lines << QStringLiteral("Frei, aber mit Kursen anderer Jahrgänge: %1")
                     .arg(copy.kept.join(QStringLiteral(", ")));
    ui::tell(host_, lines.join(QStringLiteral("\r\n")), ui::Icon::Information);
}

void frmPlanung::cmdSchliessen_Click() {
    Form_Unload();
}

void frmPlanung::Form_Unload() {
    work_.cancel();
    try {
        work_.collect();
    } catch (...) {
        // Closing: what the stopped computation failed with no longer matters.
    }
    job_ = Job::None;
    host_.hide(*this);
}

void frmPlanung::setState() {
    const bool busy = running();
    setEnabled(QStringLiteral("cmdZaehlen"), !busy && model_ != nullptr);
    setEnabled(QStringLiteral("cmdSchienen"), !busy && model_ != nullptr);
    setEnabled(QStringLiteral("cmdKopie"), !busy && rails_ && rails_->found);
    setEnabled(QStringLiteral("cmdWasWaere"), !busy && !changes_.empty());
    setEnabled(QStringLiteral("cmdAbbrechen"), busy);
    if (!busy && prgRechnung < 100 && job_ == Job::None)
        prgRechnung = 0;
    emit changed();
}

void showPlanung(platform::RunState& s, ui::Host& host) {
    frmPlanung w(s, host);
    w.Form_Load();
    host.showModal(w);
}

} // namespace planning
