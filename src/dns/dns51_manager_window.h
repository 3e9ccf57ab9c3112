#pragma once
// Window "51dns获取域名记录|批量删除域名记录": lists every domain of the logged-in 51dns account
// page by page, ticks rows, deletes the ticked domains and copies the names out for export.
#include "dns/dns_manager_window.h"

namespace tessaly {

class LineBox;

class Dns51ManagerWindow : public DnsManagerWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 4;
  explicit Dns51ManagerWindow(QWidget* parent = nullptr);

 private:
  void release_51dns_listing();
  void delete_ticked_51dns_domains();
  void export_51dns_names();

  LineBox* names_;
};

}  // namespace tessaly
