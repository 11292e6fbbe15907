// kubb variant: named plans of a cohort, kept, compared and taken over.
#include "cli/Commands.h"

#include "blocking/Variants.h"
#include "common/Session.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "db/Rails.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace cli {

namespace {

QString quoted(const QString& name) {
    return QStringLiteral("„") + name.trimmed() + QStringLiteral("“");
}

void printList(db::Connection& c, const blocking::SchoolYear& year, int cohort, bool json) {
    const std::vector<blocking::VariantInfo> all = blocking::list(c, year, cohort);
    if (json) {
        // The fields of kubb evaluate --json, so that a script compares both alike.
        const int rails = db::rails::countOfYear(c, year.id);
        QJsonArray a;
        for (const blocking::VariantInfo& v : all) {
            QJsonObject o = blocking::toJson(v.evaluation);
            o.insert(QStringLiteral("cohort"), cohort);
            o.insert(QStringLiteral("yearGroup"), db::yearGroup(cohort, year.bez));
            o.insert(QStringLiteral("rails"), rails);
            o.insert(QStringLiteral("name"), v.name);
            o.insert(QStringLiteral("created"), v.created.toString(Qt::ISODate));
            o.insert(QStringLiteral("comment"), v.comment);
            o.insert(QStringLiteral("changedStudents"), v.changedStudents);
            o.insert(QStringLiteral("movedCourses"), v.movedCourses);
            a.append(o);
        }
        out() << QJsonDocument(a).toJson(QJsonDocument::Indented);
        return;
    }
    if (all.empty())
        out() << "Keine Varianten.\n";
    for (const blocking::VariantInfo& v : all) {
        out() << v.name << " (" << v.created.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")) << ")"
              << (v.comment.isEmpty() ? QString() : QStringLiteral(": ") + v.comment) << "\n";
        for (const QString& l : blocking::describe(v.evaluation))
            out() << "  " << l << "\n";
        out() << "  Schüler in anderen Kursen als jetzt: " << v.changedStudents << "\n"
              << "  Kurse auf anderen Schienen als jetzt: " << v.movedCourses << "\n";
    }
}

} // namespace

int runVariant(const Args& a) {
    a.allowOnly({QStringLiteral("--db"), QStringLiteral("--cohort"), QStringLiteral("--comment"),
                 QStringLiteral("--json")});
    const QString path = pathArg(a.required(QStringLiteral("--db"))).trimmed();
    bool ok = false;
    const int cohort = a.required(QStringLiteral("--cohort")).toInt(&ok);
    if (!ok)
        throw UsageError(QStringLiteral("--cohort braucht ein Jahr (YYYY)"));
    const QStringList w = a.words();
    const QString verb = w.value(0);
    const auto takes = [&](int names) { return w.size() == names + 1; };
    if (!((verb == QLatin1String("save") && takes(1)) ||
          (verb == QLatin1String("list") && takes(0)) ||
          (verb == QLatin1String("apply") && takes(1)) ||
          (verb == QLatin1String("delete") && takes(1)) ||
          (verb == QLatin1String("rename") && takes(2)) ||
          (verb == QLatin1String("diff") && takes(2))))
        throw UsageError(QStringLiteral("variant braucht save NAME, list, apply NAME, delete "
                                        "NAME, rename ALT NEU oder diff NAME NAME"));
    if (!a.value(QStringLiteral("--comment")).isEmpty() && verb != QLatin1String("save"))
        throw UsageError(QStringLiteral("--comment gilt nur für save"));
    if (a.flag(QStringLiteral("--json")) && verb != QLatin1String("list"))
        throw UsageError(QStringLiteral("--json gilt nur für list"));

    platform::RunState s;
    s.useDatabase(path);
    common::LiesSchj(s, host());
    requireSchoolYear(s);
    const blocking::SchoolYear year{s.SchjID, s.SchjBez};
    db::Connection c(path);
    if (verb == QLatin1String("save")) {
        blocking::save(c, year, cohort, w[1], a.value(QStringLiteral("--comment")));
        out() << "Variante " << quoted(w[1]) << " gespeichert.\n";
    } else if (verb == QLatin1String("list")) {
        printList(c, year, cohort, a.flag(QStringLiteral("--json")));
    } else if (verb == QLatin1String("apply")) {
        const blocking::Applied r = *blocking::apply(c, year, cohort, w[1]);
        out() << "Variante " << quoted(w[1]) << " übernommen; der bisherige Plan steht als "
              << quoted(r.keptAs) << ".\n";
        if (r.notTaken > 0)
            out() << r.notTaken << " Einträge der Variante passen nicht mehr und blieben, wie sie "
                  << "waren.\n";
    } else if (verb == QLatin1String("delete")) {
        blocking::remove(c, year, cohort, w[1]);
        out() << "Variante " << quoted(w[1]) << " gelöscht.\n";
    } else if (verb == QLatin1String("rename")) {
        blocking::rename(c, year, cohort, w[1], w[2]);
        out() << "Variante " << quoted(w[1]) << " heißt jetzt " << quoted(w[2]) << ".\n";
    } else {
        const blocking::VariantDiff d = blocking::diff(c, year, cohort, w[1], w[2]);
        out() << "Kurse auf anderen Schienen: " << d.courses.size() << "\n";
        for (const QString& l : d.courses)
            out() << "  " << l << "\n";
        out() << "Schüler in anderen Kursen: " << d.students.size() << "\n";
        for (const QString& l : d.students)
            out() << "  " << l << "\n";
    }
    out().flush();
    return 0;
}

} // namespace cli
