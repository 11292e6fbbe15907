#include "placement/frmAutoSetzen.h"

#include "blocking/Evaluation.h"
#include "placement/Layouts.h"
#include "ui/Host.h"

#include <QLocale>

namespace placement {

namespace {

QString secondsText(double s) {
    return QLocale(QLocale::German).toString(s, 'f', 1) + QStringLiteral(" s");
}

} // namespace

frmAutoSetzen::frmAutoSetzen(blocking::Model model, ui::Host& host)
    : ui::Window(QStringLiteral("frmAutoSetzen"), QStringLiteral("Automatisch setzen")),
      model_(std::move(model)), host_(host) {
    setCommands({
        {QStringLiteral("cmdStart"),
         QStringLiteral("&Starten"),
         {},
         true,
         [this] { cmdStart_Click(); }},
        {QStringLiteral("cmdAbbrechen"),
         QStringLiteral("&Abbrechen"),
         {},
         false,
         [this] { cmdAbbrechen_Click(); }},
        {QStringLiteral("cmdDrucken"),
         QStringLiteral("&Drucken"),
         {},
         false,
         [this] { cmdDrucken_Click(); }},
        {QStringLiteral("cmdUebernehmen"),
         QStringLiteral("Ü&bernehmen"),
         {},
         false,
         [this] { cmdUebernehmen_Click(); }},
        {QStringLiteral("cmdVerwerfen"),
         QStringLiteral("&Verwerfen"),
         {},
         true,
         [this] { cmdVerwerfen_Click(); }},
    });
    showModel();
}

QString frmAutoSetzen::planned() const {
    if (!model_.bothYearGroups())
        return QStringLiteral("Jahrgangsstufe %1 (%2)").arg(model_.yearGroup).arg(model_.cohort);
    return QStringLiteral("Jahrgangsstufen %1 und %2 (%3, %4)")
        .arg(model_.parts[0].yearGroup)
        .arg(model_.parts[1].yearGroup)
        .arg(model_.parts[0].cohort)
        .arg(model_.parts[1].cohort);
}

void frmAutoSetzen::showModel() {
    lblVorher = blocking::withCollisionShares(blocking::describe(blocking::evaluate(model_), false),
                                              model_, model_.placement, model_.assignment);
    listConflicts();
    lblStand = QStringLiteral("%1: %2 Schüler, %3 Kurse, %4 Schienen")
                   .arg(planned())
                   .arg(model_.ownStudents)
                   .arg(model_.ownCourses)
                   .arg(model_.rails.size());
}

void frmAutoSetzen::chkBeide_Click() {
    if (searching_ || !loadBoth)
        return;
    if (!aside_) {
        try {
            aside_ = loadBoth();
        } catch (const std::runtime_error& e) {
            ui::tell(host_, QString::fromStdString(e.what()), ui::Icon::Exclamation);
            emit changed();
            return;
        }
    }
    std::swap(model_, *aside_);
    chkBeide = model_.bothYearGroups();
    // A plan of the other model is no plan of this one.
    clearResult();
    showModel();
    setState();
}

frmAutoSetzen::~frmAutoSetzen() {
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

void frmAutoSetzen::setMode(bool rest, bool alles, bool wenig) {
    optRest = rest;
    optAlles = alles;
    optWenig = wenig;
    if (!result_ && !searching_)
        listConflicts();
    emit changed();
}

blocking::Mode frmAutoSetzen::mode() const {
    return optRest ? blocking::Mode::Rest : optAlles ? blocking::Mode::All : blocking::Mode::Keep;
}

void frmAutoSetzen::listConflicts() {
    conflicts_ = blocking::ruleConflicts(model_, mode());
    lblGruende = conflicts_;
    lblGruendeCaption =
        conflicts_.isEmpty() ? QString() : QStringLiteral("Die Regeln lassen keinen Plan zu:");
}

bool frmAutoSetzen::searchDespite() {
    if (conflicts_.isEmpty())
        return true;
    const QString text = QStringLiteral("Die Regeln lassen keinen Plan zu:\n\n%1\n\nTrotzdem "
                                        "suchen? „Nein“ führt zurück zu den Regeln.")
                             .arg(conflicts_.join(QLatin1Char('\n')));
    if (host_.message({text, caption(), ui::Icon::Question, ui::Buttons::YesNo, 1, std::nullopt}) ==
        ui::Answer::Yes)
        return true;
    zuDenRegeln = true;
    unload(false);
    return false;
}

void frmAutoSetzen::optRest_Click() {
    setMode(true, false, false);
}

void frmAutoSetzen::optAlles_Click() {
    setMode(false, true, false);
}

void frmAutoSetzen::optWenig_Click() {
    setMode(false, false, true);
}

// The search's options from the window's fields; none (and the planner told why) where a field
// is out of its range.
std::optional<blocking::Options> frmAutoSetzen::searchOptions() {
    const int seconds = val(txtZeit);
    if (seconds < 1 || seconds > 3600) {
        ui::tell(host_,
                 QStringLiteral("Die Zeitgrenze ist eine ganze Zahl von Sekunden von 1 bis 3600."),
                 ui::Icon::Exclamation);
        return std::nullopt;
    }
    const int keep = val(txtVarianten);
    if (keep < 0 || keep > 10) {
        ui::tell(host_, QStringLiteral("Varianten behalten: eine ganze Zahl von 0 bis 10."),
                 ui::Icon::Exclamation);
        return std::nullopt;
    }
    if (keep > 0 && model_.bothYearGroups()) {
        ui::tell(host_,
                 QStringLiteral("Varianten werden je Jahrgang gespeichert: für beide "
                                "Jahrgangsstufen zusammen bitte 0 Varianten behalten."),
                 ui::Icon::Exclamation);
        return std::nullopt;
    }
    blocking::Options o;
    o.keepPlans = keep;
    o.mode = mode();
    o.seconds = seconds;
    o.seed = seed;
    o.threads = threads;
    o.cancel = &cancel_;
    // On the search's thread: only handed over here, shown by the timer.
    o.progress = [this](const blocking::Progress& p) {
        const std::lock_guard lock(mutex_);
        progress_ = p;
    };
    return o;
}

void frmAutoSetzen::clearResult() {
    result_.reset();
    prgSuche = 0;
    lblNachher.clear();
    lblWechselCaption.clear();
    lstWechsel.clear();
}

void frmAutoSetzen::cmdStart_Click() {
    if (searching_)
        return;
    const std::optional<blocking::Options> o = searchOptions();
    if (!o || !searchDespite())
        return;
    seconds_ = o->seconds;
    cancel_ = false;
    progress_.reset();
    clearResult();
    lblGruende.clear();
    lblGruendeCaption.clear();
    lblStand = QStringLiteral("Die Suche läuft ...");
    started_ = std::chrono::steady_clock::now();
    searching_ = true;
    worker_ = std::thread([this, options = *o] {
        std::optional<blocking::Result> r;
        std::exception_ptr error;
        try {
            r = blocking::block(model_, options);
        } catch (...) {
            error = std::current_exception();
        }
        const std::lock_guard lock(mutex_);
        outcome_ = std::move(r);
        error_ = error;
    });
    setState();
}

void frmAutoSetzen::tmrSuche_Timer() {
    if (!searching_)
        return;
    bool ended = false;
    std::optional<blocking::Progress> p;
    {
        const std::lock_guard lock(mutex_);
        ended = outcome_.has_value() || error_;
        p = std::exchange(progress_, std::nullopt);
    }
    if (ended) {
        finish();
        return;
    }
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    prgSuche = std::clamp(static_cast<int>(elapsed / seconds_ * 100), 0, 99);
    if (p)
        lblNachher = blocking::describe(p->best, false);
    lblStand = QStringLiteral("Die Suche läuft: ") + secondsText(elapsed);
    emit changed();
}

void frmAutoSetzen::waitForSearch() {
    if (!searching_)
        return;
    worker_.join();
    finish();
}

void frmAutoSetzen::finish() {
    if (worker_.joinable())
        worker_.join();
    searching_ = false;
    std::exception_ptr error;
    {
        const std::lock_guard lock(mutex_);
        error = std::exchange(error_, nullptr);
        result_ = std::exchange(outcome_, std::nullopt);
        progress_.reset();
    }
    if (error) {
        prgSuche = 0;
        lblStand.clear();
        setState();
        std::rethrow_exception(error);
    }
    const blocking::Result& r = *result_;
    prgSuche = 100;
    lblNachher =
        blocking::withCollisionShares(blocking::describe(r.after, false, true, r.bestKeepingPlaced),
                                      model_, r.placement, r.assignment);
    lblGruende = blocking::explain(r.after);
    lblGruendeCaption = lblGruende.isEmpty() ? QString() : QStringLiteral("Unvermeidbar:");
    if (optWenig) {
        lblWechselCaption =
            QStringLiteral("Schüler mit Kurswechsel: %1").arg(blocking::changedStudents(r.changes));
        lstWechsel = blocking::changeLines(model_, r.changes);
    }
    if (r.cancelled)
        lblStand = QStringLiteral("Abgebrochen nach %1; das beste gefundene Ergebnis:")
                       .arg(secondsText(r.seconds));
    else if (r.secondsToOptimal >= 0)
        lblStand = (r.after.optimal ? QStringLiteral("Optimal nach %1.")
                                    : QStringLiteral("Bestmöglich nach %1."))
                       .arg(secondsText(r.secondsToOptimal));
    else
        lblStand = QStringLiteral("Zeitgrenze erreicht nach %1.").arg(secondsText(r.seconds));
    if (!r.cancelled && r.secondsToOptimal < 0 && r.secondsToCollisionFree >= 0)
        lblStand +=
            QStringLiteral(" Kollisionsfrei nach %1.").arg(secondsText(r.secondsToCollisionFree));
    setState();
}

// Rules that leave no plan are named before the search: the planner searches anyway or goes
// back to the rules (the window closes, the workspace opens "Regeln").
void frmAutoSetzen::cmdAbbrechen_Click() {
    cancel_ = true;
    waitForSearch();
}

void frmAutoSetzen::cmdDrucken_Click() {
    if (searching_ || lstWechsel.isEmpty())
        return;
    ui::printListing(host_, QStringLiteral("Kurswechsel der ") + planned(), {lblWechselCaption},
                     lstWechsel);
}

void frmAutoSetzen::cmdUebernehmen_Click() {
    if (result_ && !searching_)
        unload(true);
}

void frmAutoSetzen::cmdVerwerfen_Click() {
    if (!searching_)
        unload(false);
}

void frmAutoSetzen::Form_Unload() {
    if (unloaded_)
        return;
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
    searching_ = false;
    unload(false);
}

void frmAutoSetzen::unload(bool accept) {
    accepted_ = accept;
    unloaded_ = true;
    host_.hide(*this);
}

void frmAutoSetzen::setState() {
    lblNachherCaption =
        searching_ ? QStringLiteral("Bisher bestes Ergebnis") : QStringLiteral("Nachher");
    setEnabled(QStringLiteral("cmdStart"), !searching_);
    setEnabled(QStringLiteral("cmdAbbrechen"), searching_);
    setEnabled(QStringLiteral("cmdDrucken"), !searching_ && !lstWechsel.isEmpty());
    setEnabled(QStringLiteral("cmdUebernehmen"), !searching_ && result_.has_value());
    setEnabled(QStringLiteral("cmdVerwerfen"), !searching_);
    emit changed();
}

} // namespace placement
