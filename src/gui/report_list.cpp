#include "gui/report_list.h"

#include <QEvent>
#include <QHeaderView>
#include <QTimer>

#include <algorithm>

#include "gui/gbk_qt.h"

namespace tessaly {

int ReportModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ReportModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(titles_.size());
}

QVariant ReportModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  const Row& row = rows_[index.row()];
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
    size_t c = static_cast<size_t>(index.column());
    return c < row.cells.size() ? row.cells[c] : QString();
  }
  if (role == Qt::CheckStateRole && index.column() == 0 && checkable_)
    return row.checked ? Qt::Checked : Qt::Unchecked;
  return {};
}

bool ReportModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::CheckStateRole || index.column() != 0) return false;
  set_checked(index.row(), value.toInt() == Qt::Checked);
  return true;
}

QVariant ReportModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < static_cast<int>(titles_.size()))
    return titles_[section];
  return {};
}

Qt::ItemFlags ReportModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == 0 && checkable_) f |= Qt::ItemIsUserCheckable;
  return f;
}

void ReportModel::add_column(const QString& title) {
  int c = static_cast<int>(titles_.size());
  beginInsertColumns({}, c, c);
  titles_.push_back(title);
  endInsertColumns();
}

void ReportModel::set_column_title(int column, const QString& title) {
  if (column < 0 || column >= static_cast<int>(titles_.size())) return;
  titles_[column] = title;
  Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

QString ReportModel::column_title(int column) const {
  return (column >= 0 && column < static_cast<int>(titles_.size())) ? titles_[column] : QString();
}

int ReportModel::insert_rows(int position, const std::vector<QString>& first_cells) {
  std::vector<std::vector<QString>> rows(first_cells.size());
  for (size_t k = 0; k < first_cells.size(); ++k) rows[k].push_back(first_cells[k]);
  return insert_rows(position, std::move(rows));
}

int ReportModel::insert_rows(int position, std::vector<std::vector<QString>> rows) {
  int count = static_cast<int>(rows_.size());
  if (position < 0 || position > count) position = count;
  if (rows.empty()) return position;
  beginInsertRows({}, position, position + static_cast<int>(rows.size()) - 1);
  std::vector<Row> fresh(rows.size());
  for (size_t k = 0; k < rows.size(); ++k) fresh[k].cells = std::move(rows[k]);
  rows_.insert(rows_.begin() + position, std::make_move_iterator(fresh.begin()),
               std::make_move_iterator(fresh.end()));
  endInsertRows();
  return position;
}

void ReportModel::set_cell(int row, int column, const QString& text) {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0) return;
  auto& cells = rows_[row].cells;
  if (static_cast<size_t>(column) >= cells.size()) cells.resize(column + 1);
  cells[column] = text;
  QModelIndex i = index(row, column);
  Q_EMIT dataChanged(i, i, {Qt::DisplayRole});
}

QString ReportModel::cell(int row, int column) const {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0) return {};
  const auto& cells = rows_[row].cells;
  return static_cast<size_t>(column) < cells.size() ? cells[column] : QString();
}

void ReportModel::delete_row(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  beginRemoveRows({}, row, row);
  rows_.erase(rows_.begin() + row);
  endRemoveRows();
}

void ReportModel::clear() {
  beginResetModel();
  rows_.clear();
  endResetModel();
}

bool ReportModel::is_checked(int row) const {
  return row >= 0 && row < static_cast<int>(rows_.size()) && rows_[row].checked;
}

void ReportModel::set_checked(int row, bool checked) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  rows_[row].checked = checked;
  QModelIndex i = index(row, 0);
  Q_EMIT dataChanged(i, i, {Qt::CheckStateRole});
}

void ReportModel::set_all_checked(const std::vector<bool>& checked) {
  size_t n = std::min(checked.size(), rows_.size());
  for (size_t r = 0; r < n; ++r) rows_[r].checked = checked[r];
  if (n) Q_EMIT dataChanged(index(0, 0), index(static_cast<int>(n) - 1, 0), {Qt::CheckStateRole});
}

void ReportModel::set_checkable(bool on) {
  beginResetModel();
  checkable_ = on;
  endResetModel();
}

