#pragma once

#include "blocking/Rules.h"
#include "blocking/Search.h"
#include "blocking/Write.h"
#include "db/Database.h"
#include "support/School.h"

#include <algorithm>
#include <functional>
#include <random>
#include <set>

namespace test {

// A search of a fixed number of rounds (0: until proven or out of time) on that many chains,
// anew ("Alles neu") unless another mode is given.
inline blocking::Options options(long long rounds, int threads = 1,
                                 blocking::Mode mode = blocking::Mode::All,
                                 std::uint64_t seed = 1) {
    blocking::Options o;
    o.mode = mode;
    o.threads = threads;
    o.rounds = rounds;
    o.seed = seed;
    return o;
}

// A school for the blocking on the one builder: courses of year group 12 in the blocking's code
// ("11", basic "K") with their hours, or on the builder's defaults (plain), rails "S<id>", choices
// of a subject with their course in the student's year field; a student "Name<id>, Vor<id>" of
// the cohort comes with his first.
struct Blocks : School {
    void rail(int id, int hours) { School::rail(id, QStringLiteral("S%1").arg(id), hours); }
    // Rails S1, S2, ... of these hours.
    void rails(std::initializer_list<int> hours) {
        int id = 0;
        for (int h : hours)
            rail(++id, h);
    }
    QString course(int id, const QString& name, int subject, int hours, const Row& extra = {}) {
        return School::course(id, name,
                              merged({{"KS_FA_ID1", subjectKey(subject)},
                                      {"KS_JGST", "11"},
                                      {"KS_LKGK", "K"},
                                      {"KS_STD", QString::number(hours)}},
                                     extra));
    }
    // The subject offered to the cohort (subject 1 is there already).
    void offer(int id, const QString& cohort) {
        if (id == 1)
            db::Connection(path()).exec("UPDATE fachang SET FA_KURSPH = ? WHERE FA_ID = 1",
                                        {cohort});
        else
            subject(id, {}, {{"FA_KURSPH", cohort}});
    }
    qint64 choice(int student, int subject, const QString& art = "S", const QString& course = {},
                  const QString& cohort = "2009") {
        if (students_.insert(student).second)
            School::student(student, QStringLiteral("Name%1").arg(student),
                            QStringLiteral("Vor%1").arg(student), cohort);
        return School::choice(studentKey(student), {}, {},
                              {{cohort == "2009" ? "BG_KS_ID_12" : "BG_KS_ID_13",
                                course.isEmpty() ? QVariant() : QVariant(course)},
                               {"BG_FA_ID", subjectKey(subject)},
                               {"BG_ART", art}});
    }
    // A course on the builder's defaults of the subject, which comes with its abbreviation
    // "F<subject>" (and 3 hours) unless the school has it already.
    QString plain(int id, const QString& name, int subject, const Row& extra = {}) {
        if (db.scalar("SELECT count(*) FROM fachang WHERE FA_VFP_ID = ?", {subjectKey(subject)})
                .toInt() == 0)
            School::subject(subject, "3", {{"FA_PSCHL", QStringLiteral("F%1").arg(subject)}});
        return School::course(id, name, merged({{"KS_FA_ID1", subjectKey(subject)}}, extra));
    }
    void rule(const QString& kind, const QStringList& names) {
        db::Connection c(path());
        blocking::addRule(c, kYear, kind, names);
    }
    // Returns the course.
    QString place(int rail, const QString& course, bool fixed = false) {
        School::place(rail, course,
                      {{"CK_VFP_ID", QString::number(rail)}, {"CK_FIX", fixed ? "1" : "0"}});
        return course;
    }

