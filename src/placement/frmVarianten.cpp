#include "placement/frmVarianten.h"

#include "blocking/Bounds.h"
#include "blocking/Variants.h"
#include "blocking/Write.h"
#include "db/Database.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <algorithm>
#include <stdexcept>

namespace placement {

namespace {

const QString kChangedMeanwhile = QStringLiteral(
    "Schienen oder Belegungen wurden inzwischen von einem anderen Programm geändert. Die "
    "Variante trotzdem übernehmen?");

// As the evaluation's panel writes it: two places, a decimal comma.
QString number(double v) {
    return QString::number(v, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace

frmVarianten::frmVarianten(platform::RunState& s, ui::Host& host, int cohort, PlanWriter writePlan)
    : ui::Window(QStringLiteral("frmVarianten"), QStringLiteral("Varianten")), s_(s), host_(host),
      cohort_(cohort), writePlan_(std::move(writePlan)) {
    const auto cmd = [this](const char* name, const char* caption, void (frmVarianten::*f)()) {
        return ui::Command{
            QString::fromUtf8(name), QString::fromUtf8(caption), {}, true, [this, f] {
                (this->*f)();
            }};
    };
    setCommands({cmd("cmdSpeichern", "&Speichern als ...", &frmVarianten::cmdSpeichern_Click),
                 cmd("cmdVergleichen", "&Vergleichen", &frmVarianten::cmdVergleichen_Click),
                 cmd("cmdDrucken", "&Drucken", &frmVarianten::cmdDrucken_Click),
                 cmd("cmdUebernehmen", "Ü&bernehmen", &frmVarianten::cmdUebernehmen_Click),
                 cmd("cmdUmbenennen", "&Umbenennen", &frmVarianten::cmdUmbenennen_Click),
                 cmd("cmdLoeschen", "&Löschen", &frmVarianten::cmdLoeschen_Click),
                 cmd("cmdSchliessen", "S&chließen", &frmVarianten::cmdSchliessen_Click)});
}

void frmVarianten::Form_Load() {
    listVariants();
}

blocking::VariantInfo frmVarianten::boundsLine(const blocking::FigureBounds& b) const {
    // The least each figure can be, none above a plan listed.
    blocking::Evaluation least = plans.front().evaluation;
    least.collisions = b.collisions;
    least.teacherClashes = b.teacherClashes;
    least.ruleViolations = b.ruleViolations;
    least.withoutCourse = b.withoutCourse;
    least.outsideLimits = b.outsideLimits;
    least.largestDifference = b.difference;
    least.squaredDeviation = b.deviation;
    least.unplaced = b.unplaced;
    for (const blocking::VariantInfo& v : plans) {
        const blocking::Evaluation& e = v.evaluation;
        for (auto field :
             {&blocking::Evaluation::collisions, &blocking::Evaluation::teacherClashes,
              &blocking::Evaluation::ruleViolations, &blocking::Evaluation::withoutCourse,
              &blocking::Evaluation::outsideLimits, &blocking::Evaluation::largestDifference,
              &blocking::Evaluation::unplaced})
            least.*field = std::min(least.*field, e.*field);
        least.squaredDeviation = std::min(least.squaredDeviation, e.squaredDeviation);
    }
    blocking::VariantInfo bounds;
    bounds.name = QStringLiteral("Untergrenze");
    bounds.evaluation = least;
    return bounds;
}

void frmVarianten::listVariants() {
    db::Connection c(s_.databasePath());
    // The state is read with the figures: a change after it makes "Übernehmen" ask, never slip
    // through.
    blocking::Listing l = blocking::listing(c, {s_.SchjID, s_.SchjBez}, cohort_);
    state_ = l.state;
    plans = std::move(l.plans);
    const blocking::Evaluation& current = plans.front().evaluation;
    std::vector<blocking::VariantInfo> variants = plans;
    variants.push_back(boundsLine(*l.bounds));

    // Teachers' clashes and broken rules only where the school has teachers or rules.
    const bool teachers = current.teachers;
    const bool rules = current.rules;
    Spalten = QStringList{QStringLiteral("Name"), QStringLiteral("Kollisionen"),
                          QStringLiteral("Kurspaare")};
    if (teachers)
        Spalten << QStringLiteral("Lehrerkollisionen");
    if (rules)
        Spalten << QStringLiteral("Regeln verletzt");
    Spalten << QStringLiteral("ohne Kurs") << QStringLiteral("außerhalb Grenzen")
            << QStringLiteral("größte Differenz") << QStringLiteral("Abweichungsquadrate")
            << QStringLiteral("ungesetzt") << QStringLiteral("Schüler geändert")
            << QStringLiteral("Kurse verschoben") << QStringLiteral("erstellt")
            << QStringLiteral("Kommentar");
    QStringList lines;
    for (const blocking::VariantInfo& v : variants) {
        const blocking::Evaluation& e = v.evaluation;
        const bool plan = &v != &variants.back();
        QStringList f{v.name, QString::number(e.collisions),
                      plan ? QString::number(e.clashingPairs) : QString()};
        if (teachers)
            f << QString::number(e.teacherClashes);
        if (rules)
            f << QString::number(e.ruleViolations);
        f << QString::number(e.withoutCourse) << QString::number(e.outsideLimits)
          << QString::number(e.largestDifference) << number(e.squaredDeviation)
          << QString::number(e.unplaced) << (plan ? QString::number(v.changedStudents) : QString())
          << (plan ? QString::number(v.movedCourses) : QString())
          << (v.created.isValid() ? v.created.toString(QStringLiteral("dd.MM.yyyy hh:mm"))
                                  : QString())
          << QString(v.comment).replace(QLatin1Char('\t'), QLatin1Char(' '));
        lines << f.join(QLatin1Char('\t'));
    }
    lstVarianten.setLines(lines);
    emit changed();
}

QString frmVarianten::nameOf(int line) const {
    return line >= 0 && line < static_cast<int>(plans.size())
               ? plans[static_cast<size_t>(line)].name
               : QString();
}

QStringList frmVarianten::figureNames() const {
    return {QStringLiteral("Kollisionen"),       QStringLiteral("Kurspaare"),
            QStringLiteral("Lehrerkollisionen"), QStringLiteral("Regeln verletzt"),
            QStringLiteral("ohne Kurs"),         QStringLiteral("außerhalb Grenzen"),
            QStringLiteral("größte Differenz"),  QStringLiteral("ungesetzt")};
}

std::vector<frmVarianten::Figures> frmVarianten::chosenFigures() const {
    std::vector<int> rows = lstVarianten.selectedRows();
    if (rows.empty() && !plans.empty())
        rows.push_back(0);
    std::vector<Figures> out;
    for (int row : rows) {
        if (row >= static_cast<int>(plans.size()))
            continue; // the bounds' line
        const blocking::VariantInfo& v = plans[static_cast<size_t>(row)];
        const blocking::Evaluation& e = v.evaluation;
        out.push_back({v.name,
                       {e.collisions, e.clashingPairs, e.teacherClashes, e.ruleViolations,
                        e.withoutCourse, e.outsideLimits, e.largestDifference, e.unplaced}});
    }
    return out;
}

bool frmVarianten::confirmTakeOver(int line) {
    const blocking::VariantInfo& v = plans[static_cast<size_t>(line)];
    const QString text =
        QStringLiteral("Die Variante „%1“ übernehmen?\n\nSchüler, die den Kurs wechseln: %2\n"
                       "Kurse, die die Schiene wechseln: %3\n\nDer jetzige Plan bleibt als "
                       "Variante „vor Übernahme …“ erhalten.")
            .arg(v.name)
            .arg(v.changedStudents)
            .arg(v.movedCourses);
    return host_.message({text, QString(), ui::Icon::Question, ui::Buttons::YesNo, 1,
                          std::nullopt}) == ui::Answer::Yes;
}

QString frmVarianten::selectedVariant() {
    const std::vector<int> rows = lstVarianten.selectedRows();
    if (rows.size() != 1 || rows.front() == 0 || nameOf(rows.front()).isEmpty()) {
        ui::tell(host_, QStringLiteral("Bitte wählen Sie eine Variante aus."),
                 ui::Icon::Exclamation);
        return {};
    }
    return nameOf(rows.front());
}

void frmVarianten::cmdSpeichern_Click() {
    const std::optional<QString> name =
        host_.inputBox(QStringLiteral("Name der Variante:"), caption(), QString());
    if (!name)
        return;
    const std::optional<QString> comment =
        host_.inputBox(QStringLiteral("Kommentar (kann leer bleiben):"), caption(), QString());
    if (!comment)
        return;
    try {
        db::Connection c(s_.databasePath());
        db::Transaction tx(c);
        writePlan_(c);
        blocking::save(c, {s_.SchjID, s_.SchjBez}, cohort_, *name, *comment);
        tx.commit();
        planWritten = true;
    } catch (const std::runtime_error& e) {
        ui::tell(host_, QString::fromUtf8(e.what()), ui::Icon::Exclamation);
    }
    listVariants();
}

void frmVarianten::cmdVergleichen_Click() {
    const std::vector<int> rows = lstVarianten.selectedRows();
    if (rows.size() != 2 || nameOf(rows[0]).isEmpty() || nameOf(rows[1]).isEmpty()) {
        ui::tell(host_, QStringLiteral("Bitte wählen Sie zwei Zeilen zum Vergleichen aus."),
                 ui::Icon::Exclamation);
        return;
    }
    const QString first = nameOf(rows[0]);
    const QString second = nameOf(rows[1]);
    db::Connection c(s_.databasePath());
    const blocking::VariantDiff d =
        blocking::diff(c, {s_.SchjID, s_.SchjBez}, cohort_, first, second);
    lblUnterschiede = QStringLiteral("„%1“ und „%2“").arg(first, second);
    lstUnterschiede =
        QStringList{QStringLiteral("Kurse auf anderen Schienen: %1").arg(d.courses.size())};
    lstUnterschiede << d.courses;
    lstUnterschiede << QString()
                    << QStringLiteral("Schüler in anderen Kursen: %1").arg(d.students.size());
    lstUnterschiede << d.students;
    emit changed();
}

void frmVarianten::cmdDrucken_Click() {
    if (lstUnterschiede.isEmpty()) {
        ui::tell(host_, QStringLiteral("Bitte vergleichen Sie zuerst zwei Zeilen."),
                 ui::Icon::Exclamation);
        return;
    }
    ui::printListing(
        host_, QStringLiteral("Varianten des Jahrgangs %1: %2").arg(cohort_).arg(lblUnterschiede),
        {}, lstUnterschiede);
}

void frmVarianten::cmdUebernehmen_Click() {
    const QString name = selectedVariant();
    if (name.isEmpty() || !confirmTakeOver(lstVarianten.selectedRows().front()))
        return;
    std::optional<QByteArray> expected = state_;
    std::optional<blocking::Applied> applied;
    try {
        for (;;) {
            QByteArray now;
            {
                db::Connection c(s_.databasePath());
                db::Transaction tx(c);
                now = blocking::readState(c);
                if (!expected || now == *expected) {
                    writePlan_(c);
                    applied = blocking::apply(c, {s_.SchjID, s_.SchjBez}, cohort_, name);
                    tx.commit();
                    break;
                }
            }
            if (host_.message({kChangedMeanwhile, QString(), ui::Icon::Question, ui::Buttons::YesNo,
                               1, std::nullopt}) != ui::Answer::Yes)
                return;
            expected = now;
        }
    } catch (const std::runtime_error& e) {
        ui::tell(host_, QString::fromUtf8(e.what()), ui::Icon::Exclamation);
        listVariants();
        return;
    }
    planWritten = true;
    this->applied = true;
    taken = applied;
    listVariants();
    if (applied && applied->notTaken > 0)
        ui::tell(host_,
                 QStringLiteral("%1 Einträge der Variante passen nicht mehr und wurden nicht "
                                "übernommen.")
                     .arg(applied->notTaken),
                 ui::Icon::Information);
}

void frmVarianten::cmdLoeschen_Click() {
    const QString name = selectedVariant();
    if (name.isEmpty())
        return;
    if (host_.message({QStringLiteral("Die Variante „%1“ löschen?").arg(name), QString(),
                       ui::Icon::Question, ui::Buttons::YesNo, 1, std::nullopt}) != ui::Answer::Yes)
        return;
    try {
        db::Connection c(s_.databasePath());
        blocking::remove(c, {s_.SchjID, s_.SchjBez}, cohort_, name);
    } catch (const std::runtime_error& e) {
        ui::tell(host_, QString::fromUtf8(e.what()), ui::Icon::Exclamation);
    }
    listVariants();
}

void frmVarianten::cmdUmbenennen_Click() {
    const QString name = selectedVariant();
    if (name.isEmpty())
        return;
    const std::optional<QString> newName =
        host_.inputBox(QStringLiteral("Neuer Name der Variante:"), caption(), name);
    if (!newName)
        return;
    try {
        db::Connection c(s_.databasePath());
        blocking::rename(c, {s_.SchjID, s_.SchjBez}, cohort_, name, *newName);
    } catch (const std::runtime_error& e) {
        ui::tell(host_, QString::fromUtf8(e.what()), ui::Icon::Exclamation);
    }
    listVariants();
}

void frmVarianten::cmdSchliessen_Click() {
    host_.hide(*this);
}

void frmVarianten::Form_Unload() {
    host_.hide(*this);
}

} // namespace placement
