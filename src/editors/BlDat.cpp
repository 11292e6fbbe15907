#include "editors/BlDat.h"

#include "common/Session.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "platform/CodePage.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <algorithm>

namespace editors {

namespace {

const QString kTable = QStringLiteral("block");
const QString kTitleBlock = QStringLiteral("Block");
const QString kFive = QStringLiteral("     ");
const QString kEmpty = QStringLiteral("Datensatz leer!");
const QString kHoursOnly = QStringLiteral("Nur Zahlen zwischen 0 und 6");
const QString kNameTaken = QStringLiteral("Blockname bereits vorhanden!");
const QString kLocked =
    QStringLiteral("Block enthält bereits Kurse!\r\nÄnderungen nicht mehr möglich!");
constexpr int kMaxHours = 6;
// The code page of the export files, which carry the rails' designations and names.
constexpr int kExportCodePage = 1252;

// The number ShowError gives each kind of failure, so that two reports of the same failure
// look alike; fixed here rather than taken from the order of the kinds.
int errorNumber(const std::exception& e) {
    const auto* d = dynamic_cast<const db::DbError*>(&e);
    if (!d)
        return 99;
    switch (d->kind()) {
    case db::DbError::Kind::Other:
        return 1;
    case db::DbError::Kind::NotADatabase:
        return 2;
    case db::DbError::Kind::MissingTable:
        return 3;
    case db::DbError::Kind::Constraint:
        return 4;
    case db::DbError::Kind::TooLong:
        return 5;
    case db::DbError::Kind::FileExists:
        return 6;
    case db::DbError::Kind::CannotOpen:
        return 7;
    case db::DbError::Kind::Locked:
        return 8;
    case db::DbError::Kind::ReadOnly:
        return 9;
    case db::DbError::Kind::DiskFull:
        return 10;
    case db::DbError::Kind::IoError:
        return 11;
    case db::DbError::Kind::Damaged:
        return 12;
    }
    return 99;
}

QString railLine(const QString& bez, const QString& key) {
    return bez + kFive + key;
}

QVariant textOrNull(const QString& text) {
    return text.isEmpty() ? QVariant() : QVariant(text);
}

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
    ui::tell(host_,
             QStringLiteral("Folgender Error trat auf:\r\nNumber: %1\r\n").arg(errorNumber(e)) +
                 QString::fromUtf8(e.what()),
             ui::Icon::Critical);
}

bool BlDat::BlBelegt(db::Connection& c, const QString& railKey) {
    return !c.scalar(QStringLiteral("SELECT 1 FROM ckkurs WHERE CK_BL_ID = ? LIMIT 1"), {railKey})
                .isNull();
}

int BlDat::fieldSize(int index) const {
    static const QString names[] = {QString(), QString(), QStringLiteral("BL_BEZ"),
                                    QStringLiteral("BL_NAME"), QStringLiteral("BL_STD")};
    const db::FieldDef* f = db::table(kTable).field(names[index]);
    return f && f->type == db::FieldType::Text ? f->length : 0;
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
    QSqlQuery q = c.exec(
        QStringLiteral("SELECT BL_BEZ, BL_NAME, BL_STD FROM block WHERE BL_VFP_ID = ? LIMIT 1"),
        {key});
    if (q.next()) {
        cFieldData[kBez] = q.value(0).toString();
        cFieldData[kName] = q.value(1).toString();
        cFieldData[kStd] = q.value(2).toString();
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
        db::Connection c(s_.databasePath());
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

        QSqlQuery rails =
            c.exec(QStringLiteral("SELECT BL_BEZ, BL_VFP_ID FROM block ORDER BY BL_ID"));
        while (rails.next())
            lstBlock.addLine(railLine(rails.value(0).toString(), rails.value(1).toString()));
        if (lstBlock.count() == 0) {
            NewButton_Click();
            return;
        }
        selectLine(c, 1);
    });
}

