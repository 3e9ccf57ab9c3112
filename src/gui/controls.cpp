#include "gui/controls.h"

#include <QVBoxLayout>

#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>

#include "core/text/data_files.h"
#include "core/text/text.h"
#include "gui/gbk_qt.h"

namespace tessaly {
namespace {

template <class T>
T* named(T* w, const char* name) {
  w->setObjectName(QString::fromUtf8(name));
  return w;
}

QString lf(const QString& text) {
  QString s = text;
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

}  // namespace

QPushButton* make_button(QWidget* parent, const char* name, const QString& caption) {
  auto* b = named(new QPushButton(caption, parent), name);
  b->setAutoDefault(false);
  return b;
}

QPlainTextEdit* make_list_box(QWidget* parent, const char* name, const QString& text) {
  auto* e = named(new QPlainTextEdit(parent), name);
  e->setLineWrapMode(QPlainTextEdit::NoWrap);
  e->setPlainText(lf(text));
  return e;
}

QLineEdit* make_line_box(QWidget* parent, const char* name, const QString& text) {
  return named(new QLineEdit(text, parent), name);
}

QCheckBox* make_check(QWidget* parent, const char* name, const QString& caption, bool checked) {
  auto* c = named(new QCheckBox(caption, parent), name);
  c->setChecked(checked);
  return c;
}

QRadioButton* make_radio(QWidget* parent, const char* name, const QString& caption, bool checked) {
  auto* r = named(new QRadioButton(caption, parent), name);
  r->setChecked(checked);
  return r;
}

QLabel* make_label(QWidget* parent, const char* name, const QString& caption) {
  return named(new QLabel(caption, parent), name);
}

QPushButton* make_link(QWidget* parent, const char* name, const QString& caption) {
  auto* link = make_button(parent, name, caption);
  link->setFlat(true);
  link->setCursor(Qt::PointingHandCursor);
  link->setStyleSheet(
      QStringLiteral("QPushButton { color: #0645ad; text-decoration: underline; border: none; "
                     "padding: 0 2px; }"));
  return link;
}

QGroupBox* make_group(QWidget* parent, const char* name, const QString& caption) {
  return named(new QGroupBox(caption, parent), name);
}

QProgressBar* make_progress(QWidget* parent, const char* name) {
  auto* p = named(new QProgressBar(parent), name);
  p->setRange(0, 100);
  p->setValue(0);
  return p;
}

QComboBox* make_combo(QWidget* parent, const char* name, const QStringList& items, int current) {
  auto* c = named(new QComboBox(parent), name);
  c->addItems(items);
  c->setCurrentIndex(current);
  return c;
}

ReportList* make_report_list(QWidget* parent, const char* name,
                             const std::vector<std::pair<QString, int>>& columns) {
  auto* l = named(new ReportList(parent), name);
  l->set_columns(columns);
  return l;
}

std::string box_text(const QWidget* box) {
  if (auto* p = qobject_cast<const QPlainTextEdit*>(box)) return to_gbk_lines(p->toPlainText());
  if (auto* t = qobject_cast<const QTextEdit*>(box)) return to_gbk_lines(t->toPlainText());
  if (auto* l = qobject_cast<const QLineEdit*>(box)) return to_gbk(l->text());
  if (auto* c = qobject_cast<const QComboBox*>(box)) return to_gbk(c->currentText());
  return {};
}

void set_box_text(QWidget* box, std::string_view gbk_text) {
  if (auto* p = qobject_cast<QPlainTextEdit*>(box))
    p->setPlainText(from_gbk_lines(gbk_text));
  else if (auto* t = qobject_cast<QTextEdit*>(box))
    t->setPlainText(from_gbk_lines(gbk_text));
  else if (auto* l = qobject_cast<QLineEdit*>(box))
    l->setText(from_gbk(gbk_text));
  else if (auto* c = qobject_cast<QComboBox*>(box))
    c->setCurrentText(from_gbk(gbk_text));
}

void append_text(QWidget* box, std::string_view gbk_text) {
  if (gbk_text.empty()) return;
  if (auto* p = qobject_cast<QPlainTextEdit*>(box)) {
    QTextCursor cursor(p->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(from_gbk_lines(gbk_text));
    p->verticalScrollBar()->setValue(p->verticalScrollBar()->maximum());
  } else if (auto* t = qobject_cast<QTextEdit*>(box)) {
    QTextCursor cursor(t->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(from_gbk_lines(gbk_text));
    t->verticalScrollBar()->setValue(t->verticalScrollBar()->maximum());
  } else if (auto* l = qobject_cast<QLineEdit*>(box)) {
    l->setText(l->text() + from_gbk(gbk_text));
  }
}

std::shared_ptr<std::atomic<int>> live_number(QLineEdit* box) {
  auto number = std::make_shared<std::atomic<int>>(to_int(to_gbk(box->text())));
  QObject::connect(box, &QLineEdit::textChanged, box,
                   [number](const QString& text) { number->store(to_int(to_gbk(text))); });
  return number;
}

QGroupBox* framed(QWidget* parent, const QString& caption, QWidget* box, QWidget* below) {
  auto* group = new QGroupBox(caption, parent);
  auto* layout = new QVBoxLayout(group);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(4);
  box->setParent(group);
  layout->addWidget(box, 1);
  if (below) {
    below->setParent(group);
    layout->addWidget(below);
  }
  return group;
}

QString data_text(const char* path) {
  std::string_view bytes = data_file(path);
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace tessaly
