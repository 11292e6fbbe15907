#pragma once

#include "editors/LehrerWrites.h"
#include "ui/ListBox.h"
#include "ui/Window.h"

#include <QString>
#include <QStringList>

namespace ui {
class Host;
}
namespace platform {
struct RunState;
}

namespace editors {

// "Lehrer" (Bearbeiten - Lehrer ...): the teachers with their courses of the school year, the
// hours these add up to and the rails they are on, rails with two of a teacher's courses named;
// below, every course of the school year with its teacher. A teacher is added, renamed or
// deleted (not one who still teaches); a course gets the teacher selected above ("Zuordnen") or
// none. The lines hold their fields separated by tabs, as SpaltenLehrer and SpaltenKurse name
// them. Every command works on a connection of its own and checks there that the teacher or
// course it changes is as the lists show it; a refusal says why and the lists are read anew.
class frmLehrer : public ui::Window {
    Q_OBJECT
public:
    frmLehrer(platform::RunState& s, ui::Host& host);

    const QString lblLehrer = QStringLiteral("Lehrer");
    const QString lblKurse = QStringLiteral("Kurse des Schuljahres");
    const QStringList SpaltenLehrer{
        QStringLiteral("Kürzel"), QStringLiteral("Name"),     QStringLiteral("Stunden"),
        QStringLiteral("Kurse"),  QStringLiteral("Schienen"), QStringLiteral("Mehrere Kurse auf")};
    const QStringList SpaltenKurse{QStringLiteral("Kurs"), QStringLiteral("Stunden"),
                                   QStringLiteral("Schienen"), QStringLiteral("Lehrer")};
    ui::ListBox lstLehrer{false};
    ui::ListBox lstKurse{false};

    void Form_Load();
    // A teacher or course selected: what the buttons can do follows.
    void lstLehrer_Click();
    void lstKurse_Click();
    void cmdNeu_Click();
    void cmdUmbenennen_Click();
    void cmdLoeschen_Click();
    void cmdZuordnen_Click();
    void cmdOhne_Click();
    void cmdSchliessen_Click();

    const lehrer::Staff& staff() const { return staff_; }

private:
    // Reads the lists anew, keeping the selected teacher and course where they still are.
    void reload();
    void showLines();
    void enableCommands();
    const lehrer::Teacher* selectedTeacher() const;
    const lehrer::Course* selectedCourse() const;
    // Asks for a short name and a name, proposing the given ones; false when cancelled.
    bool askNames(QString& kuerzel, QString& name);
    // Runs a write on a connection of its own; a refusal is said, and the lists follow the file.
    void write(const std::function<void(db::Connection&)>& change);

    platform::RunState& s_;
    ui::Host& host_;
    lehrer::Staff staff_;
};

// Bearbeiten - "Lehrer ...": loads frmLehrer and shows it modally.
void showLehrer(platform::RunState& s, ui::Host& host);

} // namespace editors
