#pragma once

#include "platform/RunState.h"
#include "ui/QuietHost.h"

#include <QString>
#include <QTemporaryDir>

// The generated school of the benchmarks: two cohorts of 400 students, 250 courses (125 per
// year group, 25 of them Leistungskurse), 15 choices per student (12,000 in all), 30 rails of
// the school year with every other course placed. Deterministic.
namespace bench {

inline const QString kYear = QStringLiteral("     3");

enum class Placement { RoundTheRails, TenOnFirstRail };

QString key(const char* prefix, int n);
void generateSchool(const QString& path, Placement placement);

// The school in a temporary folder, made once per placement; restore() puts back the file as
// generated, for commands that change it.
struct School {
    QTemporaryDir dir;
    QString pristine;
    platform::RunState state;
    ui::QuietHost host;

    explicit School(Placement placement);
    void restore();
    static School& get(Placement placement);
};

} // namespace bench
