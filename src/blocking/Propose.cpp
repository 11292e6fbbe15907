#include "blocking/Propose.h"

#include "blocking/Evaluation.h"
#include "db/Choices.h"
#include "db/Courses.h"
#include "db/Database.h"

#include <QJsonArray>
#include <QLocale>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace blocking {

namespace {

QString kindKey(const QString& subject, bool advanced) {
    return subject.toUpper() + (advanced ? QStringLiteral("|L") : QStringLiteral("|G"));
}

QString kindName(bool advanced) {
    return advanced ? QStringLiteral("LK") : QStringLiteral("GK");
}

// Whether a choice of this kind (BG_ART) counts in the year group, as the model reads choices.
bool countsIn(int yearGroup, const QString& art) {
    const QString kinds = yearGroup == 12 ? QStringLiteral("LASCX") : QStringLiteral("LBSCX");
    return art.size() == 1 && kinds.contains(art, Qt::CaseInsensitive);
}

// The tightest limit the group's courses set (the largest least size, the smallest largest);
// the default where none sets one.
SizeLimits groupLimits(const Model& m, const std::vector<int>& courses,
                       const QHash<int, int>& optimal, const SizeLimits& defaults, bool& fromFile) {
    SizeLimits l;
    int optSum = 0;
    int optCount = 0;
    for (int k : courses) {
        const Course& c = m.courses[k];
        if (c.min > 0)
            l.min = std::max(l.min, c.min);
        if (c.max > 0)
            l.max = l.max > 0 ? std::min(l.max, c.max) : c.max;
        if (const int o = optimal.value(k); o > 0) {
            optSum += o;
            ++optCount;
        }
    }
    if (optCount > 0)
        l.opt = (optSum + optCount / 2) / optCount;
    fromFile = l.min > 0 || l.max > 0 || l.opt > 0;
    if (l.min == 0)
        l.min = defaults.min;
    if (l.max == 0)
        l.max = defaults.max;
    if (l.opt == 0)
        l.opt = defaults.opt;
    return l;
}

QString limitsOf(const SizeLimits& l) {
    QStringList parts;
    if (l.min > 0)
        parts << QStringLiteral("KS_MIN %1").arg(l.min);
    if (l.max > 0)
        parts << QStringLiteral("KS_MAX %1").arg(l.max);
    return parts.join(QStringLiteral(", "));
}

// Why no number of parallels keeps the limits, in the planner's words.
QString noCountReason(const QString& subject, int students, const SizeLimits& l) {
    if (l.max > 0 && l.min > l.max)
        return QStringLiteral("%1: KS_MIN %2 liegt über KS_MAX %3; keine Zahl von Kursen hält "
                              "diese Grenzen ein.")
            .arg(subject)
            .arg(l.min)
            .arg(l.max);
    if (students < l.min)
        return QStringLiteral("%1: %2 Schüler, aber KS_MIN %3; schon ein Kurs bliebe unter seiner "
                              "Mindestgröße.")
            .arg(subject)
            .arg(students)
            .arg(l.min);
    return QStringLiteral("%1: %2 Schüler lassen sich mit %3 auf keine Zahl von Kursen verteilen.")
        .arg(subject)
        .arg(students)
        .arg(limitsOf(l));
}

// What the planner should do with the group: a course less, more, or nothing.
void propose(const Model& m, CourseCount& r) {
    const int today = static_cast<int>(r.courses.size());
    const auto smallest = std::min_element(r.sizes.begin(), r.sizes.end());
    const auto largest = std::max_element(r.sizes.begin(), r.sizes.end());
    if (r.fewest < 0)
        return;
    if (today < r.fewest) {
        r.add = r.fewest - today;
        r.addTo = r.courses[static_cast<size_t>(largest - r.sizes.begin())];
        r.proposal = r.add == 1 ? QStringLiteral("ein Parallelkurs zu %1 sollte hinzukommen")
                                      .arg(m.courses[r.addTo].name)
                                : QStringLiteral("%1 Parallelkurse zu %2 sollten hinzukommen")
                                      .arg(r.add)
                                      .arg(m.courses[r.addTo].name);
        return;
    }
    if (today > r.fewest) {
        r.goes = r.courses[static_cast<size_t>(smallest - r.sizes.begin())];
        r.mustGo = r.most >= 0 && today > r.most;
        r.proposal = (r.mustGo ? QStringLiteral("%1 sollte entfallen")
                               : QStringLiteral("%1 könnte entfallen"))
                         .arg(m.courses[r.goes].name);
        return;
    }
    r.proposal = QStringLiteral("passt");
}

CourseCount groupRow(const Model& m, int g, const ProposalData& data, const std::vector<int>& sizes,
                     const SizeLimits& defaults) {
    CourseCount r;
    r.group = g;
    r.courses = m.groups[g].courses;
    r.students = m.groups[g].total;
    QStringList subjects;
    bool advanced = false;
    for (const ChoiceType& t : m.types)
        if (!t.candidates.empty() && m.courses[t.candidates[0]].group == g) {
            const QString s = data.subject.value(t.subject.toUpper(), t.subject);
            if (!subjects.contains(s))
                subjects << s;
            advanced = t.advanced;
        }
    r.subject = subjects.isEmpty()
                    ? m.groups[g].label
                    : subjects.join(QLatin1Char('/')) + QLatin1Char(' ') + kindName(advanced);
    for (int k : r.courses)
        r.sizes.push_back(sizes[k]);
    r.limits = groupLimits(m, r.courses, data.optimal, defaults, r.limitsFromFile);
    const Parallels p = parallelsFor(r.students, r.limits);
    r.fewest = p.fewest;
    r.most = p.most;
    r.best = p.best;
    if (!r.sizes.empty()) {
        r.smallest = *std::min_element(r.sizes.begin(), r.sizes.end());
        r.largest = *std::max_element(r.sizes.begin(), r.sizes.end());
        int sum = 0;
        for (int s : r.sizes)
            sum += s;
        r.average = static_cast<double>(sum) / static_cast<double>(r.sizes.size());
    }
    if (r.fewest < 0)
        r.problem = noCountReason(r.subject, r.students, r.limits);
    propose(m, r);
    return r;
}

} // namespace

