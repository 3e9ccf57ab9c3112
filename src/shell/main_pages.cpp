// Which tool fills which main-window page. Each tool adds its line here.
#include "shell/main_pages.h"

#include <QVBoxLayout>

#include "gui/controls.h"
#include "content/conversions_page.h"
#include "content/vocabulary_page.h"
#include "dns/dns51_page.h"
#include "dns/dnspod_page.h"
#include "research/inclusion_page.h"

namespace tessaly {

void build_main_page(int index, QWidget* page, MainWindow* /*main_window*/) {
  // Pages whose tools are not built yet show their frame only.
  static const char* const frames[] = {nullptr,   "分组框2", "分组框7", "分组框10", "分组框23",
                                       "分组框1", nullptr,   nullptr,   "分组框27", "分组框33"};
  auto* layout = new QVBoxLayout(page);
  switch (index) {
    case 1: layout->addWidget(new DnspodPage(page)); break;
    case 5: layout->addWidget(new Dns51Page(page)); break;
    case 2: layout->addWidget(new InclusionPage(page)); break;
    case 3: layout->addWidget(new VocabularyPage(page)); break;
    case 8: layout->addWidget(new ConversionsPage(page)); break;
    default:
      if (index >= 0 && index < 10 && frames[index]) layout->addWidget(make_group(page, frames[index], {}));
      break;
  }
}

}  // namespace tessaly
