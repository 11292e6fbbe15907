#include "editors/BlDat.h"

#include "common/CommandScope.h"
#include "common/Session.h"
#include "db/Database.h"
#include "editors/BlDatWrites.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <algorithm>

namespace editors {

using namespace bldat;

namespace {

const QString kTable = QStringLiteral("block");
const QString kTitleBlock = QStringLiteral("Block");
const QString kEmpty = QStringLiteral("Datensatz leer!");
const QString kHoursOnly = QStringLiteral("Nur Zahlen zwischen 0 und 6");
const QString kNameTaken = QStringLiteral("Blockname bereits vorhanden!");
const QString kLocked =
    QStringLiteral("Block enthält bereits Kurse!\r\nÄnderungen nicht mehr möglich!");

} // namespace

BlDat::BlDat(platform::RunState& s, ui::Host& host)
    : ui::Window(QStringLiteral("BlDat"), QStringLiteral("Tabelle: ") + kTable), s_(s),
      host_(host) {
    setCommands({
        {QStringLiteral("NewButton"),
         QStringLiteral("&Neu"),
         {},
         true,
         [this] { NewButton_Click(); }},
        {QStringLiteral("UpdateButton"),
         QStringLiteral("Abs&peichern"),
         {},
         false,
         [this] { UpdateButton_Click(); }},
        {QStringLiteral("deleteButton"),
         QStringLiteral("&Löschen"),
         {},
         true,
         [this] { deleteButton_Click(); }},
        {QStringLiteral("CloseButton"),
         QStringLiteral("&Schließen"),
         {},
         true,
         [this] { CloseButton_Click(); }},
        {QStringLiteral("CancelButton"),
         QStringLiteral("&Abbruch"),
         {},
         false,
         [this] { CancelButton_Click(); }},
    });
}

// Run-time errors of the window's commands end the command and are shown by ShowError; the
// window stays usable.
template <class F> void BlDat::guarded(F f) {
    try {
        f();
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

void BlDat::ShowError(const std::exception& e) {
    ui::tell(
        host_,
        QStringLiteral("Folgender Error trat auf:\r\nNumber: %1\r\n").arg(bldat::errorNumber(e)) +
            QString::fromUtf8(e.what()),
        ui::Icon::Critical);
}

QString BlDat::chosenYear() const {
    return CombSJ.currentIndex() >= 0 ? CombSJ.text().right(6) : QString();
}

void BlDat::clearFields() {
    for (QString& f : cFieldData)
        f.clear();
}

void BlDat::setButtons(bool addingMode) {
    setEnabled(QStringLiteral("NewButton"), !addingMode);
    setEnabled(QStringLiteral("deleteButton"), !addingMode);
    setEnabled(QStringLiteral("CloseButton"), !addingMode);
    setEnabled(QStringLiteral("UpdateButton"), addingMode);
    setEnabled(QStringLiteral("CancelButton"), addingMode);
    lstBlockEnabled = !addingMode;
}

void BlDat::tellNameTaken() {
    // Leaving the field for the list or a button has just said so.
    if (nameTakenTold_ != cFieldData[kBez])
        ui::tell(host_, kNameTaken, ui::Icon::Critical);
    nameTakenTold_.clear();
}

void BlDat::show(db::Connection& c, const QString& key) {
    const bool placed = !key.isEmpty() && BlBelegt(c, key);
    shown_ = key;
    shownPlaced_ = placed;
    nameTakenTold_.clear();
    clearFields();
    if (const auto rail = readRail(c, key)) {
        cFieldData[kBez] = rail->bez;
        cFieldData[kName] = rail->name;
        cFieldData[kStd] = rail->hours;
    }
    emit changed();
}

void BlDat::selectLine(db::Connection& c, int position) {
    lstBlock.setCurrent(position - 1);
    listPos_ = position;
    show(c, lstBlock.line(position - 1).right(6));
    editing_ = true;
    adding_ = false;
}

void BlDat::Form_Load() {
    guarded([&] {
        common::CommandScope db(s_.databasePath());
        db::Connection& c = db.connection();
        CombSJ.clear();
        lstBlock.clear();
        for (const QString& year : common::schoolYearLines(c))
            CombSJ.addLine(year);
        if (CombSJ.count() == 0) {
            ui::tell(host_, common::kNoData, ui::Icon::Exclamation);
            return;
        }
        int year = 0;
        for (int i = 0; i < CombSJ.count(); ++i)
            if (CombSJ.line(i).right(6) == s_.SchjID) {
                year = i;
                break;
            }
        CombSJ.setCurrent(year);

        for (const QString& line : railLines(c))
            lstBlock.addLine(line);
        if (lstBlock.count() == 0) {
            newRail(db);
            return;
        }
        selectLine(c, 1);
    });
}

void BlDat::lstBlock_Click() {
    const int position = lstBlock.currentIndex() + 1;
    if (position <= 0 || position == listPos_ || adding_)
        return;
    common::CommandScope db(s_.databasePath());
    bool saved = false;
    guarded([&] { saved = saveShown(db); });
    if (!saved) {
        // The shown rail keeps its line until its fields can be written.
        lstBlock.setCurrent(listPos_ - 1);
        emit focusRequested(fieldName(kBez));
        return;
    }
    guarded([&] { selectLine(db.connection(), position); });
}

bool BlDat::hoursValid(QVariant& hours) {
    if (const auto stored = bldat::hours(cFieldData[kStd])) {
        hours = *stored;
        return true;
    }
    ui::tell(host_, kHoursOnly, ui::Icon::Exclamation, QString());
    emit focusRequested(fieldName(kStd));
    return false;
}

bool BlDat::saveShown(common::CommandScope& db) {
    if (!editing_ || shown_.isEmpty())
        return true;
    db::Connection& c = db.connection();
    const auto stored = readRail(c, shown_);
    if (!stored)
        return true;
    const Changes changed = changes(*stored, cFieldData);
    if (!changed.any())
        return true;
    if (designationMissing(cFieldData[kBez])) {
        ui::tell(host_, kEmpty, ui::Icon::Critical, kTitleBlock);
        emit focusRequested(fieldName(kBez));
        return false;
    }
    QVariant hours;
    if (changed.hours && !hoursValid(hours))
        return false;
    if (changed.bez && nameTaken(c, stored->year, cFieldData[kBez], shown_)) {
        tellNameTaken();
        return false;
    }
    if (!writeChanges(c, shown_, changed, cFieldData, hours)) {
        // The rail's stored fields come back, and take no key from now on.
        show(c, shown_);
        ui::tell(host_, kLocked, ui::Icon::Critical, kTitleBlock);
        return false;
    }
    if (changed.bez)
        for (int i = 0; i < lstBlock.count(); ++i)
            if (lstBlock.line(i).right(6) == shown_)
                lstBlock.setLine(i, railLine(cFieldData[kBez], shown_));
    return true;
}

void BlDat::newRail(common::CommandScope& db) {
    // The shown rail's changes are kept before its fields are cleared.
    if (!saveShown(db))
        return;
    editing_ = false;
    adding_ = true;
    clearFields();
    setButtons(true);
    emit changed();
    emit focusRequested(fieldName(kBez));
}

void BlDat::NewButton_Click() {
    guarded([&] {
        common::CommandScope db(s_.databasePath());
        newRail(db);
    });
}

void BlDat::UpdateButton_Click() {
    guarded([&] {
        if (!adding_)
            return;
        const QString year = chosenYear();
        if (designationMissing(cFieldData[kBez]) || CombSJ.currentIndex() < 0) {
            ui::tell(host_, kEmpty, ui::Icon::Critical, kTitleBlock);
            return;
        }
        db::Connection c(s_.databasePath());
        // Trimmed and ignoring case, among the rails of the chosen school year: the unique index
        // on school year and designation must never be what refuses a new rail.
        if (nameTaken(c, year, cFieldData[kBez], QString())) {
            tellNameTaken();
            emit focusRequested(fieldName(kBez));
            return;
        }
        QVariant hours;
        if (!hoursValid(hours))
            return;
        const QString key = addRail(c, year, cFieldData, hours);
        lstBlock.addLine(railLine(cFieldData[kBez], key));
        setButtons(false);
        selectLine(c, lstBlock.count());
    });
}

void BlDat::CancelButton_Click() {
    guarded([&] {
        setButtons(false);
        adding_ = false;
        if (listPos_ > 0 && listPos_ <= lstBlock.count()) {
            db::Connection c(s_.databasePath());
            selectLine(c, listPos_);
        } else {
            editing_ = false;
            shown_.clear();
            shownPlaced_ = false;
            clearFields();
            emit changed();
        }
    });
}

void BlDat::deleteButton_Click() {
    guarded([&] {
        if (!editing_ || shown_.isEmpty())
            return;
        common::CommandScope db(s_.databasePath());
        if (!deleteRail(db.connection(), shown_)) {
            shownPlaced_ = true;
            ui::tell(host_,
                     QStringLiteral("Block enthält bereits Kurse!\r\nLöschen nicht mehr möglich!"),
                     ui::Icon::Critical, kTitleBlock);
            return;
        }
        int line = -1;
        for (int i = 0; i < lstBlock.count(); ++i)
            if (lstBlock.line(i).right(6) == shown_)
                line = i;
        lstBlock.removeLine(line);
        shown_.clear();
        shownPlaced_ = false;
        editing_ = false;
        if (lstBlock.count() == 0) {
            listPos_ = 0;
            newRail(db);
            return;
        }
        selectLine(db.connection(), std::min(line + 1, lstBlock.count()));
    });
}

void BlDat::CloseButton_Click() {
    // A rail that cannot be written keeps the window open; its message has been shown.
    static_cast<void>(Form_Unload());
}

ui::Closing BlDat::Form_Unload() {
    if (unloaded_)
        return ui::Closing::Close;
    common::CommandScope db(s_.databasePath());
    bool saved = false;
    guarded([&] { saved = saveShown(db); });
    if (!saved)
        return ui::Closing::KeepOpen;
    host_.setStatus(QString());
    editing_ = false;
    adding_ = false;
    unloaded_ = true;
    host_.hide(*this);
    return ui::Closing::Close;
}

bool BlDat::mayChange() {
    if (editing_ && shownPlaced_) {
        ui::tell(host_, kLocked, ui::Icon::Critical, kTitleBlock);
        return false;
    }
    return editing_ || adding_;
}

bool BlDat::fits(int index, const QString& text) {
    switch (fit(index, text)) {
    case Fit::Fits:
        return true;
    case Fit::TooLong:
        host_.beep();
        ui::tell(host_, QStringLiteral("String zu lang!"), ui::Icon::Exclamation, QString());
        return false;
    case Fit::NotCarried:
        host_.beep();
        return false;
    case Fit::NotHours:
        ui::tell(host_, kHoursOnly, ui::Icon::Exclamation, QString());
        return false;
    }
    return false;
}

BlDat::KeyDecision BlDat::cFieldData_KeyPress(int index, QChar key, TextCursor& cursor) {
    KeyDecision decision = KeyDecision::Refuse;
    guarded([&] {
        if (index < kBez || index > kStd || !mayChange())
            return;
        QString& text = cFieldData[static_cast<size_t>(index)];
        if (key == kEnter) {
            emit focusRequested(index < kStd ? fieldName(index + 1)
                                : adding_    ? QStringLiteral("UpdateButton")
                                             : QStringLiteral("lstBlock"));
            decision = KeyDecision::NextField;
            return;
        }
        if (key == kBackspace || key == kDelete) {
            text = withDeletion(text, key == kBackspace, cursor);
            decision = KeyDecision::Edited;
            emit changed();
            return;
        }
        // The text as the field would hold it, the key replacing the selection.
        if (fits(index, withKey(text, key, cursor)))
            decision = KeyDecision::Accept;
    });
    return decision;
}

bool BlDat::cFieldData_Change(int index, const QString& text) {
    bool taken = false;
    guarded([&] {
        if (index < kBez || index > kStd)
            return;
        QString& field = cFieldData[static_cast<size_t>(index)];
        if (text == field) {
            taken = true;
            return;
        }
        if (!mayChange() || !fits(index, text)) {
            emit changed(); // the field shows its previous text again
            return;
        }
        field = text;
        taken = true;
    });
    return taken;
}

void BlDat::cFieldData_LostFocus(int index) {
    guarded([&] {
        if (index != kBez || (!editing_ && !adding_))
            return;
        db::Connection c(s_.databasePath());
        QString year = chosenYear();
        if (editing_) {
            const auto stored = readRail(c, shown_);
            // An unchanged designation is not checked again.
            if (!stored || stored->bez == cFieldData[kBez])
                return;
            year = stored->year;
        }
        if (nameTaken(c, year, cFieldData[kBez], editing_ ? shown_ : QString())) {
            ui::tell(host_, kNameTaken, ui::Icon::Critical);
            nameTakenTold_ = cFieldData[kBez];
            emit focusRequested(fieldName(kBez));
        }
    });
}

void showBlDat(platform::RunState& s, ui::Host& host) {
    host.setStatus(QString());
    BlDat w(s, host);
    w.Form_Load();
    host.showModal(w);
    // The window is gone whatever the answer: a rail it could not write stays unwritten.
    if (!w.unloaded())
        static_cast<void>(w.Form_Unload());
}

} // namespace editors
