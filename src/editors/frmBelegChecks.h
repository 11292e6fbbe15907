#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// What the course-choice editor may do with a choice, decided without a window or a database:
// whether a subject or a choice type picked in a box is a change it writes, what type a changed
// Grundkurs gets, and which course field a type leaves empty. The window turns each verdict into
// its message.
namespace editors::beleg {

// The choice type of a Leistungskurs; never one of a Grundkurs row.
inline const QString kArtL = QStringLiteral("L");

// Whether a subject of this FA_BELEG may be chosen as a Grundkurs: any type besides "L" alone.
bool FGKmoeglich(const QString& faBeleg);
// The choice types a subject offers: the non-blank characters of the first 8 of its FA_BELEG.
QStringList offeredTypes(const QString& faBeleg);

// Keys compare as the columns do: ignoring letter case.
bool sameKey(const QString& a, const QString& b);
// A subject box's entry: the short name in 3 characters, a blank and FA_VFP_ID.
QString subjectEntry(const QString& bez, const QString& key);
// The subject key of a box's entry; "" for the empty entry.
QString subjectKey(const QString& entry);

// What becomes of a subject picked in a row whose choice has the subject kept ("" for a row
// without a choice).
enum class SubjectStep {
    Nothing,      // no change
    NotExtending, // a row without a choice cannot be given one here
    NotDeleting,  // a Grundkurs cannot be taken away here
    Change,
};
SubjectStep subjectStep(const QString& kept, const QString& chosen, bool lk);

// The type a Grundkurs keeps when its subject changes: its own when the new subject offers it,
// otherwise the first type offered besides "L". refusedL: the kept type was "L" and is gone.
struct TypeAfterChange {
    QString art;
    bool refusedL = false;
};
TypeAfterChange typeAfterChange(const QString& kept, const QStringList& offered);

// What becomes of a type picked in a Grundkurs row of type kept.
enum class TypeStep { Nothing, RefusedL, Change };
TypeStep typeStep(const QString& kept, const QString& chosen);

// The year group whose course a choice of this type leaves empty: 13 for "A", 12 for "B",
// 0 for the others.
int emptyYearOf(const QString& art);

// The course kinds and year-group codes asked in turn for a changed choice's course: first as
// the window was designed to ask (kind "G" or "L", the year group as the code), then with the
// administration's codes that the import writes (kind "K", "11" in year group 12, "12" in 13,
// "50" in both).
std::vector<std::pair<QString, QString>> courseAsks(const QString& yg, bool lk);

} // namespace editors::beleg
