#include "VfpTestSupport.h"

#include "import/vfp/Error.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

namespace vfptest {

QString vfpFixtures() {
    return QStringLiteral(KUBB_SHARED_DIR "/fixtures/vfp");
}

bool fixturesMustExist() {
    return qEnvironmentVariableIsSet("CI") && QFileInfo::exists(QStringLiteral(KUBB_SHARED_DIR));
}

QString dataDir() {
    return QStringLiteral(KUBB_SOURCE_DIR "/tests/import/data");
}

std::string describe(const QVariant& value) {
    if (!value.isValid())
        return "null";
    QString text;
    switch (value.typeId()) {
    case QMetaType::Double:
        text = QString::number(value.toDouble(), 'g', 15);
        break;
    case QMetaType::QDate:
        text = value.toDate().toString(Qt::ISODate);
        break;
    case QMetaType::QDateTime:
        text = value.toDateTime().toString(Qt::ISODateWithMs);
        break;
    case QMetaType::QByteArray:
        text = QString::fromLatin1(value.toByteArray().toHex());
        break;
    default:
        text = value.toString();
    }
    return std::string(value.typeName()) + " " + text.toStdString();
}

std::vector<std::vector<std::string>> rows(const vfp::Table& table) {
    std::vector<std::vector<std::string>> out;
    vfp::Record record;
    while (table.next(record)) {
        out.emplace_back();
        for (int i = 0; i < table.fieldCount(); ++i)
            out.back().push_back(describe(record.value(i)));
    }
    return out;
}

std::vector<std::string> fields(const vfp::Table& table) {
    std::vector<std::string> out;
    for (int i = 0; i < table.fieldCount(); ++i) {
        const vfp::Field& f = table.field(i);
        QString text =
            QStringLiteral("%1 %2 %3").arg(f.name, QString(QLatin1Char(f.type))).arg(f.length);
        if (f.decimals)
            text += QStringLiteral(",%1").arg(f.decimals);
        if (f.nullable)
            text += QStringLiteral(" null");
        out.push_back(text.toStdString());
    }
    return out;
}

std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const vfp::Error& e) {
        return e.message().toStdString();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "not a vfp::Error: " << e.what();
        return {};
    }
    ADD_FAILURE() << "no error thrown";
    return {};
}

void readAll(const QString& path) {
    const vfp::Table table = vfp::Table::open(path);
    rows(table);
}

Scratch::Scratch(const QString& sourceDir) {
    const QDir source(sourceDir);
    QDirIterator it(sourceDir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = dir_.filePath(source.relativeFilePath(file));
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(file, target);
        QFile(target).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

QString Scratch::path(const QString& name) const {
    return dir_.filePath(name);
}

QByteArray Scratch::read(const QString& name) const {
    QFile file(path(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

void Scratch::write(const QString& name, const QByteArray& bytes) const {
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << name.toStdString();
    file.write(bytes);
}

void Scratch::patch(const QString& name, qint64 offset, const QByteArray& bytes) const {
    QByteArray content = read(name);
    ASSERT_LE(offset + bytes.size(), content.size()) << name.toStdString();
    content.replace(offset, bytes.size(), bytes);
    write(name, content);
}

void Scratch::truncate(const QString& name, qint64 size) const {
    write(name, read(name).left(size));
}

void Scratch::remove(const QString& name) const {
    EXPECT_TRUE(QFile::remove(path(name))) << name.toStdString();
}

qint64 Scratch::descriptor(const QString& name, const QString& field) const {
    const QByteArray bytes = read(name);
    for (qint64 at = 32; at + 32 <= bytes.size() && bytes[at] != '\x0d'; at += 32)
        if (QString::fromLatin1(bytes.constData() + at, qstrnlen(bytes.constData() + at, 11)) ==
            field)
            return at;
    ADD_FAILURE() << "no field " << field.toStdString() << " in " << name.toStdString();
    return 0;
}

qint64 Scratch::valueAt(const QString& name, int record, const QString& field) const {
    const QByteArray bytes = read(name);
    const qint64 headerLength = qFromLittleEndian<quint16>(bytes.constData() + 8);
    const qint64 recordLength = qFromLittleEndian<quint16>(bytes.constData() + 10);
    const qint64 displacement =
        qFromLittleEndian<quint32>(bytes.constData() + descriptor(name, field) + 12);
    return headerLength + record * recordLength + displacement;
}

} // namespace vfptest
