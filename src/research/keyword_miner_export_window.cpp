#include "research/keyword_miner_export_window.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/text/files.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/report_list.h"

namespace tessaly {
namespace {

const QString kErrorCaption = QStringLiteral("错误...");

void report_write_failure(const QString& path) {
  message_box(QStringLiteral("不能将数据写入  ") + path, kIconError, kErrorCaption);
}

// Calls fn(i) for rows 1..n, but only when the whole percentage has moved on (and for the last
// row), so a large list costs a hundred updates of a bar, not one per row.
template <class Fn>
void each_percent_step(int i, int n, int& shown, Fn fn) {
  int percent = n > 0 ? static_cast<int>(100LL * i / n) : 100;
  if (percent != shown || i == n) {
    shown = percent;
    fn(percent);
  }
}

}  // namespace

MinerExportWindow::MinerExportWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  auto* type_label = make_label(this, "标签2", QStringLiteral("保存类型"));
  text_type_ = make_radio(this, "单选框1", QStringLiteral("Txt文本"), true);
  table_type_ = make_radio(this, "单选框2", QStringLiteral("Excel"), false);
  auto* path_label = make_label(this, "标签1", QStringLiteral("保存路径"));
  path_ = make_line_box(this, "编辑框1");
  auto* browse = make_button(this, "按钮1", QStringLiteral("浏览"));
  save_ = make_button(this, "按钮2", QStringLiteral("保存"));
  progress_ = make_progress(this, "进度条1");
  progress_->hide();

  auto* grid = new QGridLayout;
  grid->addWidget(type_label, 0, 0);
  auto* types = new QHBoxLayout;
  types->addWidget(text_type_);
  types->addWidget(table_type_);
  types->addStretch(1);
  grid->addLayout(types, 0, 1, 1, 2);
  grid->addWidget(path_label, 1, 0);
  grid->addWidget(path_, 1, 1);
  grid->addWidget(browse, 1, 2);
  grid->setColumnStretch(1, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(progress_, 1);
  bottom->addStretch(0);
  bottom->addWidget(save_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addStretch(1);
  layout->addLayout(bottom);

  connect(browse, &QPushButton::clicked, this, [this] { browse_export_path(); });
  connect(save_, &QPushButton::clicked, this, [this] { save_miner_export(); });
}

void MinerExportWindow::browse_export_path() {
  const bool text = text_type_->isChecked();
  FileDialogRequest request;
  request.kind = FileDialogKind::Save;
  request.filter = text ? QStringLiteral("txt文件(*.txt)") : QStringLiteral("Excel文件(*.xls)");
  request.file_name = path_->text();
  if (!file_dialog(request)) return;
  QString path = request.file_name;
  // The dialog's default extension: a name typed without one gets the type's.
  if (QFileInfo(path).suffix().isEmpty()) path += text ? QStringLiteral(".txt") : QStringLiteral(".xls");
  path_->setText(path);
}

void MinerExportWindow::save_miner_export() {
  if (saving_) return;
  if (text_type_->isChecked()) {
    save_text();
    return;
  }
  saving_ = true;
  save_->setEnabled(false);
  QPointer<MinerExportWindow> self(this);
  write_table_file(list_, to_path(path_->text()), true);
  if (!self) return;  // closed while the export let messages through
  save_->setEnabled(true);
  saving_ = false;
}

void MinerExportWindow::save_text() {
  const int n = list_ ? list_->lv_row_count() : 0;
  const QString title = windowTitle();
  progress_->show();
  progress_->setRange(1, std::max(n, 1));
  setWindowTitle(QStringLiteral("整理数据中"));
  // The lines are gathered as Qt text and converted to GBK in one pass.
  QString text;
  int shown = -1;
  for (int i = 1; i <= n; ++i) {
    each_percent_step(i, n, shown, [&](int) { progress_->setValue(i); });
    text += list_->report_model()->cell(i - 1, 0);
    text += QStringLiteral("\r\n");
  }
  if (!replace_file(to_path(path_->text()), to_gbk(text))) {
    setWindowTitle(title);
    report_write_failure(path_->text());
    return;
  }
  hide();
  message_box(QStringLiteral("保存成功!"), kIconInformation, QStringLiteral("提示"));
  close();
}

ExportProgressWindow::ExportProgressWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  note_ = make_label(this, "标签2", QStringLiteral("请稍候，正在导出数据..."));
  frame_ = new QFrame(this);
  frame_->setObjectName(QStringLiteral("外形框2"));
  frame_->setFrameShape(QFrame::Box);
  frame_->setFixedHeight(20);
  fill_ = make_label(frame_, "标签1", {});
  fill_->setAlignment(Qt::AlignCenter);
  fill_->setStyleSheet(QStringLiteral("QLabel { background: #3b82c4; color: white; }"));
  fill_->setGeometry(1, 1, 0, 18);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(note_);
  layout->addWidget(frame_);
}

void ExportProgressWindow::show_percent(int percent) {
  fill_->setGeometry(1, 1, std::max(0, (frame_->width() - 3) * percent / 100), 18);
  fill_->setText(QString::number(percent) + QStringLiteral("%"));
  fill_->repaint();
}

void ExportProgressWindow::show_done() {
  note_->setText(QStringLiteral("已完成"));
  // "已完成" stays in view for a moment; the window thread goes on meanwhile.
  QTimer::singleShot(150, this, [this] { close(); });
}

void show_export_progress(int percent) {
  auto* window = open_window<ExportProgressWindow>();
  if (percent >= 100) {
    if (window) window->show_done();
    return;
  }
  if (!window) window = open_tool_window<ExportProgressWindow>();
  if (!window) return;
  window->show_percent(percent);
  QCoreApplication::processEvents();
}

bool write_table_file(const ReportList* source, const std::string& path, bool show_progress) {
  // The progress window lets messages through: the list may go away meanwhile.
  QPointer<const ReportList> list(source);
  const QString shown_path = from_path(path);
  {
    TextFile probe = open_file(path, FileMode::Append);  // opened, never emptied
    if (!probe.is_open()) {
      message_box(
          QStringLiteral("不能打开 ") + shown_path + QStringLiteral("\r\n可能此文件已被其它程序打开..."),
          kIconError, kErrorCaption);
      return false;
    }
  }
  // The table is gathered as Qt text and converted to GBK in one pass.
  const QString tab = QStringLiteral("\t"), line_end = QStringLiteral("\r\n");
  QString table;
  const int columns = list ? list->report_model()->columnCount() : 0;
  for (int c = 0; c < columns; ++c) table += list->report_model()->column_title(c) + tab;
  table += line_end;
  const int n = list ? list->lv_row_count() : 0;
  int shown = -1;
  for (int i = 1; i <= n; ++i) {
    if (show_progress) each_percent_step(i, n, shown, [](int percent) { show_export_progress(percent); });
    if (!list || i > list->lv_row_count()) break;  // cleared or gone meanwhile
    for (int c = 0; c < columns; ++c) table += list->report_model()->cell(i - 1, c) + tab;
    table += line_end;
  }
  if (!replace_file(path, to_gbk(table))) {
    report_write_failure(shown_path);
    return false;
  }
  return true;
}

}  // namespace tessaly
