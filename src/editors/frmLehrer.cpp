#include "editors/frmLehrer.h"

#include "db/Database.h"
#include "platform/RunState.h"
#include "platform/Text.h"
#include "ui/Host.h"

namespace editors {

using lehrer::Course;
using lehrer::Teacher;

namespace {

const QString kTitle = QStringLiteral("Lehrer");

QString fields(const QStringList& f) {
    return f.join(QLatin1Char('\t'));
}

} // namespace

frmLehrer::frmLehrer(platform::RunState& s, ui::Host& host)
    : ui::Window(QStringLiteral("frmLehrer"), kTitle), s_(s), host_(host) {
    const auto cmd = [this](const char* name, const char* caption, void (frmLehrer::*f)()) {
        return ui::Command{
            QString::fromUtf8(name), QString::fromUtf8(caption), {}, true, [this, f] {
                (this->*f)();
            }};
    };
    setCommands({cmd("cmdNeu", "&Neu ...", &frmLehrer::cmdNeu_Click),
                 cmd("cmdUmbenennen", "&Umbenennen ...", &frmLehrer::cmdUmbenennen_Click),
                 cmd("cmdLoeschen", "&Löschen", &frmLehrer::cmdLoeschen_Click),
                 cmd("cmdZuordnen", "Kurs &zuordnen", &frmLehrer::cmdZuordnen_Click),
                 cmd("cmdOhne", "Kurs &ohne Lehrer", &frmLehrer::cmdOhne_Click),
                 cmd("cmdSchliessen", "S&chließen", &frmLehrer::cmdSchliessen_Click)});
}

void frmLehrer::Form_Load() {
    reload();
}

void frmLehrer::reload() {
    const Teacher* t = selectedTeacher();
    const Course* c = selectedCourse();
    const QString teacherKey = t ? t->key : QString();
    const QString courseKey = c ? c->key : QString();
    {
        db::Connection conn(s_.databasePath());
        staff_ = lehrer::read(conn, s_.SchjID);
    }
    showLines();
    for (size_t i = 0; i < staff_.teachers.size(); ++i)
        if (!teacherKey.isEmpty() && lehrer::sameKey(staff_.teachers[i].key, teacherKey))
            lstLehrer.setCurrent(static_cast<int>(i));
    for (size_t i = 0; i < staff_.courses.size(); ++i)
        if (!courseKey.isEmpty() && lehrer::sameKey(staff_.courses[i].key, courseKey))
            lstKurse.setCurrent(static_cast<int>(i));
    enableCommands();
}

void frmLehrer::showLines() {
    QStringList teachers;
    for (const Teacher& t : staff_.teachers) {
        const lehrer::Load load = staff_.loadOf(t);
        QStringList courses;
        for (const Course* c : load.courses)
            courses << c->bez;
        teachers << fields(
            {t.kuerzel, t.name, QString::number(load.hours), courses.join(QStringLiteral(", ")),
             load.rails.join(QStringLiteral(", ")), load.clashRails.join(QStringLiteral(", "))});
    }
    lstLehrer.setLines(teachers);
    QStringList courses;
    for (const Course& c : staff_.courses) {
        const Teacher* t = staff_.teacherOf(c);
        courses << fields({c.bez, QString::number(c.hours), c.rails.join(QStringLiteral(", ")),
                           t ? lehrer::named(*t) : QString()});
    }
    lstKurse.setLines(courses);
}

void frmLehrer::enableCommands() {
    const Teacher* t = selectedTeacher();
    const Course* c = selectedCourse();
    setEnabled(QStringLiteral("cmdUmbenennen"), t);
    setEnabled(QStringLiteral("cmdLoeschen"), t);
    setEnabled(QStringLiteral("cmdZuordnen"), t && c);
    setEnabled(QStringLiteral("cmdOhne"), c && !c->teacher.trimmed().isEmpty());
    emit changed();
}

const Teacher* frmLehrer::selectedTeacher() const {
    const int i = lstLehrer.currentIndex();
    return i >= 0 && i < static_cast<int>(staff_.teachers.size())
               ? &staff_.teachers[static_cast<size_t>(i)]
               : nullptr;
}

const Course* frmLehrer::selectedCourse() const {
    const int i = lstKurse.currentIndex();
    return i >= 0 && i < static_cast<int>(staff_.courses.size())
               ? &staff_.courses[static_cast<size_t>(i)]
               : nullptr;
}

void frmLehrer::lstLehrer_Click() {
    enableCommands();
}

void frmLehrer::lstKurse_Click() {
    enableCommands();
}

bool frmLehrer::askNames(QString& kuerzel, QString& name) {
    const std::optional<QString> k = host_.inputBox(
        QStringLiteral("Kürzel des Lehrers (höchstens 4 Zeichen):"), kTitle, kuerzel);
    if (!k)
        return false;
    const std::optional<QString> n = host_.inputBox(
        QStringLiteral("Name des Lehrers (höchstens 30 Zeichen, kann leer bleiben):"), kTitle,
        name);
    if (!n)
        return false;
    kuerzel = k->trimmed();
    name = n->trimmed();
    return true;
}

void frmLehrer::write(const std::function<void(db::Connection&)>& change) {
    try {
        db::Connection c(s_.databasePath());
        change(c);
    } catch (const lehrer::Refused& r) {
        ui::tell(host_, r.reason(), ui::Icon::Exclamation);
    } catch (...) {
        reload();
        throw;
    }
    reload();
}

void frmLehrer::cmdNeu_Click() {
    QString kuerzel, name;
    if (!askNames(kuerzel, name))
        return;
    QString key;
    write([&](db::Connection& c) { key = lehrer::add(c, kuerzel, name); });
    for (size_t i = 0; i < staff_.teachers.size(); ++i)
        if (!key.isEmpty() && lehrer::sameKey(staff_.teachers[i].key, key))
            lstLehrer.setCurrent(static_cast<int>(i));
    enableCommands();
}

void frmLehrer::cmdUmbenennen_Click() {
    const Teacher* t = selectedTeacher();
    if (!t)
        return;
    const Teacher read = *t;
    QString kuerzel = read.kuerzel, name = read.name;
    if (!askNames(kuerzel, name))
        return;
    write([&](db::Connection& c) { lehrer::rename(c, read, kuerzel, name); });
}

void frmLehrer::cmdLoeschen_Click() {
    const Teacher* t = selectedTeacher();
    if (!t)
        return;
    const Teacher read = *t;
    // One who still teaches is refused at once, naming his courses; the write checks again.
    if (staff_.loadOf(read).courses.empty()) {
        QStringList former;
        {
            db::Connection c(s_.databasePath());
            former = lehrer::formerCourses(c, read, s_.SchjID);
        }
        QString text = QStringLiteral("Den Lehrer %1 löschen?").arg(lehrer::named(read));
        if (!former.isEmpty())
            text +=
                platform::kCrLf +
                QStringLiteral("Die Kurse %1 früherer Schuljahre haben dann keinen Lehrer mehr.")
                    .arg(former.join(QStringLiteral(", ")));
        if (host_.message({text, kTitle, ui::Icon::Question, ui::Buttons::YesNo, 1,
                           std::nullopt}) != ui::Answer::Yes)
            return;
    }
    write([&](db::Connection& c) { lehrer::remove(c, read, s_.SchjID); });
}

void frmLehrer::cmdZuordnen_Click() {
    const Teacher* t = selectedTeacher();
    const Course* c = selectedCourse();
    if (!t || !c)
        return;
    const Course read = *c;
    const QString key = t->key;
    write([&](db::Connection& conn) { lehrer::assign(conn, read, key); });
}

void frmLehrer::cmdOhne_Click() {
    const Course* c = selectedCourse();
    if (!c)
        return;
    const Course read = *c;
    write([&](db::Connection& conn) { lehrer::assign(conn, read, QString()); });
}

void frmLehrer::cmdSchliessen_Click() {
    host_.hide(*this);
}

void showLehrer(platform::RunState& s, ui::Host& host) {
    frmLehrer w(s, host);
    w.Form_Load();
    host.showModal(w);
}

} // namespace editors
