#pragma once

#include "blocking/Model.h"
#include "blocking/Propose.h"
#include "blocking/RailsNeeded.h"
#include "blocking/WhatIf.h"
#include "planning/Background.h"
#include "ui/ComboBox.h"
#include "ui/Grid.h"
#include "ui/Window.h"

#include <QByteArray>
#include <QStringList>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace ui {
class Host;
}
namespace platform {
struct RunState;
}

// The year's shape before any blocking: its own subsystem beside the placement, reading the
// block-formation file and writing only a copy of it.
namespace planning {

// "Kurse und Schienen" (menu Planung): for one cohort of the school year the course counts per
// subject and kind, the rails the cohort's courses need, and what the proposed changes of
// course would do. The rails and the changes are searched on a thread of their own
// (tmrRechnung_Timer polls it ten times a second, the view shows the progress bar); "Abbrechen"
// stops it and keeps what is done. Nothing is written but the copy that cmdKopie makes in a
// file the planner chooses. Tests run a computation and wait for it with waitForWork().
class frmPlanung : public ui::Window {
    Q_OBJECT
public:
    frmPlanung(platform::RunState& s, ui::Host& host);
    ~frmPlanung() override;

    // Controls.
    ui::ComboBox CmbJahrgang; // the school year's cohorts: "2009 (Jahrgangsstufe 12)"
    const QString lblJahrgangCaption = QStringLiteral("Jahrgang:");
    const QString lblMaxCaption = QStringLiteral("Höchstgröße, wo der Kurs keine hat:");
    QString txtMax;
    const QString lblMinCaption = QStringLiteral("Mindestgröße, wo der Kurs keine hat:");
    QString txtMin;
    const QString lblZeitCaption = QStringLiteral("Sekunden je Suche:");
    QString txtZeit = QStringLiteral("10");
    // Per subject and kind: Fach, Schüler, Kurse heute, Grenzen, nötig, Größen, Vorschlag.
    ui::Grid grdKurse;
    QStringList lstProbleme; // what no count can meet, named
    QStringList lstSchienen; // rails needed, per hours and in all
    // The proposed changes: Änderung, Kollisionen, größte Differenz, Schienen nötig.
    ui::Grid grdWasWaere;
    int prgRechnung = 0; // 0-100
    QString lblStand;

    // Reads the first cohort of the school year (year group 12 first).
    void Form_Load();
    void CmbJahrgang_Click();
    // Counts again with the sizes typed.
    void cmdZaehlen_Click();
    // Counts the rails needed, in the background.
    void cmdSchienen_Click();
    // Writes a copy with the rails needed and the plan into a new file the planner chooses.
    void cmdKopie_Click();
    // Searches each proposed change, in the background.
    void cmdWasWaere_Click();
    void cmdAbbrechen_Click();
    void cmdSchliessen_Click();
    void Form_Unload();
    void tmrRechnung_Timer();
    void waitForWork();

    bool running() const { return work_.running(); }
    const blocking::Model& model() const { return *model_; }
    const blocking::CourseCounts& counts() const { return counts_; }
    const std::optional<blocking::RailsNeeded>& rails() const { return rails_; }
    const std::vector<blocking::PlanChange>& changes() const { return changes_; }

    // The searches' seed and chains (0: one per core).
    std::uint64_t seed = 1;
    int threads = 0;

private:
    enum class Job { None, Rails, WhatIf };
    void load(int cohort);
    void count();
    void fillCounts();
    void fillChanges();
    void showWhatIf(size_t row, const blocking::WhatIf& w);
    void finish();
    void setState();
    bool seconds(double& out);
    int size(const QString& text, const QString& what);

    platform::RunState& s_;
    ui::Host& host_;
    std::vector<int> cohorts_;
    std::unique_ptr<blocking::Model> model_;
    blocking::ProposalData data_;
    QByteArray state_; // what the file held when the cohort was read
    blocking::CourseCounts counts_;
    std::vector<blocking::PlanChange> changes_;
    std::optional<blocking::RailsNeeded> rails_;

    Background work_;
    Job job_ = Job::None;
    // Written by the job, read by the timer.
    std::mutex mutex_;
    std::optional<blocking::RailsNeeded> railsDone_;
    std::vector<std::optional<blocking::WhatIf>> whatIfDone_;
    size_t whatIfShown_ = 0;
};

// Opens the window modally on the run's file.
void showPlanung(platform::RunState& s, ui::Host& host);

} // namespace planning
