#include "placement/Figures.h"

#include "blocking/Evaluation.h"
#include "blocking/Model.h"
#include "common/MessageWindow.h"
#include "db/Courses.h"
#include "db/Database.h"
#include "placement/SetzenK.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <algorithm>
#include <iterator>
#include <numeric>

namespace placement {

namespace {

struct Tip {
    const char* figure;
    const char* text;
};

// One line each, as the panel's tooltips and the help page say it.
const Tip kTips[] = {
    {"Kollisionen (Schüler)", "Schüler des Jahrgangs, die zwei ihrer Kurse auf derselben Schiene "
                              "haben; jeder zählt einmal."},
    {"Kollidierende Kurspaare", "Paare von Kursen auf einer gemeinsamen Schiene, die ein Schüler "
                                "beide belegt; ein Paar zu trennen hilft oft mehreren Schülern."},
    {"Lehrerkollisionen", "Kurse eines Lehrers, die über den ersten hinaus auf derselben Schiene "
                          "stehen; so kann nicht unterrichtet werden."},
    {"Regeln verletzt", "Regeln aus Bearbeiten – Regeln ..., die der Plan nicht einhält."},
    {"Kurse nicht gesetzt", "Kurse des Jahrgangs, deren Stunden noch nicht alle auf Schienen "
                            "stehen."},
    {"Belegungen ohne Kurs", "Gewählte Fächer, für die der Schüler keinen Kurs hat; ein Klick "
                             "zeigt Schüler und Fächer."},
    {"Kurse außerhalb ihrer Grenzen", "Kurse mit mehr Schülern als ihrer Höchstzahl (KS_MAX) "
                                      "oder weniger als ihrer Mindestzahl (KS_MIN)."},
    {"Kurse auf zu vielen Schienen", "Kurse auf einer Schiene, die sie für ihre Stunden nicht "
                                     "brauchen."},
    {"Größte Differenz", "Größter Unterschied der Schülerzahlen zwischen Parallelkursen; "
                         "bestmöglich: was die Zahl der Schüler zulässt."},
    {"Summe der Abweichungsquadrate",
     "Wie ungleich Parallelkurse besetzt sind: je Kurs der Abstand zur mittleren Größe, "
     "quadriert und zusammengezählt; 0 heißt: alle gleich groß."},
    {"optimal", "Kein Ziel lässt sich weiter verbessern: der Plan ist bestmöglich."},
};

const QString kWithoutCourse = QStringLiteral("Belegungen ohne Kurs");

} // namespace

QString figureTip(const QString& line) {
    for (const Tip& t : kTips)
        if (line.startsWith(QString::fromUtf8(t.figure)))
            return QString::fromUtf8(t.text);
    return {};
}

bool listsWithoutCourse(const QString& line) {
    return line.startsWith(kWithoutCourse);
}

QStringList withoutCourseLines(const blocking::Model& m, const blocking::Evaluation& e,
                               const Workspace& ws, const QHash<QString, QString>& subjects) {
    QStringList lines;
    for (int i : e.withoutCourseChoices) {
        const blocking::Choice& ch = m.choices[static_cast<size_t>(i)];
        const blocking::Student& s = m.students[static_cast<size_t>(ch.student)];
        const QString klasse = ws.klassen.value(s.key).trimmed();
        // The subject by its designation where the school has one.
        const QString key = ch.asked.section(QLatin1Char(' '), 0, 0);
        const QString asked =
            subjects.value(key, key) + QLatin1Char(' ') + ch.asked.section(QLatin1Char(' '), 1);
        lines << QStringLiteral("%1%2: %3")
                     .arg(s.name.trimmed(),
                          klasse.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(klasse),
                          asked.trimmed());
    }
    std::sort(lines.begin(), lines.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return lines;
}

std::vector<common::SizeGroup> courseSizeGroups(const blocking::Model& m) {
    const std::vector<int> sizes = blocking::courseSizes(m, m.assignment);
    std::vector<common::SizeGroup> groups;
    for (const blocking::Group& g : m.groups) {
        if (g.courses.empty())
            continue;
        common::SizeGroup out;
        out.label = g.label;
        for (int k : g.courses) {
            const blocking::Course& c = m.courses[static_cast<size_t>(k)];
            out.courses.push_back({c.name.trimmed(), sizes[static_cast<size_t>(k)], c.min, c.max});
        }
        out.target = static_cast<double>(g.total) / static_cast<double>(g.courses.size());
        groups.push_back(std::move(out));
    }
    return groups;
}

void SetzenK::lblBewertung_Click(int line) {
    if (!listsWithoutCourse(lblBewertung.value(line)) || !bewertungModel)
        return;
    common::frmFMld window(host_);
    window.setCaption(kWithoutCourse);
    QHash<QString, QString> subjects;
    {
        db::Connection c(s_.databasePath());
        for (const auto& [key, bez] : db::courses::subjectDesignations(c))
            if (!bez.trimmed().isEmpty())
                subjects.insert(key.trimmed(), bez.trimmed());
    }
    const QStringList lines = withoutCourseLines(*bewertungModel, bewertung, *this, subjects);
    for (const QString& l : lines)
        window.appendLine(l);
    if (lines.isEmpty())
        window.appendLine(QStringLiteral("Jede Belegung hat einen Kurs."));
    host_.showModal(window);
}

void SetzenK::menuBearbKursgroessen_Click() {
    Bewerten(); // the sizes as the students' courses stand now
    if (!bewertungModel || !showCourseSizes)
        return;
    showCourseSizes(courseSizeGroups(*bewertungModel), CmbJahrgang.text());
}

} // namespace placement
