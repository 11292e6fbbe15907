#include "import/PreAssign.h"

#include "common/MessageWindow.h"
#include "db/Database.h"
#include "db/Statement.h"
#include "platform/RunState.h"
#include "platform/Text.h"
#include "ui/Host.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlError>

namespace importer {

namespace {

struct Student {
    QString phase;
    QString name;
};

} // namespace

std::vector<CourseCandidate> findCourses(db::Connection& c, const QString& schjId,
                                         const QString& subject, const QString& kind,
                                         const QString& code, const QString& yg) {
    const bool twelve = yg == QLatin1String("12");
    QSqlQuery& q =
        c.prepared(
             QStringLiteral("SELECT KS_VFP_ID, KS_BEZ FROM kurs WHERE "
                            "(KS_SCHJ = ? AND KS_JGST = ? AND KS_LKGK = ? AND KS_FA_ID%1 = ?) "
                            "OR (KS_SCHJ = ? AND KS_JGST = ? AND KS_LKGK = ? AND "
                            "KS_FA_ID%2 = ?) ORDER BY KS_ID")
                 .arg(twelve ? 1 : 3)
                 .arg(twelve ? 2 : 4))
            .run({schjId, code, kind, subject, schjId, code, kind, subject});
    std::vector<CourseCandidate> list;
    while (q.next())
        list.push_back({q.value(0).toString(), q.value(1).toString().trimmed()});
    return list;
}

bool countsInYearGroup(const QString& art, const QString& yg) {
    static const QRegularExpression year12Types(QStringLiteral("^[LASCX]$"));
    static const QRegularExpression year13Types(QStringLiteral("^[LBSCX]$"));
    return (yg == QLatin1String("12") ? year12Types : year13Types).match(art).hasMatch();
}

QString Vorbesetzen(const platform::RunState& s, ui::Host& host, common::frmFMld& window) {
    const int y = s.SchjBez.left(4).toInt();
    db::Connection c(s.databasePath());
    if (c.scalar(QStringLiteral("SELECT count(*) FROM belegung")).toInt() == 0) {
        host.setStatus(QString());
        return {};
    }

    QHash<QString, Student> students;
    {
        QSqlQuery q = c.exec(
            QStringLiteral("SELECT KO_VFP_ID, KO_KURSPH, KO_FAMNAME FROM kolleg ORDER BY KO_ID"));
        while (q.next()) {
            const QString key = q.value(0).toString().toUpper();
            if (!students.contains(key))
                students.insert(key, {q.value(1).toString(), q.value(2).toString().trimmed()});
        }
    }
    QHash<QString, QString> courseBez; // KS_VFP_ID (upper case) -> trimmed KS_BEZ
    {
        QSqlQuery q = c.exec(QStringLiteral("SELECT KS_VFP_ID, KS_BEZ FROM kurs ORDER BY KS_ID"));
        while (q.next()) {
            const QString key = q.value(0).toString().toUpper();
            if (!courseBez.contains(key))
                courseBez.insert(key, q.value(1).toString().trimmed());
        }
    }
    QHash<QString, QString> subjectBez;
    {
        QSqlQuery q =
            c.exec(QStringLiteral("SELECT FA_VFP_ID, FA_BEZ FROM fachang ORDER BY FA_ID"));
        while (q.next()) {
            const QString key = q.value(0).toString().toUpper();
            if (!subjectBez.contains(key))
                subjectBez.insert(key, q.value(1).toString().trimmed());
        }
    }

    // The course lookup depends only on subject, kind, code and year group: asked once each.
    QHash<QString, std::vector<CourseCandidate>> cache;
    const auto candidates = [&](const QString& subject, const QString& kind, const QString& code,
                                const QString& yg) -> const std::vector<CourseCandidate>& {
        const QString cacheKey =
            subject + QLatin1Char('|') + kind + QLatin1Char('|') + code + QLatin1Char('|') + yg;
        auto it = cache.find(cacheKey);
        if (it != cache.end())
            return *it;
        return *cache.insert(cacheKey, findCourses(c, s.SchjID, subject, kind, code, yg));
    };

    struct Row {
        qint64 id;
        QString student, ks12, fa, art;
        bool has12, has13;
    };
    std::vector<Row> rows;
    {
        QSqlQuery q = c.exec(
            QStringLiteral("SELECT BG_ID, BG_KO_ID, BG_KS_ID_12, BG_KS_ID_13, BG_FA_ID, BG_ART "
                           "FROM belegung ORDER BY BG_ID"));
        while (q.next())
            rows.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                            q.value(4).toString(), q.value(5).toString(), !q.value(2).isNull(),
                            !q.value(3).isNull()});
    }

    db::Transaction tx(c);
    db::Statement set12(c, QStringLiteral("UPDATE belegung SET BG_KS_ID_12 = ? WHERE BG_ID = ?"),
                        QStringLiteral("belegung"), {QStringLiteral("BG_KS_ID_12")});
    db::Statement set13(c, QStringLiteral("UPDATE belegung SET BG_KS_ID_13 = ? WHERE BG_ID = ?"),
                        QStringLiteral("belegung"), {QStringLiteral("BG_KS_ID_13")});
    QString lines;
    for (const Row& r : rows) {
        const auto st = students.constFind(r.student.toUpper());
        if (st == students.constEnd())
            continue;
        const int phase = st->phase.toInt();
        QString yg;
        if (phase == y - 1)
            yg = QStringLiteral("13");
        else if (phase == y)
            yg = QStringLiteral("12");
        else
            continue;
        const bool twelve = yg == QLatin1String("12");
        if (twelve ? r.has12 : r.has13)
            continue;
        if (!countsInYearGroup(r.art, yg))
            continue;
        const QString kind =
            r.art == QLatin1String("L") ? QStringLiteral("L") : QStringLiteral("K");
        const QString code = twelve ? QStringLiteral("11") : QStringLiteral("12");
        const std::vector<CourseCandidate>* list = &candidates(r.fa, kind, code, yg);
        if (list->empty())
            list = &candidates(r.fa, kind, QStringLiteral("50"), yg);
        if (list->empty()) {
            const auto subject = subjectBez.constFind(r.fa.toUpper());
            const QString fach = subject != subjectBez.constEnd() ? *subject : r.fa;
            const QString line = st->phase + QStringLiteral(": Fach: ") +
                                 (fach + QStringLiteral("    ")).left(4) + QLatin1Char(' ') +
                                 st->name;
            window.appendLine(line);
            lines += line + platform::kCrLf;
            continue;
        }
        size_t chosen = 0;
        if (!twelve && list->size() > 1 && !r.ks12.isEmpty()) {
            const auto b = courseBez.constFind(r.ks12.toUpper());
            if (b != courseBez.constEnd() && !b->isEmpty()) {
                for (size_t i = 0; i < list->size(); ++i)
                    if ((*list)[i].bez.mid(1) == b->mid(1)) {
                        chosen = i;
                        break;
                    }
            }
        }
        const CourseCandidate& course = (*list)[chosen];
        (twelve ? set12 : set13).run({course.key, r.id});
        host.setStatus(st->phase + QStringLiteral(": ") +
                       (st->name + QString(30, QLatin1Char(' '))).left(30) + QStringLiteral(": ") +
                       course.bez);
    }
    tx.commit();
    host.setStatus(QString());
    return lines;
}

void runPreAssignment(const platform::RunState& s, ui::Host& host) {
    common::frmFMld window(host);
    Vorbesetzen(s, host, window);
    if (!window.txtFMld.isEmpty())
        host.showModal(window);
}

} // namespace importer
