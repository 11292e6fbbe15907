#pragma once

#include <QChar>
#include <QString>
#include <QVariant>
#include <array>
#include <exception>
#include <optional>

// What the rail editor may accept, decided without a window or a database: the key filter of its
// fields, the hours, which fields of a rail changed, and the number a failure is reported with.
// The window turns each verdict into its message.
namespace editors::bldat {

// Field indexes as the system numbers the text boxes after the fields of block.
constexpr int kBez = 2;                // BL_BEZ, "Bezeichnung"
constexpr int kName = 3;               // BL_NAME
constexpr int kStd = 4;                // BL_STD, "Stunden"
using Fields = std::array<QString, 5>; // indexes kBez..kStd

// A rail of more hours would not fit the one-digit hours of the placement's layouts.
constexpr int kMaxHours = 6;

// The text cursor of a field: its position and the selected characters, if any.
struct TextCursor {
    int position = 0;
    int selectionStart = -1;
    int selectionLength = 0;
};

// Whether a field may hold a text, and if not, why.
enum class Fit {
    Fits,
    TooLong,    // longer than the field of block
    NotCarried, // a line break or a character the export files' code page lacks
    NotHours,   // a character of the hours other than the digits 0 to 6
};
Fit fit(int index, const QString& text);
// The size of the field of block behind a text box; 0 for one that is not text.
int fieldSize(int index);

// The text after a typed key replaced the selection or was inserted at the cursor.
QString withKey(const QString& text, QChar key, const TextCursor& cursor);
// Backspace or Delete on the text: removes the selection, else the character before or after
// the cursor; the cursor ends where the removal began, without a selection.
QString withDeletion(const QString& text, bool backspace, TextCursor& cursor);

// The hours to store for a field's text: null for an empty field, the number for one of 0 to
// kMaxHours; none for anything else.
std::optional<QVariant> hours(const QString& text);

// Two designations name the same rail: trimmed, ignoring letter case.
bool sameDesignation(const QString& a, const QString& b);
// The export would write an empty designation as "Null".
bool designationMissing(const QString& bez);

// A rail's three fields as stored, and which of them the shown fields change. Only what the
// user changed is written: an untouched empty field keeps its NULL.
struct Rail {
    QString bez;
    QString name;
    QString hours;
    QString year; // BL_SCHJ
};
struct Changes {
    bool bez = false;
    bool name = false;
    bool hours = false;
    bool any() const { return bez || name || hours; }
};
Changes changes(const Rail& stored, const Fields& shown);

// The number the window reports a failure with: the database's kinds 1 to 12 in a fixed order,
// any other failure 99.
int errorNumber(const std::exception& e);

} // namespace editors::bldat
