#include "import/vfp/Table.h"

#include "import/vfp/Error.h"
#include "import/vfp/Files.h"
#include "import/vfp/TableData.h"

#include <stdexcept>

namespace vfp {

using detail::Column;
using detail::decodeText;
using detail::hex;
using detail::TableData;
using detail::trimmed;

// ---- looking fields up ----

int TableData::fieldIndex(const QString& name) const {
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const Field& f = columns[i].field;
        if (f.name.compare(name, Qt::CaseInsensitive) == 0 ||
            (!f.longName.isEmpty() && f.longName.compare(name, Qt::CaseInsensitive) == 0))
            return int(i);
    }
    return -1;
}

int TableData::requireField(const QString& name) const {
    const int index = fieldIndex(name);
    if (index < 0)
        throw Error(
            QStringLiteral("Das Feld %1 fehlt in der Tabelle %2.").arg(name, displayPath(path)));
    return index;
}

// ---- Record ----

QVariant Record::value(int ordinal) const {
    if (!data_ || index_ < 0 || index_ >= data_->recordCount)
        throw std::logic_error("vfp::Record::value: the record is not positioned");
    return data_->value(index_, ordinal);
}

QVariant Record::value(const QString& fieldName) const {
    return value(ordinal(fieldName));
}

int Record::ordinal(const QString& fieldName) const {
    if (!data_)
        throw std::logic_error("vfp::Record::value: the record is not positioned");
    return data_->requireField(fieldName);
}

Error Record::refusal(int ordinal, const QString& problem) const {
    const Field& field = data_->columns.at(ordinal).field;
    // Characters as written; a binary number as the number it holds.
    const QByteArrayView raw(data_->record(index_) + data_->columns[ordinal].offset, field.length);
    const QString stored = QByteArrayLiteral("CNFDL").contains(field.type)
                               ? decodeText(trimmed(raw), data_->codePage)
                               : value(ordinal).toString();
    return Error(
        QStringLiteral("Der Wert \"%1\" im Feld %2 in Satz %3 der Datei %4 %5.")
            .arg(stored, field.name, QString::number(number()), displayPath(data_->path), problem));
}

QByteArray Record::memoBytes(int ordinal) const {
    const Column& column = data_->columns.at(ordinal);
    if (data_->isNull(data_->record(index_), column))
        return {};
    return data_->memoData(index_, column).toByteArray();
}

// ---- Table ----

Table::Table(std::shared_ptr<TableData> data) : d_(std::move(data)) {}

Table Table::open(const QString& path) {
    auto d = std::make_shared<TableData>();
    d->path = path;
    d->bytes = readWholeFile(path);
    detail::readStructure(*d);
    return Table(std::move(d));
}

const QString& Table::fileName() const {
    return d_->path;
}

int Table::codePage() const {
    return d_->codePage;
}

qint64 Table::recordCount() const {
    return d_->recordCount;
}

int Table::fieldCount() const {
    return int(d_->columns.size());
}

const Field& Table::field(int ordinal) const {
    if (ordinal < 0 || ordinal >= d_->columns.size())
        throw std::out_of_range("vfp::Table::field: field ordinal out of range");
    return d_->columns[ordinal].field;
}

int Table::fieldIndex(const QString& name) const {
    return d_->fieldIndex(name);
}

int Table::requireField(const QString& name) const {
    return d_->requireField(name);
}

bool Table::next(Record& record) const {
    qint64 index = record.data_ == d_.get() ? record.index_ + 1 : 0;
    record.data_ = d_.get();
    for (; index < d_->recordCount; ++index) {
        const char mark = *d_->record(index);
        if (mark == ' ') {
            record.index_ = index;
            return true;
        }
        if (mark != '*')
            throw Error::damaged(d_->path,
                                 QStringLiteral("Satz %1 hat das ungültige Löschkennzeichen %2")
                                     .arg(index + 1)
                                     .arg(hex(static_cast<unsigned char>(mark))));
    }
    record.index_ = d_->recordCount;
    return false;
}

void Table::setLongFieldNames(const QStringList& names) {
    for (qsizetype i = 0; i < names.size() && i < d_->columns.size(); ++i)
        d_->columns[i].field.longName = names[i];
}

} // namespace vfp
