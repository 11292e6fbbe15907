// kubb rules: the planner's rules of the school year.
#include "cli/Commands.h"

#include "blocking/Rules.h"
#include "common/Session.h"
#include "db/Database.h"

namespace cli {

int runRules(const Args& a) {
    a.allowOnly({QStringLiteral("--db")});
    const QString path = pathArg(a.required(QStringLiteral("--db"))).trimmed();
    const QStringList words = a.words();
    const QString verb = words.value(0);
    platform::RunState s;
    s.useDatabase(path);
    common::LiesSchj(s, host());
    requireSchoolYear(s);
    db::Connection c(path);
    if (verb == QLatin1String("list") && words.size() == 1) {
        const QStringList rules = blocking::listRules(c, s.SchjID);
        for (int i = 0; i < rules.size(); ++i)
            out() << (i + 1) << ' ' << rules[i] << '\n';
    } else if (verb == QLatin1String("add") && words.size() >= 3) {
        blocking::addRule(c, s.SchjID, words[1], words.mid(2));
        out() << "Regel " << blocking::listRules(c, s.SchjID).size() << " hinzugefügt.\n";
    } else if (verb == QLatin1String("remove") && words.size() == 2) {
        bool ok = false;
        const int n = words[1].toInt(&ok);
        if (!ok)
            throw UsageError(QStringLiteral("remove braucht die Nummer einer Regel"));
        blocking::removeRule(c, s.SchjID, n);
        out() << "Regel " << n << " gelöscht.\n";
    } else {
        throw UsageError(QStringLiteral("rules braucht list, add ART ANGABE [ANGABE] oder "
                                        "remove NUMMER"));
    }
    out().flush();
    return 0;
}

} // namespace cli
