#include "editors/frmBeleg.h"

#include "common/Session.h"
#include "db/Choices.h"
#include "db/Courses.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "db/Students.h"
#include "editors/frmBelegChecks.h"
#include "editors/frmBelegWrites.h"
#include "import/PreAssign.h"
#include "platform/RunState.h"
#include "platform/Text.h"
#include "ui/Host.h"

namespace editors {

using namespace beleg;

namespace {

const QString kEmptyChoice = QStringLiteral("   ");
const QString kArtNotAllowed = QStringLiteral("Belegungsart L nicht erlaubt!");
const QString kNoExtending = QStringLiteral("Erweitern der Belegung wird noch nicht unterstützt!");
const QString kHeldAlready = QStringLiteral("Kollegiat hat dieses Fach bereits belegt!");

// While the window fills its boxes itself, the boxes' handlers do nothing.
class Filling {
public:
    explicit Filling(int& depth) : depth_(depth) { ++depth_; }
    ~Filling() { --depth_; }
    Filling(const Filling&) = delete;
    Filling& operator=(const Filling&) = delete;

private:
    int& depth_;
};

bool empty(const QVariant& v) {
    return v.isNull() || v.toString().isEmpty();
}

QString courseBez(db::Connection& c, const QVariant& key) {
    if (empty(key))
        return {};
    return db::courses::designation(c, key.toString());
}

void selectLine(ui::ComboBox& box, const QString& text) {
    for (int i = 0; i < box.count(); ++i)
        if (box.line(i) == text) {
            box.setCurrent(i);
            return;
        }
    box.setCurrent(-1);
}

} // namespace

frmBeleg::frmBeleg(platform::RunState& s, ui::Host& host)
    : ui::Window(QStringLiteral("frmBeleg"), QStringLiteral("Belegungsdaten ")), s_(s),
      host_(host) {}

void frmBeleg::setBack(ui::ComboBox& box, const QString& subject) {
    Filling f(filling_);
    for (int i = 0; i < box.count(); ++i) {
        if (sameKey(subjectKey(box.line(i)), subject)) {
            box.setCurrent(i);
            return;
        }
    }
    box.setCurrent(-1);
}

void frmBeleg::Form_Load() {
    CmbKolJg.clear();
    db::Connection c(s_.databasePath());
    for (const QString& cohort : common::coursePhases(c, s_.SchjBez))
        CmbKolJg.addLine(cohort);
    if (CmbKolJg.count() == 0) {
        ui::tell(host_, common::kNoCoursePhases);
        return;
    }
    CmbKolJg.setCurrent(0);
    fillNavigator(c);
}

void frmBeleg::CmbKolJg_Click() {
    FNavigatorLst();
}

void frmBeleg::clearStudent() {
    Filling f(filling_);
    student_.clear();
    yg_.clear();
    lk_ = {};
    gk_ = {};
    gkShown_ = 0;
    for (QString& l : lblKursLK)
        l.clear();
    for (QString& l : lblKursKG)
        l.clear();
    for (ui::ComboBox& b : CmbFachLK)
        b.setCurrent(-1);
    for (ui::ComboBox& b : CmbFachGK)
        b.setCurrent(-1);
    for (ui::ComboBox& b : CmbBlGK)
        b.clear();
}

void frmBeleg::FNavigatorLst() {
    db::Connection c(s_.databasePath());
    fillNavigator(c);
}

void frmBeleg::fillNavigator(db::Connection& c) {
    Filling f(filling_);
    // Another cohort's subjects replace the boxes' entries: the student shown so far goes too.
    clearStudent();
    const QString cohort = CmbKolJg.text();

    // Advanced courses of the subjects whose choice types begin with "L" (as LIKE 'L%').
    const std::vector<db::courses::Subject> subjects = db::courses::subjectsOfCohort(c, cohort);
    QStringList lk;
    QStringList gk{kEmptyChoice};
    for (const db::courses::Subject& f : subjects) {
        if (f.beleg.startsWith(QLatin1Char('L'), Qt::CaseInsensitive))
            lk << subjectEntry(f.bez, f.key);
        if (FGKmoeglich(f.beleg))
            gk << subjectEntry(f.bez, f.key);
    }
    for (ui::ComboBox& b : CmbFachLK)
        b.setLines(lk);
    for (ui::ComboBox& b : CmbFachGK)
        b.setLines(gk);

    QStringList students;
    for (const db::students::Named& st : db::students::ofCohortWithKeys(c, cohort)) {
        const QString name = st.famName.trimmed() + QLatin1Char(' ') + st.rufName.trimmed();
        students << (name + QString(kNameWidth, QLatin1Char(' '))).left(kNameWidth) + st.key;
    }
    LstNavigator.setLines(students);
    emit changed();
    if (students.isEmpty())
        ui::tell(host_, QStringLiteral(
                            "Zum ausgewählten Kursphase gibt es keinen Kollegiaten!")); // verbatim
}

void frmBeleg::LstNavigator_Click() {
    if (LstNavigator.currentIndex() < 0)
        return;
    db::Connection c(s_.databasePath());
    reportUnwritten(c);
    openStudent(c);
}

void frmBeleg::OeffneDaten() {
    if (LstNavigator.currentIndex() < 0)
        return;
    db::Connection c(s_.databasePath());
    openStudent(c);
}

void frmBeleg::openStudent(db::Connection& c) {
    Filling f(filling_);
    clearStudent();
    student_ = LstNavigator.line(LstNavigator.currentIndex()).right(6);
    yg_ = db::yearGroup(CmbKolJg.text(), s_.SchjBez) == 12 ? QStringLiteral("12")
                                                           : QStringLiteral("13");

    if (!db::choices::hasAdvanced(c, student_)) {
        emit changed();
        ui::tell(host_, QStringLiteral("Kollegiat hat keine Leistungskursbelegung!"),
                 ui::Icon::Critical);
        return;
    }

    int n = 0;
    for (const db::choices::ChoiceRow& row : db::choices::rowsOfStudent(c, student_, true)) {
        if (empty(row.course12) && empty(row.course13))
            continue;
        if (++n > kLkRows) {
            emit changed();
            ui::tell(host_, QStringLiteral("Zu viele Leistungskurse!"), ui::Icon::Critical);
            break;
        }
        const int r = n - 1;
        lblKursLK[static_cast<size_t>(2 * r)] = courseBez(c, row.course12);
        lblKursLK[static_cast<size_t>(2 * r + 1)] = courseBez(c, row.course13);
        lk_[static_cast<size_t>(r)] = {row.subject, kArtL, row.bgId};
        setBack(CmbFachLK[static_cast<size_t>(r)], row.subject);
    }

    for (const db::choices::ChoiceRow& row : db::choices::rowsOfStudent(c, student_, false)) {
        if (gkShown_ >= kGkRows)
            break;
        if (empty(row.course12) && empty(row.course13))
            continue;
        const auto r = static_cast<size_t>(gkShown_++);
        lblKursKG[r] = courseBez(c, row.course12);
        lblKursKG[r + kGkRows] = courseBez(c, row.course13);
        gk_[r] = {row.subject, row.art, row.bgId};
        setBack(CmbFachGK[r], gk_[r].subject);
    }

    for (int r = 0; r < gkShown_; ++r) {
        UpCombBelart(c, r);
        selectLine(CmbBlGK[static_cast<size_t>(r)],
                   BelArtFvK(c, student_, gk_[static_cast<size_t>(r)].subject));
    }
    emit changed();
}

void frmBeleg::UeberPrBel() {
    if (student_.isEmpty())
        return;
    db::Connection c(s_.databasePath());
    reportUnwritten(c);
}

void frmBeleg::reportUnwritten(db::Connection& c) {
    if (student_.isEmpty())
        return;
    // Only what differs from the stored row is reported: the handlers have written every change
    // they accepted, so a difference is one that did not reach the database.
    const auto stored = [&](qint64 bgId, const char* field) {
        return qstrcmp(field, "BG_ART") == 0 ? db::choices::artOf(c, bgId)
                                             : db::choices::subjectOf(c, bgId);
    };
    const auto report = [&](const QString& what, int r) {
        ui::tell(host_, what + QString::number(r + 1));
    };
    for (int r = 0; r < kLkRows; ++r) {
        const Kept& k = lk_[static_cast<size_t>(r)];
        const QString key = subjectKey(CmbFachLK[static_cast<size_t>(r)].text());
        if (k.bgId != 0 && !key.isEmpty() && !sameKey(key, stored(k.bgId, "BG_FA_ID")))
            report(QStringLiteral("LK-Änderung bei: "), r);
    }
    for (int r = 0; r < kGkRows; ++r) {
        const Kept& k = gk_[static_cast<size_t>(r)];
        const QString key = subjectKey(CmbFachGK[static_cast<size_t>(r)].text());
        if (key.isEmpty())
            continue;
        if (r >= gkShown_ || !sameKey(key, stored(k.bgId, "BG_FA_ID")))
            report(QStringLiteral("GK-Änderung bei: "), r);
    }
    for (int r = 0; r < gkShown_; ++r) {
        const QString art = CmbBlGK[static_cast<size_t>(r)].text();
        if (!art.isEmpty() && art != stored(gk_[static_cast<size_t>(r)].bgId, "BG_ART"))
            report(QStringLiteral("Belungsart-Änderung bei: "), r); // verbatim
    }
}

void frmBeleg::showCourse(const std::optional<db::courses::Candidate>& course, QString& label12,
                          QString& label13) {
    label12.clear();
    label13.clear();
    if (course)
        (yg_ == QLatin1String("12") ? label12 : label13) = course->bez;
}

void frmBeleg::refuse(const QString& message, ui::ComboBox& box, const QString& subject) {
    ui::tell(host_, message, ui::Icon::Critical);
    setBack(box, subject);
    emit changed();
}

void frmBeleg::refuseCourseless(db::Connection& c, const QString& subject, ui::ComboBox& box,
                                const QString& kept) {
    const QString bez = db::courses::subjectDesignation(c, subject).trimmed();
    const QString name = db::students::familyName(c, student_).trimmed();
    refuse(QStringLiteral("Kurszuweisung nicht möglich:") + platform::kCrLf +
               importer::notServedLine(CmbKolJg.text(), bez.isEmpty() ? subject : bez, name),
           box, kept);
}

int frmBeleg::yearField() const {
    return yg_ == QLatin1String("12") ? 1 : 2;
}

void frmBeleg::CmbFachLK_Click(int row) {
    if (filling() || row < 0 || row >= kLkRows)
        return;
    const auto r = static_cast<size_t>(row);
    Kept& k = lk_[r];
    const QString chosen = subjectKey(CmbFachLK[r].text());
    switch (subjectStep(k.subject, chosen, true)) {
    case SubjectStep::Nothing:
        return;
    case SubjectStep::NotExtending:
    case SubjectStep::NotDeleting:
        refuse(kNoExtending, CmbFachLK[r], k.subject);
        return;
    case SubjectStep::Change:
        break;
    }
    db::Connection c(s_.databasePath());
    if (holdsElsewhere(c, student_, chosen, k.bgId)) {
        refuse(kHeldAlready, CmbFachLK[r], k.subject);
        return;
    }
    const auto course = courseFor(c, s_.SchjID, yg_, chosen, true);
    if (!course) {
        refuseCourseless(c, chosen, CmbFachLK[r], k.subject);
        return;
    }
    writeSubjectChange(c, student_, k.subject, kArtL, chosen, kArtL, course->key, yearField());
    k.subject = chosen;
    showCourse(course, lblKursLK[2 * r], lblKursLK[2 * r + 1]);
    emit changed();
}

void frmBeleg::CmbFachGK_Click(int row) {
    if (filling() || row < 0 || row >= kGkRows)
        return;
    const auto r = static_cast<size_t>(row);
    Kept& k = gk_[r];
    const QString chosen = subjectKey(CmbFachGK[r].text());
    switch (subjectStep(k.subject, chosen, false)) {
    case SubjectStep::Nothing:
        return;
    case SubjectStep::NotExtending:
        refuse(kNoExtending, CmbFachGK[r], k.subject);
        return;
    case SubjectStep::NotDeleting:
        refuse(QStringLiteral("Löschen der Belegung wird noch nicht unterstützt!"), CmbFachGK[r],
               k.subject);
        return;
    case SubjectStep::Change:
        break;
    }
    db::Connection c(s_.databasePath());
    if (holdsElsewhere(c, student_, chosen, k.bgId)) {
        refuse(kHeldAlready, CmbFachGK[r], k.subject);
        return;
    }
    // The year group's first course whatever the type: a choice left without both courses
    // would vanish from this window and from the export.
    const auto course = courseFor(c, s_.SchjID, yg_, chosen, false);
    if (!course) {
        refuseCourseless(c, chosen, CmbFachGK[r], k.subject);
        return;
    }
    const TypeAfterChange type = typeAfterChange(k.art, subjectTypes(c, chosen));
    if (type.refusedL)
        ui::tell(host_, kArtNotAllowed, ui::Icon::Critical);
    writeSubjectChange(c, student_, k.subject, k.art, chosen, type.art, course->key, yearField());

    k.subject = chosen;
    k.art = type.art;
    UpCombBelart(c, row);
    {
        Filling f(filling_);
        selectLine(CmbBlGK[r], type.art);
    }
    showCourse(course, lblKursKG[r], lblKursKG[r + kGkRows]);
    emit changed();
}

void frmBeleg::CmbBlGK_Click(int row) {
    if (filling() || row < 0 || row >= gkShown_)
        return;
    const auto r = static_cast<size_t>(row);
    Kept& k = gk_[r];
    const QString art = CmbBlGK[r].text();
    switch (typeStep(k.art, art)) {
    case TypeStep::Nothing:
        return;
    case TypeStep::RefusedL: {
        ui::tell(host_, kArtNotAllowed, ui::Icon::Critical);
        Filling f(filling_);
        selectLine(CmbBlGK[r], k.art);
        emit changed();
        return;
    }
    case TypeStep::Change:
        break;
    }
    db::Connection c(s_.databasePath());
    writeTypeChange(c, student_, k.subject, k.art, art);
    k.art = art;
    if (const int emptied = emptyYearOf(art))
        (emptied == 12 ? lblKursKG[r] : lblKursKG[r + kGkRows]).clear();
    emit changed();
}

void frmBeleg::UpCombBelart(db::Connection& c, int row) {
    Filling f(filling_);
    CmbBlGK[static_cast<size_t>(row)].setLines(
        subjectTypes(c, gk_[static_cast<size_t>(row)].subject));
}

void showBeleg(platform::RunState& s, ui::Host& host) {
    frmBeleg w(s, host);
    w.Form_Load();
    host.showModal(w);
}

} // namespace editors
