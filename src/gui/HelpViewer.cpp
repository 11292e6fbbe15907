#include "gui/HelpViewer.h"

#include "common/Help.h"
#include "ui/Host.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPointer>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

static void initHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace gui {

namespace {

QPointer<HelpViewer>& theViewer() {
    static QPointer<HelpViewer> viewer;
    return viewer;
}

const QString kHelpRoot = QStringLiteral("qrc:/help/");

} // namespace

HelpViewer::HelpViewer() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("Hilfe"));
    setWindowTitle(QStringLiteral("Hilfe - ") + ui::kTitle);
    resize(900, 640);
    auto* layout = new QHBoxLayout(this);
    index_ = new QListWidget(this);
    index_->setMaximumWidth(260);
    browser_ = new QTextBrowser(this);
    browser_->setSearchPaths({QStringLiteral(":/help")});
    for (const auto& p : common::helpPages()) {
        auto* item = new QListWidgetItem(p.title, index_);
        item->setData(Qt::UserRole, p.file);
    }
    layout->addWidget(index_);
    layout->addWidget(browser_, 1);
    connect(index_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            browser_->setSource(QUrl(kHelpRoot + item->data(Qt::UserRole).toString()));
    });
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpViewer::followPage);
}

HelpViewer* HelpViewer::instance() {
    return theViewer().data();
}

HelpViewer* HelpViewer::show(const ui::HelpRef& ref) {
    initHelpResources();
    QPointer<HelpViewer>& viewer = theViewer();
    if (!viewer)
        viewer = new HelpViewer;
    viewer->open(common::helpPage(ref));
    return viewer;
}

void HelpViewer::open(const QString& page) {
    browser_->setSource(QUrl(kHelpRoot + page));
    stayAboveModal();
    QWidget::show();
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this)
        keepClearOf(modal->window());
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void HelpViewer::keepClearOf(const QWidget* box) {
    const QRect boxArea = box->frameGeometry();
    if (!frameGeometry().intersects(boxArea))
        return;
    const QScreen* screen = box->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The free strips beside the box on its screen: right, left, below, above; the help goes
    // into the one that holds most of it.
    const QRect strips[] = {
        QRect(QPoint(boxArea.right() + 1, area.top()), area.bottomRight()),
        QRect(area.topLeft(), QPoint(boxArea.left() - 1, area.bottom())),
        QRect(QPoint(area.left(), boxArea.bottom() + 1), area.bottomRight()),
        QRect(area.topLeft(), QPoint(area.right(), boxArea.top() - 1)),
    };
    const QSize frame = frameGeometry().size() - size();
    const QSize wanted = frameGeometry().size();
    QRect best;
    long long bestArea = 0;
    for (const QRect& strip : strips) {
        const QSize fits = wanted.boundedTo(strip.size());
        const long long a =
            fits.isValid() ? static_cast<long long>(fits.width()) * fits.height() : 0;
        if (a > bestArea) {
            bestArea = a;
            best = QRect(strip.topLeft(), fits);
        }
    }
    if (bestArea == 0)
        return;
    resize(best.size() - frame);
    move(best.topLeft());
}

void HelpViewer::followPage(const QUrl& url) {
    const QString file = url.fileName();
    for (int i = 0; i < index_->count(); ++i) {
        if (index_->item(i)->data(Qt::UserRole).toString() != file)
            continue;
        if (index_->currentRow() != i) {
            const QSignalBlocker quiet(index_);
            index_->setCurrentRow(i);
        }
        return;
    }
}

void HelpViewer::stayAboveModal() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == this)
        return;
    winId(); // the window handle exists from here on
    QWindow* parent = modal ? modal->window()->windowHandle() : nullptr;
    if (!windowHandle() || windowHandle()->transientParent() == parent)
        return;
    windowHandle()->setTransientParent(parent);
    // When that window goes, the help stays with the next modal window, or with none.
    disconnect(parentGone_);
    if (parent)
        parentGone_ = connect(parent, &QWindow::visibleChanged, this, [this](bool visible) {
            if (!visible)
                QTimer::singleShot(0, this, &HelpViewer::stayAboveModal);
        });
}

bool HelpViewer::event(QEvent* e) {
    // A modal window opened while the help is open: the help moves in front of it and stays
    // usable. Its closing leaves the help with the next modal window, or with none.
    if (e->type() == QEvent::WindowBlocked || e->type() == QEvent::WindowUnblocked ||
        e->type() == QEvent::Show)
        stayAboveModal();
    return QWidget::event(e);
}

} // namespace gui
