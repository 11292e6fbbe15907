#include "ImportSupport.h"

#include "db/BlockDatabase.h"
#include "import/ErzKuB.h"
#include "import/vfp/Error.h"

#include <QDirIterator>
#include <QtEndian>
#include <gtest/gtest.h>

namespace vfptest {

std::string describe(const QVariant& value) {
    if (!value.isValid())
        return "null";
    const QString text = value.typeId() == QMetaType::QByteArray
                             ? QString::fromLatin1(value.toByteArray().toHex())
                             : value.toString();
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
        out.push_back(QStringLiteral("%1 %2 %3%4%5")
                          .arg(f.name, QString(QLatin1Char(f.type)))
                          .arg(f.length)
                          .arg(f.decimals ? QStringLiteral(",%1").arg(f.decimals) : QString(),
                               f.nullable ? QStringLiteral(" null") : QString())
                          .toStdString());
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

Scratch::Scratch(const QString& sourceDir) {
    QDirIterator it(sourceDir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString target = path(QDir(sourceDir).relativeFilePath(it.next()));
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(it.filePath(), target);
        QFile(target).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

void Scratch::patch(const QString& name, qint64 offset, const QByteArray& bytes) const {
    QByteArray content = read(name);
    ASSERT_LE(offset + bytes.size(), content.size()) << name.toStdString();
    write(name, content.replace(offset, bytes.size(), bytes));
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
    const auto word = [&](qint64 at) { return qFromLittleEndian<quint16>(bytes.constData() + at); };
    return word(8) + record * word(10) +
           qFromLittleEndian<quint32>(bytes.constData() + descriptor(name, field) + 12);
}

} // namespace vfptest

namespace importtest {

Import::Import(const QString& containerPath) {
    state.useDatabase(path);
    state.VerwDbcPfad = containerPath;
    state.SchjBez = QStringLiteral("2009/2010");
    state.SchjID = QStringLiteral("     9");
}

void Import::run(const importer::Selection& sel, const importer::Transfers::Progress& progress) {
    db::createDatabase(path);
    dropped = importer::runTransfers(state, host, sel, progress);
}

} // namespace importtest
