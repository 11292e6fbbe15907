#include "gui/HelpViewer.h"

#include "common/Help.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPointer>
#include <QTextBrowser>

static void initHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace gui {

namespace {

class HelpDialog : public QDialog {
public:
    explicit HelpDialog(QWidget* parent) : QDialog(parent) {
        setWindowTitle(QStringLiteral("Hilfe - Kurs- und Blockbildung"));
        resize(820, 600);
        auto* layout = new QHBoxLayout(this);
        index_ = new QListWidget(this);
        index_->setMaximumWidth(230);
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
                browser_->setSource(
                    QUrl(QStringLiteral("qrc:/help/") + item->data(Qt::UserRole).toString()));
        });
    }
    void open(const QString& page) {
        for (int i = 0; i < index_->count(); ++i)
            if (index_->item(i)->data(Qt::UserRole).toString() == page)
                index_->setCurrentRow(i);
        browser_->setSource(QUrl(QStringLiteral("qrc:/help/") + page));
        show();
        raise();
        activateWindow();
    }

private:
    QListWidget* index_;
    QTextBrowser* browser_;
};

} // namespace

void HelpViewer::show(const ui::HelpRef& ref, QWidget* parent) {
    static QPointer<HelpDialog> dialog;
    initHelpResources();
    if (!dialog)
        dialog = new HelpDialog(parent);
    dialog->open(common::helpPage(ref));
}

} // namespace gui
