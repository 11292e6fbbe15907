#include "editors/BlDatChecks.h"

#include "db/Database.h"
#include "db/Schema.h"
#include "platform/CodePage.h"

#include <algorithm>

namespace editors::bldat {

namespace {

// The code page of the export files, which carry the rails' designations and names.
constexpr int kExportCodePage = 1252;

} // namespace

int fieldSize(int index) {
    static const QString names[] = {QString(), QString(), QStringLiteral("BL_BEZ"),
                                    QStringLiteral("BL_NAME"), QStringLiteral("BL_STD")};
    const db::FieldDef* f = db::table(QStringLiteral("block")).field(names[index]);
    return f && f->type == db::FieldType::Text ? f->length : 0;
}

Fit fit(int index, const QString& text) {
    const int size = fieldSize(index);
    if (size > 0 && text.size() > size)
        return Fit::TooLong;
    // What the export files cannot carry is refused here, while the rail can still be changed.
    if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) ||
        platform::CodePage::firstUnencodable(text, kExportCodePage) >= 0)
        return Fit::NotCarried;
    if (index == kStd)
        for (QChar ch : text)
            if (ch < QLatin1Char('0') || ch > QLatin1Char(static_cast<char>('0' + kMaxHours)))
                return Fit::NotHours;
    return Fit::Fits;
}

QString withKey(const QString& text, QChar key, const TextCursor& cursor) {
    QString after = text;
    if (cursor.selectionLength > 0)
        after.replace(cursor.selectionStart, cursor.selectionLength, key);
    else
        after.insert(std::clamp(cursor.position, 0, static_cast<int>(text.size())), key);
    return after;
}

QString withDeletion(const QString& text, bool backspace, TextCursor& cursor) {
    int from = cursor.position;
    int n = 0;
    if (cursor.selectionLength > 0) {
        from = cursor.selectionStart;
        n = cursor.selectionLength;
    } else if (backspace && cursor.position > 0) {
        from = cursor.position - 1;
        n = 1;
    } else if (!backspace && cursor.position < text.size()) {
        n = 1;
    }
    cursor = {from, -1, 0};
    return QString(text).remove(from, n);
}

std::optional<QVariant> hours(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QVariant();
    bool ok = true;
    const int value = t.toInt(&ok);
    if (ok && value >= 0 && value <= kMaxHours)
        return QVariant(value);
    return std::nullopt;
}

bool sameDesignation(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

bool designationMissing(const QString& bez) {
    return bez.trimmed().isEmpty();
}

Changes changes(const Rail& stored, const Fields& shown) {
    return {stored.bez != shown[kBez], stored.name != shown[kName], stored.hours != shown[kStd]};
}

int errorNumber(const std::exception& e) {
    const auto* d = dynamic_cast<const db::DbError*>(&e);
    if (!d)
        return 99;
    // Fixed here rather than taken from the order of the kinds, so that two reports of the same
    // failure look alike.
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

} // namespace editors::bldat
