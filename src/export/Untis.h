#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace db {
class Connection;
}
namespace blocking {
struct SchoolYear;
}
namespace platform {
struct RunState;
}

// The hand-over of a cohort's plan to the timetable program, in the text files of its course
// module ("GPU files"): GPU002 the lessons (one per course of the cohort), GPU010 the students,
// GPU015 the students' courses with their parallel courses as alternatives, GPU019 the rails as
// clusters of simultaneous lessons. One line per record, fields in a fixed order without header,
// texts in double quotes, numbers bare. The cohort's courses, their parallels and the rails they
// stand on are the blocking's (blocking::Model), so the timetable gets the plan the evaluation
// judges. Everything is read in one read transaction and built whole in memory: a value the
// files cannot hold refuses the export before any file is written.
namespace exporter::untis {

enum class Separator { Semicolon, Comma, Tab };
enum class Encoding { Utf8, Windows1252 };
// How GPU010 field 1, the key GPU015 refers to, is made: "S-" + the administration's key of the
// student, or SURNAME_Fir_YYYYMMDD (the date where the file knows it).
enum class StudentKey { Id, Name };

// The last line of every refusal.
inline const QString kNothingWritten = QStringLiteral("\r\nEs wurde nichts geschrieben.");

// Lesson numbers stay within six digits.
constexpr int kMaxLesson = 999999;

struct Options {
    QString cohort; // KO_KURSPH
    Separator separator = Separator::Semicolon;
    Encoding encoding = Encoding::Utf8;
    int firstLesson = 1;
    StudentKey studentKey = StudentKey::Id;
};

// The option values as kubb takes them (";" "," "tab"; "utf-8" "windows-1252"; "id" "name",
// letter case ignored; a whole number 1..kMaxLesson); none for any other text.
std::optional<Separator> separatorNamed(const QString& text);
std::optional<Encoding> encodingNamed(const QString& text);
std::optional<StudentKey> studentKeyNamed(const QString& text);
std::optional<int> lessonNumber(const QString& text);

// One course of the cohort as a lesson.
struct Lesson {
    int number = 0;
    QString course;  // the course's name: the long one a Kurs42 import kept, else KS_BEZ
    int hours = 0;   // weekly hours, 0 unknown
    QString teacher; // the teacher's abbreviation, "" none
    int students = 0;
};

struct Student {
    QString key;
    QString famName, rufName;
    QString birthDate;  // YYYYMMDD, "" unknown
    QString externalId; // the administration's key, trimmed
    QString who;        // how messages name him: "Schüler Abel, Anna (12a)"
};

// A student in a course: the lessons (indexes) of the course and its parallels, ascending.
struct Membership {
    int student = 0;
    int lesson = 0;
    std::vector<int> alternatives;
};

// A rail with the cohort's courses on it.
struct Cluster {
    QString name;
    int hours = 0;
    std::vector<int> lessons;
};

struct Plan {
    QString yearGroup; // "12" or "13": the class of lessons and students
    std::vector<Lesson> lessons;
    std::vector<Student> students;
    std::vector<Membership> memberships;
    std::vector<Cluster> clusters;
    // What the files leave out or cannot say, one German line each: rails without a course of
    // the cohort, courses without teacher or rail, choices without course, students without
    // course.
    QStringList notes;
};

// Reads the cohort's plan. Throws Refused (two students of one key, lesson numbers beyond
// kMaxLesson), std::runtime_error for a cohort outside the school year, db::DbError.
Plan readPlan(db::Connection& c, const blocking::SchoolYear& year, const Options& o);

struct File {
    QString name; // "GPU002.TXT"
    QByteArray bytes;
};

// The four files of the plan. Throws Refused for a value the chosen encoding cannot hold, or
// that holds the separator, a double quote or a line break (a course name also "~", which
// separates the alternatives), naming the student or course.
std::vector<File> render(const Plan& p, const Options& o);

// Replaces the files in dir as one set (platform/FileSet.h). Refuses (Refused) a missing folder
// and a target that is a folder, link or anything but a plain file before writing, and a
// failure of the writing: before the renames the previous files stay; after some, the set's
// journal stays for the next export to finish, and the message says so.
void write(const std::vector<File>& files, const QString& dir);

struct Result {
    Plan plan;
    std::vector<File> files;
};

// The export as kubb and the window run it: the school year of s, the plan read in one read
// transaction, the files rendered and written into dir.
Result exportCohort(const platform::RunState& s, const Options& o, const QString& dir);

// What was written, for the message after the export: the folder, each file with what it
// holds, the range of lesson numbers; then the notes.
QStringList report(const Result& r, const QString& dir);

} // namespace exporter::untis