int ReportModel::find_row(const QString& text, int start) const {
  for (int r = std::max(start, 0); r < static_cast<int>(rows_.size()); ++r)
    if (!rows_[r].cells.empty() && rows_[r].cells[0] == text) return r;
  return -1;
}

ReportList::ReportList(QWidget* parent) : QTreeView(parent), model_(new ReportModel(this)) {
  setModel(model_);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setAlternatingRowColors(true);
  header()->setStretchLastSection(true);
  connect(this, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& index) { Q_EMIT row_double_clicked(index.row()); });
  // The first rows a list gets widen its columns to what they hold.
  connect(model_, &QAbstractItemModel::rowsInserted, this,
          [this](const QModelIndex&, int first, int) { content_changed(first); });
  connect(model_, &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex& top_left) { content_changed(top_left.row()); });
  header()->viewport()->installEventFilter(this);
}

bool ReportList::eventFilter(QObject* watched, QEvent* event) {
  // A user who drags a column's edge has chosen the widths: they are kept from then on.
  if (watched == header()->viewport() && event->type() == QEvent::MouseButtonPress) user_sized_ = true;
  return QTreeView::eventFilter(watched, event);
}

void ReportList::content_changed(int first_row) {
  if (user_sized_ || fit_pending_ || first_row >= kFittedRows) return;
  // Coalesced: a run writes its cells one by one, the columns are measured once they are shown.
  fit_pending_ = true;
  QTimer::singleShot(0, this, [this] {
    fit_pending_ = false;
    if (!user_sized_) widen_columns_to_content();
  });
}

void ReportList::widen_columns_to_content() {
  QHeaderView* h = header();
  const int last = model_->columnCount() - 1;
  for (int c = 0; c < last; ++c) {  // the last column stretches to the list's edge anyway
    const int wanted = std::max(sizeHintForColumn(c), h->sectionSizeHint(c));
    if (wanted > h->sectionSize(c)) h->resizeSection(c, wanted);
  }
}

void ReportList::set_columns(const std::vector<std::pair<QString, int>>& columns) {
  for (const auto& [title, width] : columns) {
    model_->add_column(title);
    setColumnWidth(model_->columnCount() - 1, width);
  }
}

int ReportList::lv_insert_row(int position, const std::string& text) {
  return model_->insert_rows(position, {from_gbk(text)});
}

int ReportList::lv_append_rows(const std::vector<std::string>& first_cells) {
  std::vector<QString> cells;
  cells.reserve(first_cells.size());
  for (const auto& t : first_cells) cells.push_back(from_gbk(t));
  return model_->insert_rows(-1, cells);
}

void ReportList::lv_append_numbered(const std::vector<std::string>& items) {
  std::vector<std::vector<QString>> rows;
  rows.reserve(items.size());
  for (size_t i = 0; i < items.size(); ++i) rows.push_back({QString::number(i + 1), from_gbk(items[i])});
  model_->insert_rows(-1, std::move(rows));
}

void ReportList::lv_set_cell(int row, int column, const std::string& text) {
  model_->set_cell(row, column, from_gbk(text));
}

std::string ReportList::lv_get_cell(int row, int column) const { return to_gbk(model_->cell(row, column)); }

int ReportList::lv_row_count() const { return model_->rowCount(); }

void ReportList::lv_delete_row(int row) { model_->delete_row(row); }

void ReportList::lv_clear() { model_->clear(); }

bool ReportList::lv_is_checked(int row) const { return model_->is_checked(row); }

void ReportList::lv_set_checked(int row, bool checked) { model_->set_checked(row, checked); }

void ReportList::lv_ensure_visible(int row) { scrollTo(model_->index(row, 0)); }

int ReportList::lv_find_row(const std::string& text, int start) const {
  return model_->find_row(from_gbk(text), start);
}

void ReportList::lv_set_column_title(int column, const std::string& text) {
  model_->set_column_title(column, from_gbk(text));
}

std::string ReportList::lv_get_column_title(int column) const { return to_gbk(model_->column_title(column)); }

int ReportList::selected_row() const {
  QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
  return rows.isEmpty() ? -1 : rows.first().row();
}

}  // namespace tessaly
