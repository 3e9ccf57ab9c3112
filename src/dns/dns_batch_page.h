#pragma once
// The batch page of a hosted DNS console on the main window: the login block, the domain and IP
// boxes imported as pairs into the batch list, the record boxes, and the batch that adds each
// row's domain and A records through the console. The DNSPod and 51dns pages are this page with
// their own control names, captions, messages, start checks and console.
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dns/dns_console.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tessaly {

class LineBox;
class ReportList;
class WorkerTask;

// A message box: text, icon flags, caption (empty: the default "信息：").
struct DnsMessage {
  QString text;
  int flags = 0;
  QString caption;
};

// What a press of the start button checks first, in the service's order; a failed check shows
// its message and the press does nothing else (neither start nor stop).
enum class DnsStartCheck { RowsImported, LoggedIn, RecordTicked };

struct DnsRecordBox {
  DnsRecord record;
  const char* name;
  QString caption;
};

struct DnsBatchPageSetup {
  DnsConsole* console;
  const char* frame;
  // The login block.
  QString login_group, email_label, password_label;
  const char* email_box;
  const char* password_box;
  const char* login_button;
  const char* logout_button;
  DnsMessage login_succeeded, login_failed;  // no answer at all shows nothing
  DnsMessage login_incomplete;               // the e-mail or the password box is empty
  // The boxes, the import and the list.
  const char* domain_box;
  const char* domain_count;
  QString domain_count_label;
  const char* ip_box;
  const char* ip_count;
  QString ip_count_label;
  QString hint_end;  // the second line of the hint under the boxes
  const char* import_button;
  const char* list;
  QString id_title;
  const char* clear_button;
  // The batch.
  std::array<DnsRecordBox, 3> record_boxes;  // in the page's order
  const char* delay_box;                     // null: the service has no delay
  const char* start_button;
  const char* pause_button;
  std::vector<std::pair<DnsStartCheck, DnsMessage>> start_checks;
  DnsMessage finished;  // every row succeeded
  // Some rows failed: their number and where the console records failures ("" for the list).
  std::function<DnsMessage(int failed_rows, const std::string& failure_log)> finished_with_failures;
  std::optional<DnsMessage> stopped;
  // The domain manager.
  const char* manager_button;
  QString manager_caption;
  int manager_window;
  DnsMessage manager_refused;
};

class DnsBatchPage : public QWidget {
  Q_OBJECT
 public:
  DnsBatchPage(DnsBatchPageSetup setup, QWidget* parent);

 private:
  void build();
  void login();
  void show_login(const DnsLoginResult& login);
  void logout();
  void lock_login_block(bool locked);
  // Appends the pairs of the two boxes to the list (IDs from 1), or shows the count message.
  void import_pairs();
  void toggle_batch();
  bool passes(DnsStartCheck check) const;
  void open_manager();

  DnsBatchPageSetup setup_;
  QLineEdit* email_;
  QLineEdit* password_;
  QPushButton* login_button_;
  LineBox* domains_;
  LineBox* ips_;
  ReportList* list_;
  std::array<std::pair<DnsRecord, QCheckBox*>, 3> record_boxes_{};
  QLineEdit* delay_ = nullptr;
  WorkerTask* task_;
  WorkerTask* login_task_;
};

}  // namespace tessaly
