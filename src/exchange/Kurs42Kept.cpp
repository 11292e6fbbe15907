#include "exchange/Kurs42Kept.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace exchange::kurs42 {

namespace {

QJsonObject toJson(const Extra& extra) {
    QJsonObject o;
    for (const auto& [name, value] : extra)
        o.insert(name, value);
    return o;
}

Extra extraOf(const QJsonObject& o, const char* field) {
    Extra extra;
    const QJsonObject e = o.value(QLatin1String(field)).toObject();
    for (auto it = e.begin(); it != e.end(); ++it)
        extra[it.key()] = it.value().toString();
    return extra;
}

QString text(const QJsonObject& o) {
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

QJsonObject parse(const QString& data) {
    return QJsonDocument::fromJson(data.toUtf8()).object();
}

void take(const QJsonObject& o, const char* field, QString& into) {
    if (o.contains(QLatin1String(field)))
        into = o.value(QLatin1String(field)).toString();
}

void take(const QJsonObject& o, const char* field, int& into) {
    if (o.contains(QLatin1String(field)))
        into = o.value(QLatin1String(field)).toInt();
}

} // namespace

QString keptBlocking(const Blocking& b) {
    return text({{QStringLiteral("jahrgang"), b.jahrgang},
                 {QStringLiteral("jahr"), b.jahr},
                 {QStringLiteral("abschnitt"), b.abschnitt},
                 {QStringLiteral("bezeichnung"), b.bezeichnung},
                 {QStringLiteral("schulnummer"), b.schulnummer},
                 {QStringLiteral("other"), toJson(b.other)}});
}

void restore(const QString& data, Blocking& b) {
    const QJsonObject o = parse(data);
    take(o, "jahrgang", b.jahrgang);
    take(o, "abschnitt", b.abschnitt);
    take(o, "bezeichnung", b.bezeichnung);
    take(o, "schulnummer", b.schulnummer);
    b.other = extraOf(o, "other");
}

QString keptStudent(const Student& s) {
    return text({{QStringLiteral("name"), s.key.name},
                 {QStringLiteral("vorname"), s.key.vorname},
                 {QStringLiteral("gebDat"), s.key.gebDat},
                 {QStringLiteral("geschlecht"), s.key.geschlecht},
                 {QStringLiteral("idNr"), s.idNr},
                 {QStringLiteral("status"), s.status},
                 {QStringLiteral("jahrgang"), s.jahrgang},
                 {QStringLiteral("klasse"), s.klasse},
                 {QStringLiteral("dbIdNr"), QString::number(s.dbIdNr)},
                 {QStringLiteral("extra"), toJson(s.extra)}});
}

void restore(const QString& data, Student& s) {
    const QJsonObject o = parse(data);
    take(o, "name", s.key.name);
    take(o, "vorname", s.key.vorname);
    take(o, "gebDat", s.key.gebDat);
    take(o, "geschlecht", s.key.geschlecht);
    take(o, "idNr", s.idNr);
    take(o, "status", s.status);
    take(o, "jahrgang", s.jahrgang);
    take(o, "klasse", s.klasse);
    if (o.contains(QLatin1String("dbIdNr")))
        s.dbIdNr = o.value(QLatin1String("dbIdNr")).toString().toLongLong();
    s.extra = extraOf(o, "extra");
}

QString keptSubject(const Subject& s) {
    return text({{QStringLiteral("idNr"), s.idNr},
                 {QStringLiteral("bezeichnung"), s.bezeichnung},
                 {QStringLiteral("statistikKrz"), s.statistikKrz},
                 {QStringLiteral("sortierung"), s.sortierung},
                 {QStringLiteral("extra"), toJson(s.extra)}});
}

void restore(const QString& data, Subject& s) {
    const QJsonObject o = parse(data);
    take(o, "idNr", s.idNr);
    take(o, "bezeichnung", s.bezeichnung);
    take(o, "statistikKrz", s.statistikKrz);
    take(o, "sortierung", s.sortierung);
    s.extra = extraOf(o, "extra");
}

QString keptCourse(const Course& k) {
    return text({{QStringLiteral("kursId"), k.kursId},
                 {QStringLiteral("kursart"), k.kursart},
                 {QStringLiteral("lehrer"), k.lehrer},
                 {QStringLiteral("raum"), k.raum},
                 {QStringLiteral("schienenzahl"), k.schienenzahl},
                 {QStringLiteral("parallelKursZahl"), k.parallelKursZahl},
                 {QStringLiteral("parallelKursNr"), k.parallelKursNr},
                 {QStringLiteral("extra"), toJson(k.extra)}});
}

void restore(const QString& data, Course& k) {
    const QJsonObject o = parse(data);
    take(o, "kursId", k.kursId);
    take(o, "kursart", k.kursart);
    take(o, "lehrer", k.lehrer);
    take(o, "raum", k.raum);
    take(o, "schienenzahl", k.schienenzahl);
    take(o, "parallelKursZahl", k.parallelKursZahl);
    take(o, "parallelKursNr", k.parallelKursNr);
    k.extra = extraOf(o, "extra");
}

QString keptRail(const Rail& r) {
    return text({{QStringLiteral("id"), r.id}, {QStringLiteral("extra"), toJson(r.extra)}});
}

void restore(const QString& data, Rail& r) {
    const QJsonObject o = parse(data);
    take(o, "id", r.id);
    r.extra = extraOf(o, "extra");
}

QString keptChoice(const Choice& w) {
    return text({{QStringLiteral("extra"), toJson(w.extra)}});
}

void restore(const QString& data, Choice& w) {
    w.extra = extraOf(parse(data), "extra");
}

} // namespace exchange::kurs42
