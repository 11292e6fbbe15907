#pragma once

#include "ui/Window.h"

namespace ui {
class Host;
}

namespace common {

// The message window: a text of lines (txtFMld, Courier New) the user reads, prints or closes.
// The pre-assignment lists the choices it could not serve in it; the placement lists students
// with their courses (caption "Belegungen").
class frmFMld : public ui::Window {
    Q_OBJECT
public:
    explicit frmFMld(ui::Host& host);

    QString txtFMld;
    // What the lines are: plain text, or "Belegungen" lines (name and courses) that a view may
    // show in columns.
    enum class LineLayout { Text, Belegungen };
    LineLayout lineLayout = LineLayout::Text;
    void appendLine(const QString& line); // adds the line and CR LF
    QStringList lines() const;            // the text's lines, without the CR LF

    // "&drucken": prints the text on the default printer and ends the job.
    void cmddrucken_Click();
    // "&gelesen": closes the window.
    void cmdgelesen_Click();

private:
    ui::Host& host_;
};

} // namespace common
