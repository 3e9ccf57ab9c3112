#pragma once
// The "51dns" page of the main window: the 51dns login block and the batch that adds domains and
// their "www", "@" and "*" A records from pasted domain and IP lists.
#include "dns/dns_batch_page.h"

namespace tessaly {

class Dns51Page : public DnsBatchPage {
  Q_OBJECT
 public:
  explicit Dns51Page(QWidget* parent = nullptr);
};

}  // namespace tessaly