Parallels parallelsFor(int students, const SizeLimits& l) {
    Parallels p;
    if (students <= 0)
        return {0, 0, 0};
    if (l.max > 0 && l.min > l.max)
        return p;
    const int fewest = l.max > 0 ? (students + l.max - 1) / l.max : 1;
    if (l.min > 0 && fewest * l.min > students)
        return p;
    p.fewest = fewest;
    p.most = l.min > 0 ? students / l.min : -1;
    p.best = fewest;
    if (l.opt > 0) {
        const int nearest = std::max(1, static_cast<int>(std::lround(double(students) / l.opt)));
        p.best = std::max(fewest, p.most >= 0 ? std::min(nearest, p.most) : nearest);
    }
    return p;
}

ProposalData readProposalData(db::Connection& c, const Model& m, const SchoolYear& year) {
    ProposalData d;
    for (const auto& [key, opt] : db::courses::optimalSizes(c, year.id))
        if (const int k = m.courseIndex(key); k >= 0)
            d.optimal.insert(k, opt);
    for (const auto& [key, bez] : db::courses::subjectDesignations(c))
        if (!bez.trimmed().isEmpty() && !d.subject.contains(key.toUpper()))
            d.subject.insert(key.toUpper(), bez.trimmed());
    QSet<QString> withoutCourse;
    for (const ChoiceType& t : m.types)
        if (t.candidates.empty())
            withoutCourse.insert(kindKey(t.subject, t.advanced));
    for (const db::choices::SubjectCount& s :
         db::choices::subjectCountsOfCohort(c, QString::number(m.cohort))) {
        const QString art = s.art.trimmed();
        if (!countsIn(m.yearGroup, art))
            continue;
        const QString key =
            kindKey(s.subject, art.compare(QLatin1String("L"), Qt::CaseInsensitive) == 0);
        if (withoutCourse.contains(key))
            d.unserved[key] += s.count;
    }
    return d;
}

CourseCounts countCourses(const Model& m, const ProposalData& data, const SizeLimits& defaults) {
    if (m.choices.empty())
        throw std::runtime_error(
            QStringLiteral("Der Jahrgang %1 hat keine Kurswahlen, die in der Jahrgangsstufe %2 "
                           "zählen; es gibt nichts vorzuschlagen.")
                .arg(m.cohort)
                .arg(m.yearGroup)
                .toStdString());
    CourseCounts out;
    const std::vector<int> sizes = courseSizes(m, m.assignment);
    for (int g = 0; g < static_cast<int>(m.groups.size()); ++g) {
        out.rows.push_back(groupRow(m, g, data, sizes, defaults));
        if (!out.rows.back().problem.isEmpty())
            out.problems << out.rows.back().problem;
    }
    for (const ChoiceType& t : m.types) {
        const int count = data.unserved.value(kindKey(t.subject, t.advanced));
        if (!t.candidates.empty() || count == 0)
            continue;
        CourseCount r;
        r.subject = data.subject.value(t.subject.toUpper(), t.subject) + QLatin1Char(' ') +
                    kindName(t.advanced);
        r.students = count;
        r.fewest = -1;
        r.problem = count == 1 ? QStringLiteral("%1: 1 Schüler hat es gewählt, aber es gibt "
                                                "keinen Kurs.")
                                     .arg(r.subject)
                               : QStringLiteral("%1: %2 Schüler haben es gewählt, aber es gibt "
                                                "keinen Kurs.")
                                     .arg(r.subject)
                                     .arg(count);
        out.problems << r.problem;
        out.rows.push_back(r);
    }
    return out;
}

