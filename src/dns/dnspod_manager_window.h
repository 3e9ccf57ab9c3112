#pragma once
// Window "dnspod域名管理": lists the domains of the logged-in DNSPod account, ticks them (all,
// inverted, those in error, those named in a box), deletes the ticked ones from the account and
// exports their names.
#include "dns/dns_manager_window.h"

class QLineEdit;

namespace tessaly {

class LineBox;

class DnspodManagerWindow : public DnsManagerWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 17;
  explicit DnspodManagerWindow(QWidget* parent = nullptr);

 private:
  void refresh_dnspod_domains();
  void tick_error_domains();
  void tick_listed_domains();
  void delete_ticked_dnspod_domains();
  void export_ticked_domains();

  LineBox* names_;
  LineBox* ticked_rows_;
  QLineEdit* ticked_count_;
  LineBox* log_;
};

}  // namespace tessaly
