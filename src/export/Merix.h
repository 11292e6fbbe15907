#pragma once

#include "platform/Text.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <initializer_list>
#include <stdexcept>
#include <utility>

// The files the administration program reads in. Each is line-oriented text in Windows-1252
// with CR LF: a header "06_" + file code + "_" + field count, then per record a line "*SYNC*"
// and exactly as many lines as the header names, one value each, "*" for a field this system
// does not supply. The program reads them by line count, so a value must not break its line.
namespace exporter {

// A value the files cannot hold (a character outside Windows-1252, a line break): the export is
// refused before any file is written. message() names the record and the character.
class Refused : public std::runtime_error {
public:
    explicit Refused(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

class MerixFile {
public:
    // name: the file's name ("MERIX.KO"); code and fields make the header. Without header the
    // file starts empty (MERIX.CK of a school without placed courses).
    MerixFile(QString name, const QString& code, int fields, bool withHeader = true);

    const QString& name() const { return name_; }

    // One record: the values by field number (from 1), every other field "*". who names the
    // record in the refusal of a value the file cannot hold ("Kollegiat Abel, Anna").
    void record(std::initializer_list<std::pair<int, QString>> values, const QString& who);
    void emptyLine() { text_ += platform::kCrLf; }

    QByteArray bytes() const;

private:
    QString name_;
    int fields_;
    QString text_;
};

// A database value written as it stands: null as the four letters Null.
QString orNull(const QVariant& v);
// Text with the blanks at both ends removed (tabs and other spaces stay, as the system trims).
QString trimBlanks(const QString& s);
// The number value of a text as the system reads a key ("     3" is 3): blanks, tabs and line
// feeds are skipped, reading stops at the first character that belongs to no number, the result
// is rounded to a whole number (halves to the even one); 0 when no digits lead.
qint64 numberValue(const QString& s);

} // namespace exporter
