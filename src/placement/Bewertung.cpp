// The evaluation panel "Bewertung" of the placement workspace: the automatic blocking's measure
// of a placement, counted for one cohort after every command.
//
// A full load of the cohort takes a while on a large school; the evaluation itself takes a few
// milliseconds. So the model is kept between commands and read again only as far as a command
// made it stale; the placement comes from the grid every time.

#include "blocking/Evaluation.h"
#include "db/Database.h"
#include "placement/Layouts.h"
#include "placement/SetzenK.h"
#include "platform/RunState.h"

namespace placement {

void SetzenK::fillJahrgaenge(db::Connection& c) {
    jahrgaenge_.clear();
    CmbJahrgang.clear();
    bool ok = false;
    const int year = s_.SchjBez.left(4).toInt(&ok);
    if (!ok || year <= 0)
        return;
    const auto students = [&](int cohort) {
        return c
            .scalar(QStringLiteral("SELECT count(*) FROM kolleg WHERE trim(KO_KURSPH) = ?"),
                    {QString::number(cohort)})
            .toInt();
    };
    for (int group : {12, 13}) {
        const int cohort = year - (group - 12);
        jahrgaenge_.push_back(cohort);
        CmbJahrgang.addLine(QStringLiteral("Jahrgangsstufe %1 (%2)").arg(group).arg(cohort));
    }
    CmbJahrgang.setCurrent(students(year) == 0 && students(year - 1) > 0 ? 1 : 0);
}

int SetzenK::Jahrgang() const {
    const int i = CmbJahrgang.currentIndex();
    return i >= 0 && i < static_cast<int>(jahrgaenge_.size()) ? jahrgaenge_[i] : 0;
}

void SetzenK::CmbJahrgang_Click() {
    Bewerten();
}

void SetzenK::afterCommand(Effect e) noexcept {
    if (e == Effect::Placement || e == Effect::Students || e == Effect::Courses)
        dropUndo();
    studentsStale_ = studentsStale_ || e == Effect::Students || e == Effect::Auto;
    coursesStale_ = coursesStale_ || e == Effect::Courses;
    // Counted once the command is through: "Schiene auffüllen" still moves students after it
    // listed them.
    if (e == Effect::Students || e == Effect::Courses) {
        try {
            db::Connection c(s_.databasePath());
            zaehleSchueler(c);
        } catch (const std::exception&) {
            countsStale_ = true; // the next click on LNKurse counts again
        }
    }
    Bewerten();
}

void SetzenK::Bewerten() {
    try {
        const int cohort = Jahrgang();
        if (cohort == 0) {
            bewertungModel_.reset();
            bewertung = {};
            lblBewertung.clear();
            emit changed();
            return;
        }
        if (!bewertungModel_ || coursesStale_ || bewertungModel_->cohort != cohort) {
            db::Connection c(s_.databasePath());
            bewertungModel_ = std::make_unique<blocking::Model>(
                blocking::Model::load(c, {s_.SchjID, s_.SchjBez}, cohort));
        } else if (studentsStale_) {
            db::Connection c(s_.databasePath());
            bewertungModel_->refresh(c);
        }
        coursesStale_ = false;
        studentsStale_ = false;
        fitToGrid(*bewertungModel_);
        bewertung = blocking::evaluate(*bewertungModel_);
        lblBewertung = blocking::describe(bewertung);
    } catch (const std::exception& e) {
        // The panel only informs: the command that ran before stays done.
        bewertungModel_.reset();
        bewertung = {};
        lblBewertung =
            QStringList{QStringLiteral("Keine Bewertung möglich:"), QString::fromUtf8(e.what())};
    }
    emit changed();
}

std::vector<int> SetzenK::railOfColumn(const blocking::Model& m) const {
    const ui::Grid& g = grdSchienen;
    QHash<qint64, int> railById;
    for (size_t r = 0; r < m.rails.size(); ++r)
        railById.insert(m.rails[r].id, static_cast<int>(r));
    std::vector<int> railOf(g.Cols(), -1);
    for (int col = 0; col < g.Cols(); ++col)
        railOf[col] = railById.value(val(RailHeader::key(g.TextMatrix(0, col))), -1);
    return railOf;
}

void SetzenK::fitToGrid(blocking::Model& m) const {
    const ui::Grid& g = grdSchienen;
    // A rail the grid does not show (one of ten hours and more) takes nothing.
    const std::vector<int> railOf = railOfColumn(m);
    for (blocking::Rail& r : m.rails)
        r.hours = 0;
    for (int col = 0; col < g.Cols(); ++col)
        if (railOf[col] >= 0)
            m.rails[railOf[col]].hours = RailHeader::hours(g.TextMatrix(0, col));
    for (blocking::Course& k : m.courses)
        if (k.hours >= 10)
            k.hours = 0;
    blocking::PlainPlacement plain;
    for (int col = 0; col < g.Cols(); ++col) {
        if (railOf[col] < 0)
            continue;
        // Down to the first empty cell, as saving writes them.
        for (int row = 1; row < g.Rows() && !g.TextMatrix(row, col).isEmpty(); ++row)
            plain[CourseEntry::key(g.TextMatrix(row, col))].push_back(
                {m.rails[railOf[col]].key, isFixed(row, col)});
    }
    m.setPlacement(plain);
}

} // namespace placement
