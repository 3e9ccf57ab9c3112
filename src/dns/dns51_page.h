#pragma once
// The "51dns" page of the main window: the 51dns login_51dns block and the batch that adds domains and
// their "www", "@" and "*" A records from pasted domain and IP lists.
#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tessaly {

class ReportList;
class WorkerTask;

class Dns51Page : public QWidget {
  Q_OBJECT
 public:
  explicit Dns51Page(QWidget* parent = nullptr);

 private:
  void login_51dns();
  void logout_51dns();
  void import_domain_ip_pairs();
  void clear_51dns_rows();
  void toggle_51dns_batch();
  void pause_51dns_batch();
  void open_51dns_manager();

  QLineEdit* email_;
  QLineEdit* password_;
  QPushButton* login_button_;
  QPlainTextEdit* domains_;
  QPlainTextEdit* ips_;
  ReportList* list_;
  QPushButton* import_button_;
  QPushButton* clear_button_;
  QCheckBox* www_;
  QCheckBox* at_;
  QCheckBox* star_;
  QPushButton* start_;
  QPushButton* pause_;
  WorkerTask* task_;
  WorkerTask* login_task_;
};

}  // namespace tessaly
