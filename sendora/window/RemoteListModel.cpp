#include "sendora/window/RemoteListModel.h"

#include "sendora/window/BrowserText.h"

#include <QItemSelectionModel>

namespace {

// Tables of tags and pictures are indexed by one byte; more distinct values
// than that share entry 0 (none).
constexpr qsizetype kMaxTableEntries = 256;
constexpr int kRowsPerBlock = 4096;

static_assert(sizeof(RemoteListRow) <= 72, "a row stays small: a listing may hold a million");

} // namespace

QString RemoteListRow::text(int column) const
{
    return model_ ? model_->text(*this, column) : QString();
}

bool RemoteListRow::isSelected() const
{
    return model_ && model_->isSelected(*this);
}

void RemoteListRow::setSelected(bool selected)
{
    if (model_)
        model_->setSelected(*this, selected);
}

RemoteListModel::RemoteListModel(QObject* parent) : QAbstractTableModel(parent)
{
    header_.model_ = this;
    header_.texts_ = std::make_unique<QStringList>();
}

void RemoteListModel::addColumn(const QString& key, const QString& caption, Qt::Alignment alignment)
{
    const int column = int(keys_.size());
    beginInsertColumns(QModelIndex(), column, column);
    keys_.append(key);
    alignments_.append(alignment);
    if (column == 0)
        header_.name_ = caption;
    header_.texts_->append(caption);
    endInsertColumns();
}

RemoteListRow* RemoteListModel::row(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    RemoteListRow* row = order_[index];
    row->position_ = index;
    return row;
}

int RemoteListModel::indexOf(const RemoteListRow* row) const
{
    if (!row || row->model_ != this || row == &header_)
        return -1;
    // Rows only move on as others go in before them: look from where it was last seen.
    for (int at = qMax(0, row->position_); at < count(); ++at) {
        if (order_[at] == row) {
            row->position_ = at;
            return at;
        }
    }
    for (int at = qMin(row->position_, count()) - 1; at >= 0; --at) {
        if (order_[at] == row) {
            row->position_ = at;
            return at;
        }
    }
    return -1;
}

QModelIndex RemoteListModel::indexOfRow(const RemoteListRow* row, int column) const
{
    const int at = indexOf(row);
    return at >= 0 ? index(at, column) : QModelIndex();
}

RemoteListRow& RemoteListModel::newRow(int index)
{
    if (blocks_.empty() || usedInLastBlock_ == kRowsPerBlock) {
        blocks_.push_back(std::make_unique<RemoteListRow[]>(kRowsPerBlock));
        usedInLastBlock_ = 0;
    }
    RemoteListRow& row = blocks_.back()[usedInLastBlock_++];
    row.model_ = this;
    row.position_ = index;
    order_.insert(index) = &row;
    return row;
}

RemoteListRow* RemoteListModel::insertRow(int index, const QString& text, const QIcon& icon,
                                          const QString& iconKey)
{
    index = qBound(0, index, count());
    beginInsertRows(QModelIndex(), index, index);
    RemoteListRow& row = newRow(index);
    row.name_ = text;
    row.picture_ = pictureIndex(icon, iconKey);
    endInsertRows();
    return &row;
}

RemoteListRow* RemoteListModel::insertEntry(int index, const RemoteListEntry& entry)
{
    index = qBound(0, index, count());
    beginInsertRows(QModelIndex(), index, index);
    RemoteListRow& row = newRow(index);
    row.name_ = entry.name;
    row.tag_ = tagIndex(entry.tag);
    row.picture_ = pictureIndex(entry.icon, entry.iconKey);
    row.written_ = entry.written;
    row.attributes_ = entry.attributes;
    row.values_ = RemoteListRow::Written | RemoteListRow::Attributes;
    if (entry.size) {
        row.size_ = *entry.size;
        row.values_ |= RemoteListRow::Size;
    }
    endInsertRows();
    return &row;
}

void RemoteListModel::clear()
{
    beginResetModel();
    order_.clear();
    blocks_.clear();
    usedInLastBlock_ = 0;
    endResetModel();
}

