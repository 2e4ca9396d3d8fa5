#pragma once

#include <QTreeWidget>
#include <functional>

class QMimeData;

// The remote list: report view with keyed columns, rows with a Tag, several
// rows selectable, in-place editing of the row text only when the program
// starts it, and drops of anything (the handler decides what to take).
class RemoteListView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit RemoteListView(QWidget* parent = nullptr);

    void addColumn(const QString& key, const QString& caption, int widthPixels, Qt::Alignment alignment);
    int columnOf(const QString& key) const { return keys_.indexOf(key); }
    QStringList columnKeys() const { return keys_; }

    // position is 1-based, as the rows are counted by the window.
    QTreeWidgetItem* insertRow(int position, const QString& text, const QIcon& icon, const QString& iconKey);
    QTreeWidgetItem* appendRow(const QString& text, const QIcon& icon, const QString& iconKey);
    QTreeWidgetItem* row(int index) const { return topLevelItem(index); }
    int rowCount() const { return topLevelItemCount(); }

    static QString tag(const QTreeWidgetItem* item);
    static void setTag(QTreeWidgetItem* item, const QString& tag);
    static QString iconKey(const QTreeWidgetItem* item);
    QString subItem(const QTreeWidgetItem* item, const QString& key) const;
    void setSubItem(QTreeWidgetItem* item, const QString& key, const QString& text);

    // The row the commands act on: the current row when it is selected, else the first selected one.
    QTreeWidgetItem* selectedRow() const;
    void selectOnly(QTreeWidgetItem* item);

    // Starts editing a row's text. When editing ends with Return or a focus
    // change, the handler is asked; returning true cancels (the old text stays).
    void startLabelEdit(QTreeWidgetItem* item);
    QTreeWidgetItem* editingItem() const { return editing_; }
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
    QStringList keys_;
    QTreeWidgetItem* editing_ = nullptr;
    std::function<bool(const QString&)> afterLabelEdit_;
};
