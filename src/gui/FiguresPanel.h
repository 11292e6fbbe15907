#pragma once

#include <QListWidget>
#include <QStringList>

namespace gui {

// The lines of the evaluation panel "Bewertung", each with its one-line explanation as tooltip
// (placement::figureTip); a line that opens a list (placement::listsWithoutCourse) is
// underlined, and a click or Enter on any line reports it by its number.
class FiguresPanel : public QListWidget {
    Q_OBJECT
public:
    explicit FiguresPanel(QWidget* parent);
    void setLines(const QStringList& lines);

signals:
    void lineActivated(int line);
};

} // namespace gui
