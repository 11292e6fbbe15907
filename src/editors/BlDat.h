#pragma once

#include "editors/BlDatChecks.h"
#include "ui/ComboBox.h"
#include "ui/ListBox.h"
#include "ui/Window.h"

#include <QString>
#include <QVariant>
#include <exception>

namespace ui {
class Host;
}
namespace platform {
struct RunState;
}
namespace db {
class Connection;
}

namespace common {
class CommandScope;
}

namespace editors {

// "Tabelle: block": the record form over the rails of table block. The list on the left holds
// every rail of every school year; the three fields show the selected rail's designation, name
// and hours. Changes to a shown rail are written when another line is selected, before a new
// rail is begun and on closing; a new rail is written by "Abs&peichern". Rails that already
// carry courses (rows in ckkurs) take no key and cannot be deleted.
//
// The window keeps no database open: it remembers the shown rail's key and whether courses are
// placed on it, and every command reads and writes on one connection of its own, handed down to
// the writes (BlDatWrites.h). The view forwards each key of a field with the text cursor and does
// what the key filter (BlDatChecks.h) decides; any other change of a field's text comes to
// cFieldData_Change, which applies the same checks to the whole text.
class BlDat : public ui::Window {
    Q_OBJECT
public:
    BlDat(platform::RunState& s, ui::Host& host);

    // Field indexes as the system numbers the text boxes after the fields of block.
    static constexpr int kBez = bldat::kBez;
    static constexpr int kName = bldat::kName;
    static constexpr int kStd = bldat::kStd;

    // Controls.
    ui::ListBox lstBlock{false}; // BL_BEZ, five blanks, BL_VFP_ID
    ui::ComboBox CombSJ;         // SJ_SCHJ, five blanks, SJ_VFP_ID
    bldat::Fields cFieldData;    // indexes kBez..kStd
    bool lstBlockEnabled = true;
    const QString lblBez = QStringLiteral("Bezeichnung");
    const QString lblName = QStringLiteral("Name");
    const QString lblStd = QStringLiteral("Stunden");
    const QString lblSJ = QStringLiteral("Schuljahr");

    // Keys of the filter besides the typed characters.
    static constexpr QChar kEnter = QChar(13);
    static constexpr QChar kBackspace = QChar(8);
    static constexpr QChar kDelete = QChar(127);

    using TextCursor = bldat::TextCursor;
    // What becomes of a key: the field inserts it (Accept); it is dropped (Refuse); the focus
    // has moved on (NextField, focusRequested was emitted); the filter has edited the text
    // itself and moved the cursor (Edited).
    enum class KeyDecision { Accept, Refuse, NextField, Edited };

    void Form_Load();
    // A line of lstBlock was made current (by the user).
    void lstBlock_Click();
    void NewButton_Click();
    void UpdateButton_Click();
    void deleteButton_Click();
    void CloseButton_Click();
    void CancelButton_Click();
    // The window is being closed (its close box, or after the host's modal call). It stays open
    // while the shown rail cannot be written.
    [[nodiscard]] ui::Closing Form_Unload();

    KeyDecision cFieldData_KeyPress(int index, QChar key, TextCursor& cursor);
    // Every change of a field's text, however it was made (an accepted key, pasting, deleting
    // by a shortcut, setting it): the text passes the key filter's checks as a whole, or it is
    // refused as the filter refuses a key and the field keeps its previous text (changed is
    // emitted so that the view shows it again). True when the field holds text now.
    bool cFieldData_Change(int index, const QString& text);
    void cFieldData_LostFocus(int index);

    // A run-time error of a command, as this window reports it: a number for the kind of
    // failure (bldat::errorNumber), then its cause.
    void ShowError(const std::exception& e);

    bool editing() const { return editing_; }
    bool adding() const { return adding_; }
    int listPosition() const { return listPos_; }
    bool unloaded() const { return unloaded_; }

    // The control names focusRequested uses: "cFieldData(2)" .. "cFieldData(4)", "lstBlock",
    // "UpdateButton".
    static QString fieldName(int index) { return QStringLiteral("cFieldData(%1)").arg(index); }

signals:
    void focusRequested(const QString& control);

private:
    template <class F> void guarded(F f);
    void show(db::Connection& c, const QString& key);
    void clearFields();
    void setButtons(bool addingMode);
    void selectLine(db::Connection& c, int position);
    // Writes the shown rail's changed fields; false (with the message) when they are refused.
    bool saveShown(common::CommandScope& db);
    // "&Neu" on the command's connection: the shown rail is kept, then the fields are cleared.
    void newRail(common::CommandScope& db);
    // The hours of the field as they are stored; false with the message when they are none.
    bool hoursValid(QVariant& hours);
    // Whether the shown fields take changes at all; tells why not when the rail carries courses.
    bool mayChange();
    // Whether a field may hold this text (bldat::fit); tells (or beeps) why not.
    bool fits(int index, const QString& text);
    // "Blockname bereits vorhanden!", unless the field's losing the focus has just told it.
    void tellNameTaken();
    QString chosenYear() const;

    platform::RunState& s_;
    ui::Host& host_;
    QString shown_; // BL_VFP_ID of the rail in the fields
    // Courses are placed on the shown rail, so its fields take no key. Read when the rail is
    // shown; writing and deleting ask again inside their transaction, as another program may
    // have placed courses meanwhile.
    bool shownPlaced_ = false;
    bool editing_ = false;
    bool adding_ = false;
    int listPos_ = 0; // 1-based line of the rail last selected, 0 for none
    bool unloaded_ = false;
    QString nameTakenTold_; // the designation the focus check last refused
};

// "&Blockdaten": clears the status line and shows the rail editor modally.
void showBlDat(platform::RunState& s, ui::Host& host);

} // namespace editors
