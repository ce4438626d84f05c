#include "app/widgets/grouped_list_view.h"

#include <QHeaderView>

namespace kwui {

namespace {
constexpr int kDataRole = Qt::UserRole + 1;
constexpr int kGroupRole = Qt::UserRole + 2;
}  // namespace

GroupedListView::GroupedListView(QWidget* parent) : QTreeWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setRootIsDecorated(false);
  setItemsExpandable(true);
  setExpandsOnDoubleClick(true);
  header()->setSectionsClickable(true);
  header()->setSectionsMovable(false);
  header()->setStretchLastSection(false);
  header()->setHighlightSections(false);
  header()->setMinimumSectionSize(0);
  setIndentation(14);
  // Grid lines between the cells, as the report view draws them.
  setStyleSheet(QStringLiteral(
      "QTreeView::item { border-right: 1px solid #e4e4e4; border-bottom: 1px solid #e4e4e4; }"
      "QTreeView::item:selected { background: #cce4f7; color: black; }"));
  connect(header(), &QHeaderView::sectionClicked, this, &GroupedListView::ColumnClick);
  connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
    QTreeWidgetItem* row = SelectedRow();
    emit SelectItem(row, row != nullptr);
  });
}

void GroupedListView::SetColumns(const QList<Column>& columns) {
  columns_ = columns;
  setColumnCount(static_cast<int>(columns.size()));
  QTreeWidgetItem* head = headerItem();
  for (int c = 0; c < columns.size(); ++c) {
    head->setText(c, columns[c].caption);
    head->setTextAlignment(c, columns[c].alignment | Qt::AlignVCenter);
    if (columns[c].width == 0) {
      setColumnHidden(c, true);
    } else {
      setColumnWidth(c, columns[c].width);
    }
  }
}

int GroupedListView::ColumnTag(int column) const {
  if (column < 0 || column >= columns_.size()) return -1;
  return columns_[column].tag;
}

void GroupedListView::SetColumnImage(int column, const QIcon& icon) {
  headerItem()->setIcon(column, icon);
}

bool GroupedListView::ColumnHasImage(int column) const {
  return !headerItem()->icon(column).isNull();
}

void GroupedListView::ClearAll() { clear(); }

void GroupedListView::SetGroupView(bool on) {
  groupView_ = on;
  setRootIsDecorated(on);
  // The hidden first column (the rows' empty captions) holds the groups' fold marks and
  // spanned titles while groups are shown.
  if (!columns_.isEmpty() && columns_[0].width == 0) {
    setColumnHidden(0, !on);
    if (on) setColumnWidth(0, indentation());
  }
}

QTreeWidgetItem* GroupedListView::AddGroup(const QString& headerText, int groupId) {
  auto* group = new QTreeWidgetItem(this);  // owned by the tree
  group->setData(0, kGroupRole, groupId);
  group->setText(0, headerText);
  QFont bold = font();
  bold.setBold(true);
  group->setFont(0, bold);
  group->setForeground(0, QColor(0x1e, 0x39, 0x87));
  group->setFlags(Qt::ItemIsEnabled);
  group->setFirstColumnSpanned(true);  // the title runs across the whole row
  group->setExpanded(true);
  return group;
}

QTreeWidgetItem* GroupedListView::AddRow(QTreeWidgetItem* group, const QStringList& cells,
                                         const void* record) {
  auto* row = group ? new QTreeWidgetItem(group) : new QTreeWidgetItem(this);
  for (int c = 0; c < cells.size() && c < columnCount(); ++c) {
    row->setText(c, cells[c]);
    if (c < columns_.size()) {
      row->setTextAlignment(c, columns_[c].alignment | Qt::AlignVCenter);
    }
  }
  row->setData(0, kDataRole, QVariant::fromValue(const_cast<void*>(record)));
  row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  if (group) group->setExpanded(true);
  return row;
}

int GroupedListView::GroupCount() const {
  return groupView_ ? topLevelItemCount() : 0;
}

QString GroupedListView::GroupHeader(int group) const {
  const QTreeWidgetItem* item = topLevelItem(group);
  return item ? item->text(0) : QString();
}

QList<QTreeWidgetItem*> GroupedListView::Rows() const {
  QList<QTreeWidgetItem*> rows;
  for (int t = 0; t < topLevelItemCount(); ++t) {
    QTreeWidgetItem* top = topLevelItem(t);
    if (IsGroup(top)) {
      for (int r = 0; r < top->childCount(); ++r) rows.append(top->child(r));
    } else {
      rows.append(top);
    }
  }
  return rows;
}

QTreeWidgetItem* GroupedListView::SelectedRow() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  for (QTreeWidgetItem* item : selected) {
    if (!IsGroup(item)) return item;
  }
  return nullptr;
}

const void* GroupedListView::RowData(const QTreeWidgetItem* row) {
  return row ? row->data(0, kDataRole).value<void*>() : nullptr;
}

bool GroupedListView::IsGroup(const QTreeWidgetItem* item) {
  return item && item->data(0, kGroupRole).isValid();
}

}  // namespace kwui
