#pragma once

#include "printing/TeacherRails.h"
#include "ui/Window.h"

#include <QString>

namespace ui {
class Host;
}

namespace placement {

class Workspace;

// "Lehrer je Schiene": the teachers of the workspace's courses by its rails as the grid stands,
// in each cell the teacher's courses on that rail; a cell of two or more is a clash and shown
// marked. "&Drucken" prints the table, "&Schließen" closes the window. It reads only the
// workspace and the teachers it loaded.
class frmLehrerSchienen : public ui::Window {
    Q_OBJECT
public:
    frmLehrerSchienen(Workspace& ws, ui::Host& host);

    const QString Label1 =
        QStringLiteral("Die Kurse jedes Lehrers auf den Schienen; rot: zwei oder mehr Kurse des "
                       "Lehrers auf einer Schiene.");
    QString lblKollisionen; // "Lehrerkollisionen beider Jahrgangsstufen: 3", "keine ..."
    printing::TeacherRails tabelle;

    void Form_Load();
    void cmdDrucken_Click();
    void cmdSchliessen_Click();

private:
    Workspace& ws_;
    ui::Host& host_;
};

} // namespace placement
