#include "sendora/window/RemoteListView.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace {

constexpr int kTagRole = Qt::UserRole;
constexpr int kIconKeyRole = Qt::UserRole + 1;

// Commits an edited row text only when the list's handler does not cancel it.
class LabelEditDelegate : public QStyledItemDelegate
{
public:
    explicit LabelEditDelegate(RemoteListView* view) : QStyledItemDelegate(view), view_(view) {}

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex&) const override
    {
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            view_->finishLabelEdit(line->text());
    }

private:
    RemoteListView* view_;
};

} // namespace

RemoteListView::RemoteListView(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(0);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setItemDelegateForColumn(0, new LabelEditDelegate(this));
    header()->setStretchLastSection(false);
}

void RemoteListView::addColumn(const QString& key, const QString& caption, int widthPixels,
                               Qt::Alignment alignment)
{
    keys_.append(key);
    const int column = static_cast<int>(keys_.size()) - 1;
    setColumnCount(column + 1);
    QTreeWidgetItem* head = headerItem();
    head->setText(column, caption);
    head->setTextAlignment(column, alignment | Qt::AlignVCenter);
    setColumnWidth(column, widthPixels);
}

QTreeWidgetItem* RemoteListView::insertRow(int position, const QString& text, const QIcon& icon,
                                           const QString& iconKey)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, text);
    item->setIcon(0, icon);
    item->setData(0, kIconKeyRole, iconKey);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    for (int column = 1; column < columnCount(); ++column)
        item->setTextAlignment(column, Qt::Alignment(headerItem()->textAlignment(column)));
    insertTopLevelItem(qBound(0, position - 1, rowCount()), item);
    return item;
}

QTreeWidgetItem* RemoteListView::appendRow(const QString& text, const QIcon& icon, const QString& iconKey)
{
    return insertRow(rowCount() + 1, text, icon, iconKey);
}

QString RemoteListView::tag(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kTagRole).toString() : QString();
}

void RemoteListView::setTag(QTreeWidgetItem* item, const QString& tag)
{
    item->setData(0, kTagRole, tag);
}

QString RemoteListView::iconKey(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kIconKeyRole).toString() : QString();
}

QString RemoteListView::subItem(const QTreeWidgetItem* item, const QString& key) const
{
    const int column = columnOf(key);
    return item && column >= 0 ? item->text(column) : QString();
}

void RemoteListView::setSubItem(QTreeWidgetItem* item, const QString& key, const QString& text)
{
    const int column = columnOf(key);
    if (item && column >= 0)
        item->setText(column, text);
}

QTreeWidgetItem* RemoteListView::selectedRow() const
{
    QTreeWidgetItem* current = currentItem();
    if (current && current->isSelected())
        return current;
    for (int i = 0; i < rowCount(); ++i) {
        if (row(i)->isSelected())
            return row(i);
    }
    return nullptr;
}

void RemoteListView::selectOnly(QTreeWidgetItem* item)
{
    clearSelection();
    if (!item)
        return;
    setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    item->setSelected(true);
}

void RemoteListView::startLabelEdit(QTreeWidgetItem* item)
{
    if (!item)
        return;
    editing_ = item;
    scrollToItem(item);
    editItem(item, 0);
}

bool RemoteListView::finishLabelEdit(const QString& newText)
{
    QTreeWidgetItem* item = editing_;
    if (!item)
        return false;
    // The handler still sees the edited row as editingItem().
    const bool cancel = afterLabelEdit_ ? afterLabelEdit_(newText) : false;
    editing_ = nullptr;
    if (!cancel)
        item->setText(0, newText);
    return !cancel;
}

void RemoteListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    emit DblClick();
}

void RemoteListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    emit MouseUp(event->button(), event->position().toPoint());
}

// Whatever is dragged over the list is offered a copy; the drop handler
// decides what it takes.
void RemoteListView::dragEnterEvent(QDragEnterEvent* event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void RemoteListView::dragMoveEvent(QDragMoveEvent* event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void RemoteListView::dropEvent(QDropEvent* event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit OLEDragDrop(event->mimeData());
}
