#pragma once

#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

// kubb run as a user runs it.
namespace cli {

inline const QString kKubb = QStringLiteral(KUBB_BINARY_DIR "/src/kubb");

struct Run {
    int code = -1;
    QString out;
    QString err;
};

inline Run kubb(const QStringList& args) {
    QProcess p;
    p.start(kKubb, args);
    EXPECT_TRUE(p.waitForFinished(60000)) << args.join(' ').toStdString();
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    return {p.exitCode(), out, QString::fromUtf8(p.readAllStandardError())};
}

} // namespace cli
