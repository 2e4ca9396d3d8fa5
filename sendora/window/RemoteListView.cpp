#include "sendora/window/RemoteListView.h"

#include "sendora/window/RemoteListModel.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace {

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

RemoteListView::RemoteListView(QWidget* parent) : QTreeView(parent), rows_(new RemoteListModel(this))
{
    setModel(rows_);
    rows_->setSelectionModel(selectionModel());
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setItemDelegateForColumn(0, new LabelEditDelegate(this));
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
}

void RemoteListView::addColumn(const QString& key, const QString& caption, int widthPixels,
                               Qt::Alignment alignment)
{
    rows_->addColumn(key, caption, alignment);
    setColumnWidth(rows_->columnCount() - 1, widthPixels);
}

int RemoteListView::columnOf(const QString& key) const
{
    return rows_->columnOf(key);
}

QStringList RemoteListView::columnKeys() const
{
    return rows_->columnKeys();
}

const RemoteListRow* RemoteListView::headerItem() const
{
    return rows_->headerRow();
}

RemoteListRow* RemoteListView::insertRow(int position, const QString& text, const QIcon& icon,
                                         const QString& iconKey)
{
    return rows_->insertRow(position - 1, text, icon, iconKey);
}

RemoteListRow* RemoteListView::appendRow(const QString& text, const QIcon& icon, const QString& iconKey)
{
    return rows_->insertRow(rows_->count(), text, icon, iconKey);
}

RemoteListRow* RemoteListView::insertEntryRow(int position, const RemoteListEntry& entry)
{
    return rows_->insertEntry(position - 1, entry);
}

void RemoteListView::reserveRows(int count)
{
    rows_->reserve(count);
}

RemoteListRow* RemoteListView::row(int index) const
{
    return rows_->row(index);
}

int RemoteListView::rowCount() const
{
    return rows_->count();
}

int RemoteListView::indexOf(const RemoteListRow* row) const
{
    return rows_->indexOf(row);
}

void RemoteListView::clear()
{
    editing_ = QPersistentModelIndex();
    rows_->clear();
}

QString RemoteListView::tag(const RemoteListRow* row)
{
    return row && row->model_ ? row->model_->tag(*row) : QString();
}

void RemoteListView::setTag(RemoteListRow* row, const QString& tag)
{
    if (row && row->model_)
        row->model_->setTag(*row, tag);
}

QString RemoteListView::iconKey(const RemoteListRow* row)
{
    return row && row->model_ ? row->model_->iconKey(*row) : QString();
}

void RemoteListView::setIcon(RemoteListRow* row, const QIcon& icon, const QString& iconKey)
{
    if (row && row->model_)
        row->model_->setIcon(*row, icon, iconKey);
}

quint32 RemoteListView::attributes(const RemoteListRow* row)
{
    return row && row->model_ ? row->model_->attributes(*row) : 0;
}

QString RemoteListView::subItem(const RemoteListRow* row, const QString& key) const
{
    const int column = columnOf(key);
    return row && column >= 0 ? row->text(column) : QString();
}

void RemoteListView::setSubItem(RemoteListRow* row, const QString& key, const QString& text)
{
    const int column = columnOf(key);
    if (row && column >= 0 && row->model_ == rows_)
        rows_->setText(*row, column, text);
}

RemoteListRow* RemoteListView::selectedRow() const
{
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isRowSelected(current.row(), QModelIndex()))
        return row(current.row());
    int first = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (first < 0 || range.top() < first)
            first = range.top();
    }
    return row(first);
}

void RemoteListView::selectOnly(RemoteListRow* row)
{
    clearSelection();
    const QModelIndex at = rows_->indexOfRow(row);
    if (at.isValid())
        selectionModel()->setCurrentIndex(at,
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void RemoteListView::setCurrentItem(RemoteListRow* row)
{
    setCurrentIndex(rows_->indexOfRow(row));
}

void RemoteListView::startLabelEdit(RemoteListRow* row)
{
    const QModelIndex at = rows_->indexOfRow(row);
    if (!at.isValid())
        return;
    editing_ = at;
    scrollTo(at);
    edit(at);
}

RemoteListRow* RemoteListView::editingItem() const
{
    return editing_.isValid() ? row(editing_.row()) : nullptr;
}

bool RemoteListView::finishLabelEdit(const QString& newText)
{
    if (!editing_.isValid())
        return false;
    // The handler still sees the edited row as editingItem().
    const bool cancel = afterLabelEdit_ ? afterLabelEdit_(newText) : false;
    const QPersistentModelIndex edited = editing_;
    editing_ = QPersistentModelIndex();
    if (!cancel && edited.isValid())
        rows_->setText(*row(edited.row()), 0, newText);
    return !cancel;
}

void RemoteListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    emit DblClick();
}

void RemoteListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
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
