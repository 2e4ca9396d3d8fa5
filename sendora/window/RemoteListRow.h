#pragma once

#include <QDateTime>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class RemoteListModel;

// What a listing entry shows in the remote list.
struct RemoteListEntry
{
    QString name;
    QString tag;
    QString iconKey;
    QIcon icon;
    std::optional<qint64> size; // SIZE shows nothing without one
    QDateTime written;          // ACCESS
    quint32 attributes = 0;     // ATTR
};

// One row of the remote list, kept small because a listing may hold a million:
// the name and the values behind the SIZE, ACCESS and ATTR texts, which are
// made only when shown; tag and picture are indexes into the list's tables.
// Texts given for sub-items directly live in a block of their own that most
// rows never have. A pointer to a row stays valid until the list is cleared.
class RemoteListRow
{
public:
    RemoteListRow() = default;
    RemoteListRow(RemoteListRow&&) noexcept = default;
    RemoteListRow& operator=(RemoteListRow&&) noexcept = default;

    QString text(int column) const;
    bool isSelected() const;
    void setSelected(bool selected);

private:
    friend class RemoteListModel;
    friend class RemoteListView;

    enum Value : quint8
    {
        Size = 1,
        Written = 2,
        Attributes = 4
    };

    RemoteListModel* model_ = nullptr;
    QString name_;
    QDateTime written_;
    qint64 size_ = 0;
    quint32 attributes_ = 0;
    quint8 tag_ = 0;     // index into the model's tags
    quint8 picture_ = 0; // index into the model's pictures
    quint8 values_ = 0;  // which Values are set
    // Where the row was last seen; rows inserted before it since then moved it on.
    mutable int position_ = 0;
    std::unique_ptr<QStringList> texts_; // by column; a null text is no text
};
