#pragma once

#include "ui/ListBox.h"
#include "ui/Window.h"

#include <QString>

namespace ui {
class Host;
}

namespace placement {

class Workspace;

// "Kursauswahl": the chooser of "Kurs zuweisen". It offers the parallel courses of one course
// (lstK, each line the course name, a blank and its key) and hands the chosen key back through
// the placement window's lblNKurs: the key of the first selected line on "&Ok", "" on "&Abbruch".
// Closing the window by its close box (or Escape) counts as "&Abbruch". Its commands: cmdOK
// "&Ok", cmdCancel "&Abbruch".
class frmK : public ui::Window {
    Q_OBJECT
public:
    frmK(Workspace& caller, ui::Host& host);

    const QString Label1 = QStringLiteral("Alternativen für Kurs: ");
    QString lblK; // the course whose parallels are offered
    const QString Label2 = QStringLiteral("Index:");
    QString lblKi; // that course's key
    ui::ListBox lstK{false};
    QStringList keys; // the course of each line of lstK

    // "&Ok": with no line selected says "Kein Kurs ausgewählt" and stays open.
    void cmdOK_Click();
    // "&Abbruch".
    void cmdCancel_Click();
    // The window is being closed other than by its buttons: as "&Abbruch".
    void Form_Unload();

    // Whether a button or the close box has closed the window.
    bool unloaded() const { return unloaded_; }

private:
    void unload(const QString& result);
    Workspace& caller_;
    ui::Host& host_;
    bool unloaded_ = false;
};

} // namespace placement
