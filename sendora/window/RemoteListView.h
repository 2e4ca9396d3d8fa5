#pragma once

#include "sendora/window/RemoteListRow.h"

#include <QPersistentModelIndex>
#include <QTreeView>
#include <functional>

class QMimeData;
class RemoteListModel;

// The remote list: report view with keyed columns, rows with a Tag, several
// rows selectable, in-place editing of the row text only when the program
// starts it, and drops of anything (the handler decides what to take). Rows
// live in a light model (RemoteListModel): a listing of a million entries
// costs a few hundred bytes each.
class RemoteListView : public QTreeView
{
    Q_OBJECT
public:
    // The tag of a file row (links included).
    static inline const QString kFileTag = QStringLiteral("FILE");
    // Picture keys in the window's image list: a closed folder, a document.
    static inline const QString kFolderPicture = QStringLiteral("CLOSE");
    static inline const QString kFilePicture = QStringLiteral("FILE");

    explicit RemoteListView(QWidget* parent = nullptr);

    void addColumn(const QString& key, const QString& caption, int widthPixels, Qt::Alignment alignment);
    int columnOf(const QString& key) const;
    QStringList columnKeys() const;
    // The column captions, as the texts of a row.
    const RemoteListRow* headerItem() const;

    // position is 1-based, as the rows are counted by the window.
    RemoteListRow* insertRow(int position, const QString& text, const QIcon& icon, const QString& iconKey);
    RemoteListRow* appendRow(const QString& text, const QIcon& icon, const QString& iconKey);
    // A row of a listing, its sub-item texts made from the entry's values.
    RemoteListRow* insertEntryRow(int position, const RemoteListEntry& entry);
    // Room for the rows of a listing about to be filled (a hint).
    void reserveRows(int count);
    RemoteListRow* row(int index) const;
    int rowCount() const;
    // 0-based; -1 for a row not in the list.
    int indexOf(const RemoteListRow* row) const;
    void clear();

    // The tag of a directory row.
    static inline const QString kDirectoryTag = QStringLiteral("DIR");
    static QString tag(const RemoteListRow* row);
    static void setTag(RemoteListRow* row, const QString& tag);
    static QString iconKey(const RemoteListRow* row);
    static void setIcon(RemoteListRow* row, const QIcon& icon, const QString& iconKey);
    // The attribute bits of a listing row; 0 for other rows.
    static quint32 attributes(const RemoteListRow* row);
    QString subItem(const RemoteListRow* row, const QString& key) const;
    void setSubItem(RemoteListRow* row, const QString& key, const QString& text);

    // The row the commands act on: the current row when it is selected, else the first selected one.
    RemoteListRow* selectedRow() const;
    void selectOnly(RemoteListRow* row);
    // Makes the row current and, as a click would, the only selected one.
    void setCurrentItem(RemoteListRow* row);

    // Starts editing a row's text. When editing ends with Return or a focus
    // change, the handler is asked; returning true cancels (the old text stays).
    void startLabelEdit(RemoteListRow* row);
    RemoteListRow* editingItem() const;
    void setAfterLabelEdit(std::function<bool(const QString&)> handler)
    {
        afterLabelEdit_ = std::move(handler);
    }
    bool finishLabelEdit(const QString& newText); // used by the editor's delegate

signals:
    void DblClick();
    void MouseUp(Qt::MouseButton Button, const QPoint& position);
    void OLEDragDrop(const QMimeData* Data);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    RemoteListModel* rows_;
    QPersistentModelIndex editing_;
    std::function<bool(const QString&)> afterLabelEdit_;
};
