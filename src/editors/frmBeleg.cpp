#include "editors/frmBeleg.h"

#include "common/Session.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "platform/RunState.h"
#include "platform/Text.h"
#include "ui/Host.h"

namespace editors {

namespace {

const QString kEmptyChoice = QStringLiteral("   ");
const QString kArtL = QStringLiteral("L");
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

QString subjectEntry(const QString& bez, const QString& key) {
    return (bez + QStringLiteral("   ")).left(3) + QLatin1Char(' ') + key;
}

bool sameKey(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool empty(const QVariant& v) {
    return v.isNull() || v.toString().isEmpty();
}

// The first belegung row of the student with that subject and type, 0 when there is none.
qint64 rowOf(db::Connection& c, const QString& student, const QString& subject,
             const QString& art) {
    return c
        .scalar(QStringLiteral("SELECT BG_ID FROM belegung WHERE BG_KO_ID = ? AND BG_FA_ID = ? "
                               "AND BG_ART = ? ORDER BY BG_ID LIMIT 1"),
                {student, subject, art})
        .toLongLong();
}

QString courseBez(db::Connection& c, const QVariant& key) {
    if (empty(key))
        return {};
    return c.scalar(QStringLiteral("SELECT KS_BEZ FROM kurs WHERE KS_VFP_ID = ? LIMIT 1"), {key})
        .toString();
}

// The choice types a subject offers: the non-blank characters of the first 8 of its FA_BELEG.
QStringList offeredTypes(db::Connection& c, const QString& subject) {
    const QString beleg =
        (c.scalar(QStringLiteral("SELECT FA_BELEG FROM fachang WHERE FA_VFP_ID = ? LIMIT 1"),
                  {subject})
             .toString() +
         QString(8, QLatin1Char(' ')))
            .left(8);
    QStringList types;
    for (QChar ch : beleg)
        if (ch != QLatin1Char(' '))
            types << QString(ch);
    return types;
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

bool frmBeleg::FGKmoeglich(const QString& faBeleg) {
    const QString t = faBeleg.trimmed();
    return !t.isEmpty() && t.compare(kArtL, Qt::CaseInsensitive) != 0;
}

QString frmBeleg::subjectKey(const ui::ComboBox& box) {
    const QString line = box.text();
    return line.trimmed().isEmpty() ? QString() : line.right(6);
}

void frmBeleg::setBack(ui::ComboBox& box, const QString& subject) {
    Filling f(filling_);
    for (int i = 0; i < box.count(); ++i) {
        const QString key = box.line(i).trimmed().isEmpty() ? QString() : box.line(i).right(6);
        if (sameKey(key, subject)) {
            box.setCurrent(i);
            return;
        }
    }
    box.setCurrent(-1);
}

void frmBeleg::Form_Load() {
    CmbKolJg.clear();
    {
        db::Connection c(s_.databasePath());
        for (const QString& cohort : common::coursePhases(c, s_.SchjBez))
            CmbKolJg.addLine(cohort);
    }
    if (CmbKolJg.count() == 0) {
        ui::tell(host_, common::kNoCoursePhases);
        return;
    }
    CmbKolJg.setCurrent(0);
    FNavigatorLst();
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
    Filling f(filling_);
    // Another cohort's subjects replace the boxes' entries: the student shown so far goes too.
    clearStudent();
    const QString cohort = CmbKolJg.text();
    db::Connection c(s_.databasePath());

    QStringList lk;
    QSqlQuery q = c.exec(QStringLiteral("SELECT FA_BEZ, FA_VFP_ID FROM fachang WHERE FA_KURSPH = ? "
                                        "AND FA_BELEG LIKE 'L%' ORDER BY FA_ID"),
                         {cohort});
    while (q.next())
        lk << subjectEntry(q.value(0).toString(), q.value(1).toString());
    for (ui::ComboBox& b : CmbFachLK)
        b.setLines(lk);

    QStringList gk{kEmptyChoice};
    q = c.exec(QStringLiteral("SELECT FA_BEZ, FA_VFP_ID, FA_BELEG FROM fachang "
                              "WHERE FA_KURSPH = ? ORDER BY FA_ID"),
               {cohort});
    while (q.next())
        if (FGKmoeglich(q.value(2).toString()))
            gk << subjectEntry(q.value(0).toString(), q.value(1).toString());
    for (ui::ComboBox& b : CmbFachGK)
        b.setLines(gk);

    QStringList students;
    q = c.exec(QStringLiteral("SELECT KO_FAMNAME, KO_RUFNAME, KO_VFP_ID FROM kolleg "
                              "WHERE KO_KURSPH = ? ORDER BY KO_FAMNAME COLLATE DEUTSCH, "
                              "KO_RUFNAME COLLATE DEUTSCH, KO_ID"),
               {cohort});
    while (q.next()) {
        const QString name =
            q.value(0).toString().trimmed() + QLatin1Char(' ') + q.value(1).toString().trimmed();
        students << (name + QString(kNameWidth, QLatin1Char(' '))).left(kNameWidth) +
                        q.value(2).toString();
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
    UeberPrBel();
    OeffneDaten();
}

void frmBeleg::OeffneDaten() {
    if (LstNavigator.currentIndex() < 0)
        return;
    Filling f(filling_);
    clearStudent();
    student_ = LstNavigator.line(LstNavigator.currentIndex()).right(6);
    yg_ = db::yearGroup(CmbKolJg.text(), s_.SchjBez) == 12 ? QStringLiteral("12")
                                                           : QStringLiteral("13");
    db::Connection c(s_.databasePath());

    if (c.scalar(
             QStringLiteral("SELECT 1 FROM belegung WHERE BG_KO_ID = ? AND BG_ART = 'L' LIMIT 1"),
             {student_})
            .isNull()) {
        emit changed();
        ui::tell(host_, QStringLiteral("Kollegiat hat keine Leistungskursbelegung!"),
                 ui::Icon::Critical);
        return;
    }

    // %3: the condition on the type of choice.
    const QString rows = QStringLiteral("SELECT BG_ID, BG_FA_ID, %1, %2, BG_ART "
                                        "FROM belegung WHERE BG_KO_ID = ? AND %3 ORDER BY BG_ID")
                             .arg(db::courseField(12), db::courseField(13));
    QSqlQuery q = c.exec(rows.arg(QStringLiteral("BG_ART = 'L'")), {student_});
    int n = 0;
    while (q.next()) {
        if (empty(q.value(2)) && empty(q.value(3)))
            continue;
        if (++n > kLkRows) {
            emit changed();
            ui::tell(host_, QStringLiteral("Zu viele Leistungskurse!"), ui::Icon::Critical);
            break;
        }
        const int r = n - 1;
        lblKursLK[static_cast<size_t>(2 * r)] = courseBez(c, q.value(2));
        lblKursLK[static_cast<size_t>(2 * r + 1)] = courseBez(c, q.value(3));
        lk_[static_cast<size_t>(r)] = {q.value(1).toString(), kArtL, q.value(0).toLongLong()};
        setBack(CmbFachLK[static_cast<size_t>(r)], q.value(1).toString());
    }

    q = c.exec(rows.arg(QStringLiteral("BG_ART <> 'L'")), {student_});
    while (q.next() && gkShown_ < kGkRows) {
        if (empty(q.value(2)) && empty(q.value(3)))
            continue;
        const auto r = static_cast<size_t>(gkShown_++);
        lblKursKG[r] = courseBez(c, q.value(2));
        lblKursKG[r + kGkRows] = courseBez(c, q.value(3));
        gk_[r] = {q.value(1).toString(), q.value(4).toString(), q.value(0).toLongLong()};
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
    // Only what differs from the stored row is reported: the handlers have written every change
    // they accepted, so a difference is one that did not reach the database.
    const auto stored = [&](qint64 bgId, const char* field) {
        return c
            .scalar(
                QStringLiteral("SELECT %1 FROM belegung WHERE BG_ID = ?").arg(QLatin1String(field)),
                {bgId})
            .toString();
    };
    const auto report = [&](const QString& what, int r) {
        ui::tell(host_, what + QString::number(r + 1));
    };
    for (int r = 0; r < kLkRows; ++r) {
        const Kept& k = lk_[static_cast<size_t>(r)];
        const QString key = subjectKey(CmbFachLK[static_cast<size_t>(r)]);
        if (k.bgId != 0 && !key.isEmpty() && !sameKey(key, stored(k.bgId, "BG_FA_ID")))
            report(QStringLiteral("LK-Änderung bei: "), r);
    }
    for (int r = 0; r < kGkRows; ++r) {
        const Kept& k = gk_[static_cast<size_t>(r)];
        const QString key = subjectKey(CmbFachGK[static_cast<size_t>(r)]);
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

std::optional<importer::CourseCandidate> frmBeleg::courseFor(db::Connection& c,
                                                             const QString& subject, bool lk) {
    const bool twelve = yg_ == QLatin1String("12");
    // First as the window was designed to ask: kind "G" (or "L") and the year group as the
    // code. Files made by the import carry the administration's codes instead (kind "K", "11"
    // in year group 12, "12" in 13, "50" in both), where that finds nothing; then the courses
    // are asked as the pre-assignment asks, so that a changed choice gets the course it would
    // have got there.
    const QString kind = lk ? kArtL : QStringLiteral("G");
    const QString importKind = lk ? kArtL : QStringLiteral("K");
    const std::pair<QString, QString> asks[] = {
        {kind, yg_},
        {importKind, twelve ? QStringLiteral("11") : QStringLiteral("12")},
        {importKind, QStringLiteral("50")},
    };
    for (const auto& [k, code] : asks) {
        const auto list = importer::findCourses(c, s_.SchjID, subject, k, code, yg_);
        if (!list.empty())
            return list.front();
    }
    return std::nullopt;
}

void frmBeleg::showCourse(const std::optional<importer::CourseCandidate>& course, QString& label12,
                          QString& label13) {
    label12.clear();
    label13.clear();
    if (course)
        (yg_ == QLatin1String("12") ? label12 : label13) = course->bez;
}

bool frmBeleg::holdsElsewhere(db::Connection& c, const QString& subject, qint64 bgId) {
    return !c.scalar(QStringLiteral("SELECT 1 FROM belegung WHERE BG_KO_ID = ? AND BG_FA_ID = ? "
                                    "AND BG_ID <> ? LIMIT 1"),
                     {student_, subject, bgId})
                .isNull();
}

void frmBeleg::refuse(const QString& message, ui::ComboBox& box, const QString& subject) {
    ui::tell(host_, message, ui::Icon::Critical);
    setBack(box, subject);
    emit changed();
}

void frmBeleg::refuseCourseless(db::Connection& c, const QString& subject, ui::ComboBox& box,
                                const QString& kept) {
    const QString bez =
        c.scalar(QStringLiteral("SELECT FA_BEZ FROM fachang WHERE FA_VFP_ID = ? LIMIT 1"),
                 {subject})
            .toString()
            .trimmed();
    const QString name =
        c.scalar(QStringLiteral("SELECT KO_FAMNAME FROM kolleg WHERE KO_VFP_ID = ? LIMIT 1"),
                 {student_})
            .toString()
            .trimmed();
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
    const QString chosen = subjectKey(CmbFachLK[r]);
    if (chosen.isEmpty() || sameKey(chosen, k.subject))
        return;
    if (k.subject.isEmpty()) {
        // As for the Grundkurse: a row the student has no choice for cannot be given one here.
        refuse(kNoExtending, CmbFachLK[r], k.subject);
        return;
    }
    db::Connection c(s_.databasePath());
    if (holdsElsewhere(c, chosen, k.bgId)) {
        refuse(kHeldAlready, CmbFachLK[r], k.subject);
        return;
    }
    const auto course = courseFor(c, chosen, true);
    if (!course) {
        refuseCourseless(c, chosen, CmbFachLK[r], k.subject);
        return;
    }
    db::Transaction tx(c);
    AendBel(c, student_, k.subject, kArtL, chosen);
    AendernKurs(c, student_, chosen, kArtL, course->key, yearField());
    tx.commit();
    k.subject = chosen;
    showCourse(course, lblKursLK[2 * r], lblKursLK[2 * r + 1]);
    emit changed();
}

void frmBeleg::CmbFachGK_Click(int row) {
    if (filling() || row < 0 || row >= kGkRows)
        return;
    const auto r = static_cast<size_t>(row);
    Kept& k = gk_[r];
    const QString chosen = subjectKey(CmbFachGK[r]);
    if (k.subject.isEmpty()) {
        if (!chosen.isEmpty())
            refuse(kNoExtending, CmbFachGK[r], k.subject);
        return;
    }
    if (chosen.isEmpty()) {
        refuse(QStringLiteral("Löschen der Belegung wird noch nicht unterstützt!"), CmbFachGK[r],
               k.subject);
        return;
    }
    if (sameKey(chosen, k.subject))
        return;
    db::Connection c(s_.databasePath());
    if (holdsElsewhere(c, chosen, k.bgId)) {
        refuse(kHeldAlready, CmbFachGK[r], k.subject);
        return;
    }

    // The year group's first course whatever the type: a choice left without both courses
    // would vanish from this window and from the export.
    const auto course = courseFor(c, chosen, false);
    if (!course) {
        refuseCourseless(c, chosen, CmbFachGK[r], k.subject);
        return;
    }
    // The type stays when the new subject offers it; otherwise the first type it offers, never
    // "L" in a Grundkurs row.
    QString art = k.art;
    const QStringList types = offeredTypes(c, chosen);
    if (!types.contains(art)) {
        if (art == kArtL)
            ui::tell(host_, kArtNotAllowed, ui::Icon::Critical);
        for (const QString& t : types)
            if (t != kArtL) {
                art = t;
                break;
            }
    }

    db::Transaction tx(c);
    AendBel(c, student_, k.subject, k.art, chosen);
    if (art != k.art)
        AendBelArt(c, student_, chosen, k.art, art);
    AendernKurs(c, student_, chosen, art, course->key, yearField());
    tx.commit();

    k.subject = chosen;
    k.art = art;
    UpCombBelart(c, row);
    {
        Filling f(filling_);
        selectLine(CmbBlGK[r], art);
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
    if (art.isEmpty() || art == k.art)
        return;
    if (art == kArtL) {
        ui::tell(host_, kArtNotAllowed, ui::Icon::Critical);
        Filling f(filling_);
        selectLine(CmbBlGK[r], k.art);
        emit changed();
        return;
    }
    db::Connection c(s_.databasePath());
    db::Transaction tx(c);
    AendBelArt(c, student_, k.subject, k.art, art);
    tx.commit();
    k.art = art;
    if (art == QLatin1String("A"))
        lblKursKG[r + kGkRows].clear();
    else if (art == QLatin1String("B"))
        lblKursKG[r].clear();
    emit changed();
}

QString frmBeleg::BelArtFvK(db::Connection& c, const QString& student, const QString& subject) {
    return c
        .scalar(QStringLiteral("SELECT BG_ART FROM belegung WHERE BG_KO_ID = ? AND BG_FA_ID = ? "
                               "ORDER BY BG_ID LIMIT 1"),
                {student, subject})
        .toString();
}

void frmBeleg::UpCombBelart(db::Connection& c, int row) {
    Filling f(filling_);
    CmbBlGK[static_cast<size_t>(row)].setLines(
        offeredTypes(c, gk_[static_cast<size_t>(row)].subject));
}

void frmBeleg::AendBel(db::Connection& c, const QString& student, const QString& oldSubject,
                       const QString& art, const QString& newSubject) {
    const qint64 id = rowOf(c, student, oldSubject, art);
    if (id == 0)
        return;
    db::checkValue(QStringLiteral("belegung"), QStringLiteral("BG_FA_ID"), newSubject);
    c.exec(QStringLiteral("UPDATE belegung SET BG_FA_ID = ?, %1 = NULL, %2 = NULL WHERE BG_ID = ?")
               .arg(db::courseField(12), db::courseField(13)),
           {newSubject, id});
}

void frmBeleg::AendBelArt(db::Connection& c, const QString& student, const QString& subject,
                          const QString& oldArt, const QString& newArt) {
    const qint64 id = rowOf(c, student, subject, oldArt);
    if (id == 0)
        return;
    db::checkValue(QStringLiteral("belegung"), QStringLiteral("BG_ART"), newArt);
    QString sql = QStringLiteral("UPDATE belegung SET BG_ART = ?");
    if (newArt == QLatin1String("B"))
        sql += QStringLiteral(", %1 = NULL").arg(db::courseField(12));
    else if (newArt == QLatin1String("A"))
        sql += QStringLiteral(", %1 = NULL").arg(db::courseField(13));
    c.exec(sql + QStringLiteral(" WHERE BG_ID = ?"), {newArt, id});
}

void frmBeleg::AendernKurs(db::Connection& c, const QString& student, const QString& subject,
                           const QString& art, const QString& course, int yearField) {
    const qint64 id = rowOf(c, student, subject, art);
    if (id == 0)
        return;
    c.exec(QStringLiteral("UPDATE belegung SET %1 = ? WHERE BG_ID = ?")
               .arg(db::courseField(yearField == 1 ? 12 : 13)),
           {course, id});
}

void showBeleg(platform::RunState& s, ui::Host& host) {
    frmBeleg w(s, host);
    w.Form_Load();
    host.showModal(w);
}

} // namespace editors
