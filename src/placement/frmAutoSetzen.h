#pragma once

#include "blocking/Model.h"
#include "blocking/Search.h"
#include "ui/Window.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace ui {
class Host;
}

namespace placement {

// "Automatisch setzen": places the cohort's courses onto rails and fills its parallel courses
// (the automatic blocking), for the placement workspace to take over or discard.
//
// The window gets the cohort's model with the workspace's placement and writes nothing: on
// "Übernehmen" the workspace writes the students' courses and puts the rails into its grid.
// The search runs on threads of its own ("Starten"); its progress arrives through the library's
// callback and is shown when the view polls (tmrSuche_Timer, ten times a second), so that the
// window stays responsive and "Abbrechen" can stop it, keeping the best plan found. Tests start
// the search and wait for it with waitForSearch().
class frmAutoSetzen : public ui::Window {
    Q_OBJECT
public:
    frmAutoSetzen(blocking::Model model, ui::Host& host);
    // Stops a search still running.
    ~frmAutoSetzen() override;

    // Controls.
    const QString fraModus = QStringLiteral("Modus");
    const QString optRestCaption = QStringLiteral("Restliche Kurse");
    const QString optAllesCaption = QStringLiteral("Alles neu");
    const QString optWenigCaption = QStringLiteral("Wenig ändern");
    // The three option buttons of fraModus; exactly one is set.
    bool optRest = true;   // "Restliche Kurse": placed courses stay, the others are placed
    bool optAlles = false; // "Alles neu": every course not fixed may move
    // "Wenig ändern": from the plan as it stands, as few students changing courses as possible
    bool optWenig = false;
    const QString lblZeitCaption = QStringLiteral("Zeitgrenze (Sekunden):");
    QString txtZeit = QStringLiteral("10");
    // How many of the search's best distinct plans "Übernehmen" saves as variants besides (0-10).
    const QString lblVariantenCaption = QStringLiteral("Varianten behalten:");
    QString txtVarianten = QStringLiteral("0");
    int prgSuche = 0;       // 0-100: the time limit used up
    QString lblStand;       // what the search is doing
    QStringList lblVorher;  // the evaluation of the workspace's plan
    QStringList lblNachher; // of the best plan so far while the search runs, then of its result
    // Before the search the rules no plan keeps ("Die Regeln lassen keinen Plan zu:"), after it
    // why each bound above 0 lies there ("Unvermeidbar:"); the caption says which.
    QString lblGruendeCaption;
    QStringList lblGruende;
    // "Wenig ändern": after the search, the students' changes of course, one line each, so
    // that the planner sees (and prints) them before "Übernehmen".
    QString lblWechselCaption;
    QStringList lstWechsel;
    const QString lblVorherCaption = QStringLiteral("Vorher");
    QString lblNachherCaption = QStringLiteral("Nachher");
    // Both year groups in one search: the courses of 12 and 13 share the rails and teachers.
    const QString chkBeideCaption = QStringLiteral("beide Jahrgangsstufen");
    bool chkBeide = false;
    // The model of both year groups with the workspace's placement, loaded when first asked for;
    // throws std::runtime_error (German) where the file cannot give it. Unset: not offered.
    std::function<blocking::Model()> loadBoth;

    void optRest_Click();
    void optAlles_Click();
    void optWenig_Click();
    // Plans the workspace's cohort alone or both year groups; a plan found before is dropped.
    void chkBeide_Click();
    // Starts the search with the mode, time limit (whole seconds, 1-3600) and the number of
    // plans to keep. Where the rules leave no plan, it first names them and asks: "Ja" searches
    // anyway, "Nein" goes back to the rules (the window closes, the status line says where).
    void cmdStart_Click();
    // Stops the search; the best plan found so far is the result.
    void cmdAbbrechen_Click();
    // Prints the changes of course shown in lstWechsel.
    void cmdDrucken_Click();
    // The plan found is taken over; the window closes.
    void cmdUebernehmen_Click();
    // Nothing is taken over; the window closes.
    void cmdVerwerfen_Click();
    // The window is closed otherwise: a running search stops, nothing is taken over.
    void Form_Unload();
    // Shows the search's progress; once it has ended, its result. The view calls it while
    // running() holds.
    void tmrSuche_Timer();
    // Waits until the search has ended, then shows its result.
    void waitForSearch();

    bool running() const { return searching_; }
    // Whether "Übernehmen" closed the window.
    bool accepted() const { return accepted_; }
    // Whether the planner chose to go back to the rules, which leave no plan.
    bool zuDenRegeln = false;
    const blocking::Model& model() const { return model_; }
    // The plan found; empty before a search has ended.
    const std::optional<blocking::Result>& result() const { return result_; }

    // The search's seed and chains (0: one per core); the same give the same plan when the
    // search runs to its time limit.
    std::uint64_t seed = 1;
    int threads = 0;

private:
    void setState();
    std::optional<blocking::Options> searchOptions();
    // No plan found, none shown.
    void clearResult();
    void finish();
    blocking::Mode mode() const;
    // The rules no plan of the chosen mode keeps, into lblGruende.
    void listConflicts();
    bool searchDespite();
    void setMode(bool rest, bool alles, bool wenig);
    // "Jahrgangsstufe 12 (2009)", or "Jahrgangsstufen 12 und 13 (2009, 2008)".
    QString planned() const;
    void showModel();
    void unload(bool accept);

    blocking::Model model_;
    std::optional<blocking::Model>
        aside_; // the model chkBeide does not plan, once both were loaded
    ui::Host& host_;
    QStringList conflicts_;
    std::optional<blocking::Result> result_;
    bool accepted_ = false;
    bool unloaded_ = false;
    bool searching_ = false;

    // Shared with the search's thread.
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::mutex mutex_;
    std::optional<blocking::Progress> progress_; // the latest, not yet shown
    std::optional<blocking::Result> outcome_;
    std::exception_ptr error_;

    std::chrono::steady_clock::time_point started_;
    double seconds_ = 10;
};

} // namespace placement
