#include "natterby/mainwindow/nicklist.h"

#include "natterby/mainwindow/typedkeys.h"

#include <QKeyEvent>
#include <QScrollBar>

namespace natterby::mainwindow {

NickList::NickList(RowIcon rowIcon, Shown shown, QWidget* parent)
    : QListWidget(parent), rowIcon_(std::move(rowIcon)), shown_(std::move(shown)) {
    setIconSize(QSize(32, 16));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setUniformItemSizes(true);
}

void NickList::showRows(const protocol::Roster& roster) {
    const std::optional<std::string> selected = selectedNick();
    const int scrolled = verticalScrollBar()->value();
    const QSignalBlocker quiet(this);
    clear();
    nicks_.clear();
    for (const protocol::RosterRow& row : roster.rows()) {
        auto* item = new QListWidgetItem(rowIcon_(row.status, row.stateImage), shown_(row.nick));
        addItem(item);
        nicks_.push_back(row.nick);
        if (selected == row.nick) {
            item->setSelected(true);
            setCurrentItem(item);
        }
    }
    // A long list stays where the user scrolled it while peers come and go.
    verticalScrollBar()->setValue(scrolled);
}

std::optional<std::string> NickList::selectedNick() const {
    const QList<QListWidgetItem*> items = selectedItems();
    if (items.isEmpty()) {
        return std::nullopt;
    }
    const int at = row(items.front());
    if (at < 0 || static_cast<std::size_t>(at) >= nicks_.size()) {
        return std::nullopt;
    }
    return nicks_[static_cast<std::size_t>(at)];
}

void NickList::keyPressEvent(QKeyEvent* event) {
    emit touched();
    if (belongsToChatLine(*event)) {
        emit typed(event->text());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void NickList::mousePressEvent(QMouseEvent* event) {
    emit touched();
    // A click beside the rows selects nobody, so that the nick menu offers only what needs no
    // nick.
    if (itemAt(event->position().toPoint()) == nullptr) {
        clearSelection();
        setCurrentItem(nullptr);
    }
    QListWidget::mousePressEvent(event);
}

void NickList::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QListWidgetItem* item = itemAt(event->position().toPoint());
    if (item == nullptr) {
        return;
    }
    const int at = row(item);
    if (at >= 0 && static_cast<std::size_t>(at) < nicks_.size()) {
        emit nickClicked(nicks_[static_cast<std::size_t>(at)]);
    }
}

} // namespace natterby::mainwindow