QString coursesText(const Model& m, const CourseCount& r) {
    QStringList parts;
    for (size_t i = 0; i < r.courses.size(); ++i)
        parts << QStringLiteral("%1 %2").arg(m.courses[r.courses[i]].name).arg(r.sizes[i]);
    return parts.join(QStringLiteral(", "));
}

QString limitsText(const CourseCount& r) {
    QStringList parts;
    if (r.limits.min > 0)
        parts << QStringLiteral("KS_MIN %1").arg(r.limits.min);
    if (r.limits.max > 0)
        parts << QStringLiteral("KS_MAX %1").arg(r.limits.max);
    if (r.limits.opt > 0)
        parts << QStringLiteral("KS_OPT %1").arg(r.limits.opt);
    if (parts.isEmpty())
        return QStringLiteral("keine Grenzen");
    return parts.join(QStringLiteral(", ")) +
           (r.limitsFromFile ? QString() : QStringLiteral(" (Vorgabe)"));
}

QString neededText(const CourseCount& r) {
    if (r.fewest < 0)
        return QStringLiteral("–");
    QString text = QString::number(r.fewest);
    QStringList more;
    if (r.most >= 0 && r.most != r.fewest)
        more << QStringLiteral("höchstens %1").arg(r.most);
    if (r.limits.opt > 0)
        more << QStringLiteral("bei KS_OPT %1: %2").arg(r.limits.opt).arg(r.best);
    return more.isEmpty()
               ? text
               : text + QStringLiteral(" (") + more.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString spreadText(const CourseCount& r) {
    if (r.courses.empty())
        return QString();
    return QStringLiteral("Ø %1, Spanne %2")
        .arg(QLocale(QLocale::German).toString(r.average, 'f', 1))
        .arg(r.largest - r.smallest);
}

QString countLine(const Model& m, const CourseCount& r) {
    if (r.courses.empty())
        return r.problem;
    QString line =
        QStringLiteral("%1: %2 Schüler in %3 (%4); %5; nötig %6; %7")
            .arg(r.subject)
            .arg(r.students)
            .arg(r.courses.size() == 1 ? QStringLiteral("1 Kurs")
                                       : QStringLiteral("%1 Kursen").arg(r.courses.size()))
            .arg(coursesText(m, r), limitsText(r), neededText(r), spreadText(r));
    // The problem names the subject first: said once in the line.
    return line + QStringLiteral(": ") +
           (r.problem.isEmpty() ? r.proposal : r.problem.mid(r.subject.size() + 2));
}

QJsonObject toJson(const Model& m, const CourseCounts& counts) {
    QJsonArray rows;
    for (const CourseCount& r : counts.rows) {
        QJsonArray courses;
        for (size_t i = 0; i < r.courses.size(); ++i)
            courses.append(QJsonObject{{QStringLiteral("name"), m.courses[r.courses[i]].name},
                                       {QStringLiteral("size"), r.sizes[i]}});
        rows.append(
            QJsonObject{{QStringLiteral("subject"), r.subject},
                        {QStringLiteral("students"), r.students},
                        {QStringLiteral("courses"), courses},
                        {QStringLiteral("min"), r.limits.min},
                        {QStringLiteral("max"), r.limits.max},
                        {QStringLiteral("opt"), r.limits.opt},
                        {QStringLiteral("fewest"), r.fewest},
                        {QStringLiteral("most"), r.most},
                        {QStringLiteral("best"), r.best},
                        {QStringLiteral("average"), r.average},
                        {QStringLiteral("spread"), r.largest - r.smallest},
                        {QStringLiteral("goes"), r.goes >= 0 ? m.courses[r.goes].name : QString()},
                        {QStringLiteral("add"), r.add},
                        {QStringLiteral("proposal"), r.proposal},
                        {QStringLiteral("problem"), r.problem}});
    }
    return {{QStringLiteral("courses"), rows},
            {QStringLiteral("problems"), QJsonArray::fromStringList(counts.problems)}};
}

} // namespace blocking
