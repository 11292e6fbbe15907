#include "gui/KursgroessenView.h"

#include "gui/CommandButtons.h"
#include "gui/QtHost.h"
#include "printing/frmKursgroessen.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

namespace gui {

namespace {

constexpr int kBar = 26;    // width of a course's bar
constexpr int kGap = 18;    // between two groups
constexpr int kMargin = 36; // left, for the scale
constexpr int kBottom = 52; // course names and group labels
constexpr int kTop = 12;

int courseCount(const printing::frmKursgroessen& w) {
    int n = 0;
    for (const common::SizeGroup& g : w.groups)
        n += static_cast<int>(g.courses.size());
    return n;
}

int largest(const printing::frmKursgroessen& w) {
    int top = 1;
    for (const common::SizeGroup& g : w.groups)
        for (const common::SizeBar& b : g.courses)
            top = std::max({top, b.size, b.max, b.min});
    return top + 2;
}

} // namespace

CourseSizesChart::CourseSizesChart(const printing::frmKursgroessen& w, QWidget* parent)
    : QWidget(parent), w_(w) {
    setObjectName(QStringLiteral("chtKursgroessen"));
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

QSize CourseSizesChart::minimumSizeHint() const {
    const int groups = static_cast<int>(w_.groups.size());
    return {kMargin + courseCount(w_) * kBar + groups * kGap + 10, 260};
}

void CourseSizesChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int top = largest(w_);
    const int h = height() - kTop - kBottom;
    const auto yOf = [&](double v) { return kTop + h - static_cast<int>(v * h / top); };
    // The scale: a line every five students.
    p.setPen(QColor(225, 225, 225));
    for (int v = 0; v <= top; v += 5) {
        p.drawLine(kMargin, yOf(v), width(), yOf(v));
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRect(0, yOf(v) - 8, kMargin - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(v));
        p.setPen(QColor(225, 225, 225));
    }
    int x = kMargin + kGap / 2;
    for (const common::SizeGroup& g : w_.groups) {
        const int groupLeft = x;
        for (const common::SizeBar& b : g.courses) {
            const QRect bar(x + 3, yOf(b.size), kBar - 6, yOf(0) - yOf(b.size));
            p.fillRect(bar, b.outside() ? QColor(210, 50, 40) : QColor(90, 150, 90));
            p.setPen(QPen(Qt::black, 2));
            if (b.max > 0)
                p.drawLine(x + 1, yOf(b.max), x + kBar - 1, yOf(b.max));
            if (b.min > 0)
                p.drawLine(x + 1, yOf(b.min), x + kBar - 1, yOf(b.min));
            p.setPen(palette().color(QPalette::Text));
            p.drawText(QRect(x, bar.top() - 16, kBar, 16), Qt::AlignCenter,
                       QString::number(b.size));
            p.save();
            p.translate(x + kBar / 2 + 4, yOf(0) + 4);
            p.rotate(45);
            p.drawText(0, 0, b.course);
            p.restore();
            x += kBar;
        }
        p.setPen(QPen(QColor(30, 80, 200), 2, Qt::DashLine));
        p.drawLine(groupLeft, yOf(g.target), x, yOf(g.target));
        x += kGap;
    }
}

KursgroessenView::KursgroessenView(printing::frmKursgroessen& w, QtHost& host, QWidget* parent)
    : QDialog(parent), w_(w) {
    setWindowTitle(w_.caption());
    auto* layout = new QVBoxLayout(this);
    auto* legend = new QLabel(
        QStringLiteral("Balken: Schüler je Kurs, Parallelkurse nebeneinander; schwarze Striche: "
                       "Grenzen (KS_MIN, KS_MAX); blau gestrichelt: Zielgröße der Gruppe; rot: "
                       "außerhalb der Grenzen."),
        this);
    legend->setWordWrap(true);
    layout->addWidget(legend);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setWidget(new CourseSizesChart(w_, scroll));
    layout->addWidget(scroll, 1);
    auto* outside = new QLabel(w_.lblAusserhalb, this);
    outside->setObjectName(QStringLiteral("lblAusserhalb"));
    outside->setWordWrap(true);
    layout->addWidget(outside);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : commandButtons(w_, host, this))
        buttons->addWidget(b);
    layout->addLayout(buttons);
    resize(1000, 560);
}

} // namespace gui
