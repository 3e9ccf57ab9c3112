#pragma once
// Creating named controls and reading/writing their contents. Control names are the program's
// fixed Chinese names (objectNames); contents cross as GBK with CR LF line breaks.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gui/line_box.h"
#include "gui/report_list.h"

namespace tessaly {

// --- creation (parent may be null when a layout adopts the control) ---
QPushButton* make_button(QWidget* parent, const char* name, const QString& caption);
// A multi-line edit box ("编辑框" holding a list); text uses LF or CR LF line breaks.
LineBox* make_list_box(QWidget* parent, const char* name, const QString& text = {});
QLineEdit* make_line_box(QWidget* parent, const char* name, const QString& text = {});
QCheckBox* make_check(QWidget* parent, const char* name, const QString& caption, bool checked);
QRadioButton* make_radio(QWidget* parent, const char* name, const QString& caption, bool checked);
QLabel* make_label(QWidget* parent, const char* name, const QString& caption);
// A link label ("超级链接框"): a flat button drawn as a hyperlink.
QPushButton* make_link(QWidget* parent, const char* name, const QString& caption);
QGroupBox* make_group(QWidget* parent, const char* name, const QString& caption);
QProgressBar* make_progress(QWidget* parent, const char* name);
QComboBox* make_combo(QWidget* parent, const char* name, const QStringList& items, int current = 0);
ReportList* make_report_list(QWidget* parent, const char* name,
                             const std::vector<std::pair<QString, int>>& columns);
// A box in a captioned frame, with an optional control under it.
QGroupBox* framed(QWidget* parent, const QString& caption, QWidget* box, QWidget* below = nullptr);

// A UTF-8 literal of window code as a QString.
inline QString utf8(const char* text) { return QString::fromUtf8(text); }
// A text file the windows start with (data/<path>: sample lists, place names), exactly as it is.
QString data_text(const char* path);

// --- contents of edit boxes (LineBox, QLineEdit, QComboBox) as GBK ---
std::string box_text(const QWidget* box);
void set_box_text(QWidget* box, std::string_view gbk_text);
// Caret to the end, insert, scroll into view; earlier content stays.
void append_text(QWidget* box, std::string_view gbk_text);

// The number typed in a box (to_int of its text), kept current after every edit, for workers
// that read it while they run (a pooled run's worker limit).
std::shared_ptr<std::atomic<int>> live_number(QLineEdit* box);

}  // namespace tessaly
