#include "pages/PageJob.h"

#include "platform/Files.h"
#include "ui/Host.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <stdexcept>

namespace pages {

namespace {

constexpr double kDefaultSize = 10;

bool installed(const QString& family) {
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

QString withoutTrailingBlanks(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
        --n;
    return s.left(n);
}

} // namespace

QPageLayout pageLayout(ui::Orientation orientation) {
    return QPageLayout(QPageSize(QPageSize::A4),
                       orientation == ui::Orientation::Landscape ? QPageLayout::Landscape
                                                                 : QPageLayout::Portrait,
                       QMarginsF(5, 8, 5, 8), QPageLayout::Millimeter);
}

QFont fixedFont(const QString& family, double pointSize) {
    QFont f;
    if (installed(family))
        f = QFont(family);
    else if (installed(QStringLiteral("Liberation Mono")))
        f = QFont(QStringLiteral("Liberation Mono"));
    else
        f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSizeF(pointSize > 0 ? pointSize : kDefaultSize);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setKerning(false);
    return f;
}

void PageJob::setFont(const QString& name, double pointSize) {
    ops_.push_back({Op::Font, name, pointSize, false});
}
void PageJob::setBold(bool on) {
    ops_.push_back({Op::Bold, {}, 0, on});
}
void PageJob::setUnderline(bool on) {
    ops_.push_back({Op::Underline, {}, 0, on});
}
void PageJob::printLine(const QString& text) {
    ops_.push_back({Op::Line, text, 0, false});
}
void PageJob::newPage() {
    ops_.push_back({Op::Page, {}, 0, false});
}

int PageJob::paint(QPagedPaintDevice& device) const {
    QPainter p(&device);
    if (!p.isActive())
        return 0;
    const QRect area = device.pageLayout().paintRectPixels(device.logicalDpiX());
    const QRect page(0, 0, area.width(), area.height());
    p.setClipRect(page);
    p.setFont(fixedFont(ui::kCourierNew, kDefaultSize));
    int pages = 1;
    double y = 0;
    const auto breakPage = [&]() {
        device.newPage();
        ++pages;
        y = 0;
    };
    for (const Op& op : ops_) {
        QFont f = p.font();
        switch (op.kind) {
        case Op::Font:
            f = fixedFont(op.text, op.size);
            f.setBold(p.font().bold());
            f.setUnderline(p.font().underline());
            break;
        case Op::Bold:
            f.setBold(op.on);
            break;
        case Op::Underline:
            f.setUnderline(op.on);
            break;
        case Op::Line: {
            const QFontMetricsF m(p.font(), &device);
            if (y > 0 && y + m.height() > page.height())
                breakPage();
            p.drawText(QPointF(0, y + m.ascent()), withoutTrailingBlanks(op.text));
            y += m.lineSpacing();
            break;
        }
        case Op::Page:
            breakPage();
            break;
        }
        if (op.kind != Op::Line && op.kind != Op::Page)
            p.setFont(f);
    }
    return pages;
}

void PageJob::writePdf(const QString& path) const {
    // The pages are made in memory and then written whole: a failing write or sync leaves the
    // previous file as it was.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(1200);
        pdf.setTitle(ui::kTitle);
        pdf.setCreator(ui::kTitle);
        pdf.setPageLayout(pageLayout(orientation_));
        if (paint(pdf) == 0)
            throw std::runtime_error(QStringLiteral("Die PDF-Datei %1 kann nicht erzeugt werden.")
                                         .arg(path)
                                         .toStdString());
    }
    platform::writeFileAtomically(path, [&](QIODevice& out) { out.write(buffer.data()); });
}

} // namespace pages
