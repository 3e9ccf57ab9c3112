// Which window part builds which tool window. Each tool adds its line here.
#include "shell/tool_windows.h"

#include "gui/tool_window.h"
#include "content/line_tools_window.h"
#include "content/pattern_tools_window.h"
#include "content/rewriter_window.h"
#include "dns/dns51_manager_window.h"
#include "dns/dnspod_manager_window.h"
#include "domains/ip_forms_window.h"
#include "domains/label_generator_window.h"
#include "domains/small_generators_window.h"

namespace tessaly {

ToolWindow* create_tool_window(int index, QWidget* parent) {
  switch (index) {
    case 4: return new Dns51ManagerWindow(parent);
    case 17: return new DnspodManagerWindow(parent);
    case 1: return new IpRunWindow(parent);
    case 2: return new WwwWindow(parent);
    case 11: return new GovWindow(parent);
    case 12: return new SuffixWindow(parent);
    case 19: return new LabelGeneratorWindow(UrlForm::SubDomain, parent);
    case 27: return new IpFormsWindow(parent);
    case 29: return new OutreachRulesWindow(parent);
    case 32: return new LabelGeneratorWindow(UrlForm::Directory, parent);
    case 3: return new JoinWindow(parent);
    case 7: return new RegexMatchWindow(parent);
    case 8: return new DedupeWindow(parent);
    case 10: return new TrimWindow(parent);
    case 13: return new KeywordSeparatorWindow(parent);
    case 14: return new KeywordSuffixWindow(parent);
    case 15: return new BatchRenameWindow(parent);
    case 16: return new ShuffleWindow(parent);
    case 18: return new TakeTextWindow(parent);
    case 23: return new RewriterWindow(parent);
    default:
      return new ToolWindow(index, parent);
  }
}

}  // namespace tessaly
