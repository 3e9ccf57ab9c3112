#pragma once
// The "dnspod解析" page of the main window: the DNSPod login_dnspod block and the batch that creates
// domains and their "@", "www" and "*" A records from pasted domain and IP lists.
#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tessaly {

class ReportList;
class WorkerTask;

// Imports the pairs of the two boxes into the list (rows appended, IDs from 1); shows the count
// message when the boxes hold different numbers of lines. Shared by both batch pages.
void import_pairs_into(ReportList* list, QPlainTextEdit* domain_box, QPlainTextEdit* ip_box);

class DnspodPage : public QWidget {
  Q_OBJECT
 public:
  explicit DnspodPage(QWidget* parent = nullptr);

 private:
  void login_dnspod();
  void logout_dnspod();
  void import_domain_ip_pairs();
  void clear_dnspod_rows();
  void toggle_dnspod_batch();
  void pause_dnspod_batch();
  void open_dnspod_manager();

  QLineEdit* email_;
  QLineEdit* password_;
  QPushButton* login_button_;
  QPushButton* logout_button_;
  QPlainTextEdit* domains_;
  QPlainTextEdit* ips_;
  ReportList* list_;
  QPushButton* import_button_;
  QPushButton* clear_button_;
  QCheckBox* at_;
  QCheckBox* www_;
  QCheckBox* star_;
  QLineEdit* delay_;
  QPushButton* start_;
  QPushButton* pause_;
  WorkerTask* task_;
  WorkerTask* login_task_;
};

}  // namespace tessaly