    // n students of four subjects of six, each subject in two parallel courses, the first of
    // which holds them all; every other course on one of eight rails, the first fixed. The seed
    // picks the subjects.
    void sample(int n, unsigned seed) {
        batch();
        for (int r = 1; r <= 8; ++r)
            rail(r, 3);
        for (int k = 1; k <= 12; ++k) {
            course(k, QStringLiteral("K%1").arg(k), (k + 1) / 2, 3);
            if (k % 2 == 1)
                place(k % 8 + 1, courseKey(k), k == 1);
        }
        std::mt19937 rng(seed);
        for (int s = 1; s <= n; ++s) {
            std::vector<int> subjects{1, 2, 3, 4, 5, 6};
            std::shuffle(subjects.begin(), subjects.end(), rng);
            for (int i = 0; i < 4; ++i)
                choice(s, subjects[i], "S", courseKey(2 * subjects[i] - 1));
        }
        commit();
    }

    blocking::Model model(int cohort = 2009) {
        db::Connection c(path());
        return blocking::Model::load(c, {kYear, "2009/2010"}, cohort);
    }
    // Blocks the cohort and writes the result, as kubb does.
    blocking::Result block(blocking::Mode mode, int cohort = 2009, long long rounds = 0) {
        const blocking::Model m = model(cohort);
        const blocking::Result r = blocking::block(m, options(rounds, 2, mode));
        db::Connection c(path());
        blocking::write(c, m, r.placement, r.assignment, std::nullopt);
        return r;
    }

    // After sample() and a plan: n students each choose another subject instead of one of
    // theirs (the new choice without a course) where a course of it stands on a rail free for
    // them, so that a plan exists in which nobody else changes. The new choices' BG_ID.
    std::vector<qint64> reChoose(int n) {
        const blocking::Model m = model();
        db::Connection c(path());
        const auto courseOf = [&](int subject, int i) {
            return m.courseIndex(courseKey(2 * subject - 1 + i));
        };
        std::vector<qint64> out;
        for (int s = 0; s < m.ownStudents && static_cast<int>(out.size()) < n; ++s) {
            const blocking::Student& st = m.students[s];
            const int drop = st.firstChoice; // his first choice gives way
            std::set<int> chosen;
            blocking::RailSet others;
            for (int i = drop; i < drop + st.choiceCount; ++i)
                for (int t = 1; t <= 6; ++t)
                    if (m.assignment[i] == courseOf(t, 0) || m.assignment[i] == courseOf(t, 1)) {
                        chosen.insert(t);
                        if (i > drop)
                            others |= m.placement.rails[m.assignment[i]];
                    }
            int subject = 0;
            for (int t = 1; t <= 6 && subject == 0; ++t)
                for (int i = 0; i < 2; ++i)
                    if (!chosen.count(t) && !m.placement.rails[courseOf(t, i)].intersects(others))
                        subject = t;
            if (subject == 0)
                continue;
            c.exec("UPDATE belegung SET BG_FA_ID = ?, BG_KS_ID_12 = NULL WHERE BG_ID = ?",
                   {subjectKey(subject), m.choices[drop].bgId});
            out.push_back(m.choices[drop].bgId);
        }
        return out;
    }

private:
    std::set<int> students_;
};

// The message a call is refused with; empty when it is not.
inline QString refusal(const std::function<void()>& call) {
    try {
        call();
    } catch (const std::runtime_error& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

// What a plan is in the file: every placement (course, rail, fixed mark) and the course fields of
// every choice row.
inline QStringList planRows(const QString& path) {
    return rowsOf(path, "SELECT CK_KS_ID, CK_BL_ID, CK_FIX FROM ckkurs UNION ALL "
                        "SELECT BG_ID, BG_KS_ID_12, BG_KS_ID_13 FROM belegung ORDER BY 1, 2, 3");
}

// A plan of the cohort on one chain for a fixed number of rounds, anew ("Alles neu") unless
// another mode is given; nothing is written.
inline blocking::Result plan(const blocking::Model& m, long long rounds = 40,
                             blocking::Mode mode = blocking::Mode::All) {
    return blocking::block(m, options(rounds, 1, mode));
}

} // namespace test
