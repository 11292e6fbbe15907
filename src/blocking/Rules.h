#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace db {
class Connection;
}

// The planner's rules: what a plan of the school year must keep besides the students' choices.
// They are kept per school year in the table regel of the block-formation file, a table of our
// own that files made before it lack until the first rule is added. Each rule names its
// courses, rails and students by key, so that a renamed course keeps its rules; the planner
// names them by designation.
namespace blocking {

enum class RuleKind {
    CourseNotOnRail,    // the course never stands on the rail
    CoursesTogether,    // the two courses stand on the same rails
    CoursesApart,       // the two courses never share a rail
    ParallelsApart,     // the subject's parallel courses (every kind) stand on different rails
    StudentInCourse,    // the student is in the course, where he chose its subject
    StudentNotInCourse, // the student is never in the course
    StudentsTogether,   // in every subject both chose, the same course
    StudentsApart,      // in no subject the same course
};

// What a rule's argument names.
enum class RuleArg { None, Course, Rail, Student, Subject };

struct RuleKindInfo {
    RuleKind kind;
    const char* name; // as kubb and the file spell it
    RuleArg first;
    RuleArg second;
    const char* caption; // as the window "Regeln" says it
    const char* german;  // the kind's German name, which kubb takes beside `name`
    const char* text;    // the rule as the planner reads it, %1 and %2 its arguments
};
const std::vector<RuleKindInfo>& ruleKinds();
const RuleKindInfo& ruleKind(RuleKind k);

struct Rule {
    qint64 id = 0;
    RuleKind kind = RuleKind::CourseNotOnRail;
    QString first;  // key: KS_VFP_ID, BL_VFP_ID, KO_VFP_ID; a subject by its abbreviation
    QString second; // empty for a rule of one argument
};

// The rules of the school year in the order they were added; none in a file without the table.
std::vector<Rule> loadRules(db::Connection& c, const QString& schoolYear);

// Adds a rule named as the planner names it: the kind as ruleKinds() spells it (`name` or
// `german`, a "ü" also as "ue"), a course by
// KS_BEZ, a rail by BL_BEZ (of the school year), a student by KO_VFP_ID, a subject by FA_PSCHL
// or its abbreviation FA_BEZ (kept as FA_PSCHL),
// each trimmed and without regard to case. Throws std::runtime_error (German) naming what is
// unknown, or for a rule that is there already. Writes in one transaction.
Rule addRule(db::Connection& c, const QString& schoolYear, const QString& kind,
             const QStringList& names);
// Removes the rule numbered n (from 1) as listRules numbers them; throws when there is none.
void removeRule(db::Connection& c, const QString& schoolYear, int n);
// The designations a planner may name for an argument, as addRule finds them: the school year's
// courses and rails in their order, the students by key and the subjects by FA_PSCHL (each with
// two blanks and then the student's name and class or the subject's abbreviation).
QStringList ruleNames(db::Connection& c, const QString& schoolYear, RuleArg what);

// The one place where a rule is put into words, for the windows, the questions, the panel and
// kubb alike: "Kurs 1Sp1 nicht auf Schiene GK9", "Schüler Maier, Anna (12a) im Kurs 1G2". The
// arguments come as the planner reads them (designations, studentInText).
QString ruleText(RuleKind k, const QString& first, const QString& second = {});
// A student in a rule's text: his name ("Maier, Anna") and, where he has one, his class.
QString studentInText(const QString& name, const QString& parallelClass);

// One line a rule (ruleText) with the designations of today (a key whose row is gone stands as
// "?key").
QStringList listRules(db::Connection& c, const QString& schoolYear);
// The same, as the window "Regeln" lists them.
QStringList captionRules(db::Connection& c, const QString& schoolYear);

} // namespace blocking
