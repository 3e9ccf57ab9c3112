#pragma once
// The report list view with check boxes ("超级列表框"): a flat table of text cells over a model of
// plain vectors, so that 100,000 rows stay responsive. Cell texts cross as GBK, like every other
// control content. Rows and columns are 0-based. Columns start at their given widths and widen
// to the header and the cells of the first rows as these are filled (never narrower), until the
// user sizes a column.
#include <QAbstractTableModel>
#include <QTreeView>

#include <string>
#include <vector>

namespace tessaly {

class ReportModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  void add_column(const QString& title);
  void set_column_title(int column, const QString& title);
  QString column_title(int column) const;
  int insert_rows(int position, const std::vector<QString>& first_cells);
  // Rows with several cells each, in one model update.
  int insert_rows(int position, std::vector<std::vector<QString>> rows);
  void set_cell(int row, int column, const QString& text);
  QString cell(int row, int column) const;
  void delete_row(int row);
  void clear();
  bool is_checked(int row) const;
  void set_checked(int row, bool checked);
  void set_all_checked(const std::vector<bool>& checked);
  int find_row(const QString& text, int start) const;
  // Whether column 0 shows a check box per row (the default).
  void set_checkable(bool on);

 private:
  struct Row {
    std::vector<QString> cells;
    bool checked = false;
  };
  std::vector<QString> titles_;
  std::vector<Row> rows_;
  bool checkable_ = true;
};

class ReportList : public QTreeView {
  Q_OBJECT
 public:
  explicit ReportList(QWidget* parent = nullptr);

  // Columns with their titles and initial widths in pixels.
  void set_columns(const std::vector<std::pair<QString, int>>& columns);
  // A list whose rows carry no check box.
  void set_checkable(bool on) { model_->set_checkable(on); }

  int lv_insert_row(int position = -1, const std::string& text = {});
  // Appends many rows at once (one model update); returns the index of the first.
  int lv_append_rows(const std::vector<std::string>& first_cells);
  // Appends one row per item: column 0 its 1-based position among the items, column 1 the item.
  void lv_append_numbered(const std::vector<std::string>& items);
  void lv_set_cell(int row, int column, const std::string& text);
  std::string lv_get_cell(int row, int column) const;
  int lv_row_count() const;
  void lv_delete_row(int row);
  void lv_clear();
  bool lv_is_checked(int row) const;
  void lv_set_checked(int row, bool checked);
  void lv_ensure_visible(int row);
  int lv_find_row(const std::string& text, int start = 0) const;
  void lv_set_column_title(int column, const std::string& text);
  std::string lv_get_column_title(int column) const;
  // The selected row, or -1.
  int selected_row() const;

  ReportModel* report_model() const { return model_; }

 Q_SIGNALS:
  void row_double_clicked(int row);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static constexpr int kFittedRows = 100;  // the rows whose cells widen the columns
  void content_changed(int first_row);
  void widen_columns_to_content();

  ReportModel* model_;
  bool user_sized_ = false;
  bool fit_pending_ = false;
};

}  // namespace tessaly
