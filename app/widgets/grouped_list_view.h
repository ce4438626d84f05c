#pragma once
// The report-style list with collapsible groups: a tree whose top-level items are the
// group headers (when groups are shown) and whose rows carry a pointer to their record.
#include <QIcon>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

namespace kwui {

class GroupedListView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit GroupedListView(QWidget* parent = nullptr);

  struct Column {
    QString caption;
    int tag = -1;      // sort key; -1 means not sortable
    int width = 0;     // 0 hides the column
    Qt::Alignment alignment = Qt::AlignLeft;
  };
  void SetColumns(const QList<Column>& columns);
  int ColumnTag(int column) const;
  void SetColumnImage(int column, const QIcon& icon);  // a null icon removes it
  bool ColumnHasImage(int column) const;

  // Removes every row and group.
  void ClearAll();
  void SetGroupView(bool on);
  bool GroupView() const { return groupView_; }
  // A group at the end, unfolded, foldable by the user.
  QTreeWidgetItem* AddGroup(const QString& header, int groupId);
  // A row in `group` (or at top level without groups); `cells` are the texts of the columns
  // from column 0 on; `record` is the record the row stands for.
  QTreeWidgetItem* AddRow(QTreeWidgetItem* group, const QStringList& cells, const void* record);

  int GroupCount() const;
  QString GroupHeader(int group) const;
  QList<QTreeWidgetItem*> Rows() const;  // every row in display order, groups left out
  QTreeWidgetItem* SelectedRow() const;  // nullptr when no row is selected
  static const void* RowData(const QTreeWidgetItem* row);
  static bool IsGroup(const QTreeWidgetItem* item);

 signals:
  void ColumnClick(int column);
  void SelectItem(QTreeWidgetItem* row, bool selected);

 private:
  QList<Column> columns_;
  bool groupView_ = false;
};

}  // namespace kwui
