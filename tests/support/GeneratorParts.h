#pragma once

#include "Generator.h"

#include "blocking/Random.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

// The parts of a generated school that its making and its rules share (Generator.cpp,
// GeneratorRules.cpp).
namespace test::generator {

// The subject offer with the hours of a basic course; Informatik runs four hours, on two rails.
inline constexpr std::pair<const char*, int> kSubjects[] = {
    {"D", 3},  {"E", 3},  {"F", 3},   {"L", 3},  {"M", 3},  {"Ph", 3}, {"Ch", 3},
    {"B", 3},  {"Ku", 3}, {"Mu", 3},  {"G", 2},  {"Ek", 2}, {"Sk", 2}, {"WR", 2},
    {"Rk", 2}, {"Ev", 2}, {"Eth", 2}, {"Sp", 2}, {"Ps", 2}, {"Inf", 4}};
enum Subject { D, E, F, L, M, Ph, Ch, B, Ku, Mu, G, Ek, Sk, WR, Rk, Ev, Eth, Sp, Ps, Inf };
inline constexpr int kSubjectCount = static_cast<int>(std::size(kSubjects));

struct Pick {
    int subject;
    char art; // L advanced; S compulsory; C chosen; X additional
};
// number: among the group's parallels, from 1; option: its rails in the hidden plan; id: KS_ID,
// 0 when it got no students.
struct CourseDef {
    int group = 0, number = 0, hours = 0, option = -1, students = 0, id = 0;
};

// cohort: an index; -1: both cohorts (a course of code 50).
struct GroupDef {
    int subject = 0;
    bool advanced = false;
    int cohort = 0;
    std::vector<int> courses;
};

struct StudentDef {
    int cohort = 0;
    std::vector<Pick> picks;
    std::vector<int> planned; // per pick: its course in the hidden plan
};

// The hidden plan as the rules read it.
struct HiddenPlan {
    const std::vector<GroupDef>& groups;
    const std::vector<CourseDef>& courses;
    const std::vector<std::uint64_t>& railsOf;
    const std::vector<StudentDef>& students;
    const std::vector<QString>& names;
};

// Rules of cohort 2009 that the hidden plan keeps, as the planner names them, as many of each
// kind as the settings ask (roughly, but for a real school's shape).
std::vector<QStringList> makeRules(blocking::Random& r, const HiddenPlan& plan,
                                   const SchoolSettings& settings);

} // namespace test::generator
