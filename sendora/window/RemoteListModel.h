#pragma once

#include "sendora/window/GapVector.h"
#include "sendora/window/RemoteListRow.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <vector>

class QItemSelectionModel;

// The rows of the remote list and their columns, addressed by key. The texts
// of the SIZE, ACCESS and ATTR columns are made from a row's values when the
// view asks for them; rows keep the order in which they were inserted.
class RemoteListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit RemoteListModel(QObject* parent = nullptr);

    void addColumn(const QString& key, const QString& caption, Qt::Alignment alignment);
    int columnOf(const QString& key) const { return int(keys_.indexOf(key)); }
    QStringList columnKeys() const { return keys_; }
    // The captions, as a row's texts.
    const RemoteListRow* headerRow() const { return &header_; }

    int count() const { return int(order_.size()); }
    RemoteListRow* row(int index) const;
    // -1 for a row that is not in the list.
    int indexOf(const RemoteListRow* row) const;
    QModelIndex indexOfRow(const RemoteListRow* row, int column = 0) const;
    RemoteListRow* insertRow(int index, const QString& text, const QIcon& icon, const QString& iconKey);
    RemoteListRow* insertEntry(int index, const RemoteListEntry& entry);
    void reserve(int count) { order_.reserve(count); }
    void clear();

    QString tag(const RemoteListRow& row) const { return tags_.at(row.tag_); }
    void setTag(RemoteListRow& row, const QString& tag);
    QString iconKey(const RemoteListRow& row) const { return pictures_.at(row.picture_).key; }
    void setIcon(RemoteListRow& row, const QIcon& icon, const QString& iconKey);
    quint32 attributes(const RemoteListRow& row) const { return row.attributes_; }
    QString text(const RemoteListRow& row, int column) const;
    void setText(RemoteListRow& row, int column, const QString& text);

    // Selection lives in the view; rows answer for it through the model.
    void setSelectionModel(QItemSelectionModel* selection) { selection_ = selection; }
    bool isSelected(const RemoteListRow& row) const;
    void setSelected(RemoteListRow& row, bool selected);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Picture
    {
        QString key;
        QIcon icon;
    };

    RemoteListRow& newRow(int index);
    quint8 tagIndex(const QString& tag);
    quint8 pictureIndex(const QIcon& icon, const QString& key);
    void rowChanged(const RemoteListRow& row);

    QStringList keys_;
    QList<Qt::Alignment> alignments_;
    RemoteListRow header_;
    // Rows stay where they were made, in blocks; the order is a sequence of pointers.
    std::vector<std::unique_ptr<RemoteListRow[]>> blocks_;
    int usedInLastBlock_ = 0;
    GapVector<RemoteListRow*> order_;
    // Few distinct tags and pictures are shared by all rows; entry 0 is none.
    QStringList tags_{QString()};
    QList<Picture> pictures_{Picture()};
    QPointer<QItemSelectionModel> selection_;
};
