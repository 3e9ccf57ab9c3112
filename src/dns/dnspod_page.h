#pragma once
// The "dnspod解析" page of the main window: the DNSPod login block and the batch that creates
// domains and their "@", "www" and "*" A records from pasted domain and IP lists.
#include "dns/dns_batch_page.h"

namespace tessaly {

class DnspodPage : public DnsBatchPage {
  Q_OBJECT
 public:
  explicit DnspodPage(QWidget* parent = nullptr);
};

}  // namespace tessaly