quint8 RemoteListModel::tagIndex(const QString& tag)
{
    qsizetype at = tags_.indexOf(tag);
    if (at < 0 && tags_.size() < kMaxTableEntries) {
        at = tags_.size();
        tags_.append(tag);
    }
    return quint8(qMax<qsizetype>(at, 0));
}

quint8 RemoteListModel::pictureIndex(const QIcon& icon, const QString& key)
{
    for (qsizetype at = 0; at < pictures_.size(); ++at) {
        if (pictures_[at].key == key && pictures_[at].icon.cacheKey() == icon.cacheKey())
            return quint8(at);
    }
    if (pictures_.size() >= kMaxTableEntries)
        return 0;
    pictures_.append(Picture{key, icon});
    return quint8(pictures_.size() - 1);
}

void RemoteListModel::setTag(RemoteListRow& row, const QString& tag)
{
    row.tag_ = tagIndex(tag);
}

void RemoteListModel::setIcon(RemoteListRow& row, const QIcon& icon, const QString& iconKey)
{
    row.picture_ = pictureIndex(icon, iconKey);
    rowChanged(row);
}

QString RemoteListModel::text(const RemoteListRow& row, int column) const
{
    if (column == 0)
        return row.name_;
    if (column < 0 || column >= keys_.size())
        return QString();
    const QString& key = keys_.at(column);
    if (key == QLatin1String("SIZE") && (row.values_ & RemoteListRow::Size))
        return QString::number(row.size_);
    if (key == QLatin1String("ACCESS") && (row.values_ & RemoteListRow::Written))
        return BrowserText::DateText(row.written_);
    if (key == QLatin1String("ATTR") && (row.values_ & RemoteListRow::Attributes))
        return BrowserText::AttrText(row.attributes_);
    return row.texts_ && column < row.texts_->size() ? row.texts_->at(column) : QString();
}

void RemoteListModel::setText(RemoteListRow& row, int column, const QString& text)
{
    if (column < 0 || column >= keys_.size())
        return;
    if (column == 0) {
        row.name_ = text;
    } else {
        // A text given for a column replaces the value it would be made from.
        const QString& key = keys_.at(column);
        if (key == QLatin1String("SIZE"))
            row.values_ &= ~RemoteListRow::Size;
        else if (key == QLatin1String("ACCESS"))
            row.values_ &= ~RemoteListRow::Written;
        else if (key == QLatin1String("ATTR"))
            row.values_ &= ~RemoteListRow::Attributes;
        if (!row.texts_)
            row.texts_ = std::make_unique<QStringList>();
        while (row.texts_->size() <= column)
            row.texts_->append(QString());
        (*row.texts_)[column] = text;
    }
    rowChanged(row);
}

bool RemoteListModel::isSelected(const RemoteListRow& row) const
{
    const int at = indexOf(&row);
    return selection_ && at >= 0 && selection_->isRowSelected(at, QModelIndex());
}

void RemoteListModel::setSelected(RemoteListRow& row, bool selected)
{
    const QModelIndex at = indexOfRow(&row);
    if (selection_ && at.isValid())
        selection_->select(at, (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                                   QItemSelectionModel::Rows);
}

void RemoteListModel::rowChanged(const RemoteListRow& row)
{
    const int at = indexOf(&row);
    if (at >= 0)
        emit dataChanged(index(at, 0), index(at, columnCount() - 1));
}

int RemoteListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int RemoteListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(keys_.size());
}

QVariant RemoteListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return QVariant();
    const RemoteListRow& row = *order_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(row, index.column());
    case Qt::DecorationRole:
        return index.column() == 0 ? QVariant(pictures_.at(row.picture_).icon) : QVariant();
    case Qt::TextAlignmentRole:
        return int(alignments_.value(index.column()) | Qt::AlignVCenter);
    default:
        return QVariant();
    }
}

QVariant RemoteListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= keys_.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return header_.texts_->at(section);
    if (role == Qt::TextAlignmentRole)
        return int(alignments_.at(section) | Qt::AlignVCenter);
    return QVariant();
}

Qt::ItemFlags RemoteListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        flags |= Qt::ItemIsEditable;
    return flags;
}