void BlDat::lstBlock_Click() {
    const int position = lstBlock.currentIndex() + 1;
    if (position <= 0 || position == listPos_ || adding_)
        return;
    bool saved = false;
    guarded([&] { saved = saveShown(); });
    if (!saved) {
        // The shown rail keeps its line until its fields can be written.
        lstBlock.setCurrent(listPos_ - 1);
        emit focusRequested(fieldName(kBez));
        return;
    }
    guarded([&] {
        db::Connection c(s_.databasePath());
        selectLine(c, position);
    });
}

bool BlDat::hoursValid(QVariant& hours) {
    const QString text = cFieldData[kStd].trimmed();
    bool ok = true;
    const int value = text.toInt(&ok);
    if (text.isEmpty()) {
        hours = QVariant();
        return true;
    }
    if (ok && value >= 0 && value <= kMaxHours) {
        hours = value;
        return true;
    }
    // A rail of more hours would not fit the one-digit hours of the placement's layouts.
    ui::tell(host_, kHoursOnly, ui::Icon::Exclamation, QString());
    emit focusRequested(fieldName(kStd));
    return false;
}

bool BlDat::nameTaken(db::Connection& c, const QString& year, const QString& bez,
                      const QString& ownKey) {
    QSqlQuery q = c.exec(
        QStringLiteral("SELECT BL_BEZ, BL_VFP_ID FROM block WHERE BL_SCHJ = ? ORDER BY BL_ID"),
        {year});
    const QString wanted = bez.trimmed();
    while (q.next())
        if (q.value(1).toString() != ownKey &&
            q.value(0).toString().trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool BlDat::saveShown() {
    if (!editing_ || shown_.isEmpty())
        return true;
    db::Connection c(s_.databasePath());
    QSqlQuery q = c.exec(QStringLiteral("SELECT BL_BEZ, BL_NAME, BL_STD, BL_SCHJ FROM block "
                                        "WHERE BL_VFP_ID = ? LIMIT 1"),
                         {shown_});
    if (!q.next())
        return true;
    const QString year = q.value(3).toString();
    // Only what the user changed is written: an untouched empty field keeps its NULL.
    const bool bezChanged = q.value(0).toString() != cFieldData[kBez];
    const bool nameChanged = q.value(1).toString() != cFieldData[kName];
    const bool stdChanged = q.value(2).toString() != cFieldData[kStd];
    q.finish();
    if (!bezChanged && !nameChanged && !stdChanged)
        return true;
    // The export would write an empty designation as "Null".
    if (cFieldData[kBez].trimmed().isEmpty()) {
        ui::tell(host_, kEmpty, ui::Icon::Critical, kTitleBlock);
        emit focusRequested(fieldName(kBez));
        return false;
    }
    QVariant hours;
    if (stdChanged && !hoursValid(hours))
        return false;
    if (bezChanged && nameTaken(c, year, cFieldData[kBez], shown_)) {
        tellNameTaken();
        return false;
    }
    bool placed = false;
    {
        db::Transaction tx(c);
        // The workspace may have placed courses on the rail since it was shown.
        placed = BlBelegt(c, shown_);
        if (!placed) {
            const auto write = [&](const char* field, const QVariant& value) {
                db::checkValue(kTable, QLatin1String(field), value);
                c.exec(QStringLiteral("UPDATE block SET %1 = ? WHERE BL_VFP_ID = ?")
                           .arg(QLatin1String(field)),
                       {value, shown_});
            };
            if (bezChanged)
                write("BL_BEZ", textOrNull(cFieldData[kBez]));
            if (nameChanged)
                write("BL_NAME", textOrNull(cFieldData[kName]));
            if (stdChanged)
                write("BL_STD", hours);
            tx.commit();
        }
    }
    if (placed) {
        // The rail's stored fields come back, and take no key from now on.
        show(c, shown_);
        ui::tell(host_, kLocked, ui::Icon::Critical, kTitleBlock);
        return false;
    }
    if (bezChanged)
        for (int i = 0; i < lstBlock.count(); ++i)
            if (lstBlock.line(i).right(6) == shown_)
                lstBlock.setLine(i, railLine(cFieldData[kBez], shown_));
    return true;
}

void BlDat::NewButton_Click() {
    guarded([&] {
        // The shown rail's changes are kept before its fields are cleared.
        if (!saveShown())
            return;
        editing_ = false;
        adding_ = true;
        clearFields();
        setButtons(true);
        emit changed();
        emit focusRequested(fieldName(kBez));
    });
}

void BlDat::UpdateButton_Click() {
    guarded([&] {
        if (!adding_)
            return;
        const QString year = chosenYear();
        if (cFieldData[kBez].trimmed().isEmpty() || CombSJ.currentIndex() < 0) {
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
        db::Transaction tx(c);
        const QVariant lastSort =
            c.scalar(QStringLiteral("SELECT BL_SORT FROM block ORDER BY BL_ID DESC LIMIT 1"));
        const int sort = lastSort.toInt() + 1;
        const qint64 id =
            c.insert(kTable, {{QStringLiteral("BL_SCHJ"), year},
                              {QStringLiteral("BL_BEZ"), cFieldData[kBez]},
                              {QStringLiteral("BL_NAME"), textOrNull(cFieldData[kName])},
                              {QStringLiteral("BL_SORT"), sort},
                              {QStringLiteral("BL_STD"), hours},
                              {QStringLiteral("BL_FIX"), QStringLiteral("0")}});
        const QString key = db::sixKey(id);
        c.exec(QStringLiteral("UPDATE block SET BL_VFP_ID = ? WHERE BL_ID = ?"), {key, id});
        tx.commit();
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
        db::Connection c(s_.databasePath());
        bool placed = false;
        {
            db::Transaction tx(c);
            placed = BlBelegt(c, shown_);
            if (!placed) {
                c.exec(QStringLiteral("DELETE FROM block WHERE BL_VFP_ID = ?"), {shown_});
                tx.commit();
            }
        }
        if (placed) {
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
            NewButton_Click();
            return;
        }
        selectLine(c, std::min(line + 1, lstBlock.count()));
    });
}

void BlDat::CloseButton_Click() {
    // A rail that cannot be written keeps the window open; its message has been shown.
    static_cast<void>(Form_Unload());
}

ui::Closing BlDat::Form_Unload() {
    if (unloaded_)
        return ui::Closing::Close;
    bool saved = false;
    guarded([&] { saved = saveShown(); });
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
    const int size = fieldSize(index);
    if (size > 0 && text.size() > size) {
        host_.beep();
        ui::tell(host_, QStringLiteral("String zu lang!"), ui::Icon::Exclamation, QString());
        return false;
    }
    // What the export files cannot carry is refused here, while the rail can still be changed.
    if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) ||
        platform::CodePage::firstUnencodable(text, kExportCodePage) >= 0) {
        host_.beep();
        return false;
    }
    if (index == kStd)
        for (QChar ch : text)
            if (ch < QLatin1Char('0') || ch > QLatin1Char('6')) {
                ui::tell(host_, kHoursOnly, ui::Icon::Exclamation, QString());
                return false;
            }
    return true;
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
            int from = cursor.position;
            int n = 0;
            if (cursor.selectionLength > 0) {
                from = cursor.selectionStart;
                n = cursor.selectionLength;
            } else if (key == kBackspace && cursor.position > 0) {
                from = cursor.position - 1;
                n = 1;
            } else if (key == kDelete && cursor.position < text.size()) {
                n = 1;
            }
            text.remove(from, n);
            cursor = {from, -1, 0};
            decision = KeyDecision::Edited;
            emit changed();
            return;
        }
        // The text as the field would hold it, the key replacing the selection.
        QString after = text;
        if (cursor.selectionLength > 0)
            after.replace(cursor.selectionStart, cursor.selectionLength, key);
        else
            after.insert(std::clamp(cursor.position, 0, static_cast<int>(text.size())), key);
        if (fits(index, after))
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
            QSqlQuery q = c.exec(
                QStringLiteral("SELECT BL_BEZ, BL_SCHJ FROM block WHERE BL_VFP_ID = ? LIMIT 1"),
                {shown_});
            // An unchanged designation is not checked again.
            if (!q.next() || q.value(0).toString() == cFieldData[kBez])
                return;
            year = q.value(1).toString();
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
