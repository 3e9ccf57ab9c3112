#pragma once
// The base of the two domain managers: the account's domains listed into a report list through
// the console, ticked (all, inverted), and the ticked ones removed from the account one by one.
// Each service supplies its columns, its messages and what a removal does to its window, and
// lays out its own controls around the list.
#include <QString>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/text/text.h"
#include "gui/tool_window.h"

namespace tessaly {

class Bridge;
class DnsConsole;
class ReportList;
class WorkerTask;

struct DnsManagerSetup {
  int window;
  DnsConsole* console;
  std::vector<std::pair<QString, int>> columns;
  int name_column;
  int id_column;
  QString listed;           // shown after a listing's last row; empty: nothing
  QString deletion_notice;  // shown first when the deletion button is pressed; empty: nothing
  QString deleted;          // shown when a deletion has ended, also one with nothing ticked
  int deletion_pause_ms;    // after each removal
};

class DnsManagerWindow : public ToolWindow {
  Q_OBJECT
 protected:
  DnsManagerWindow(DnsManagerSetup setup, QWidget* parent);

  // One ticked row as it was when the deletion started.
  struct Removal {
    int row;
    Text id, name;
  };
  // What the window shows of a removal, written through the bridge on the worker: `confirmed`
  // is the console's answer, and `earlier` removals of this deletion were confirmed before it.
  using ShowRemoval =
      std::function<void(Bridge& bridge, const Removal& removal, int earlier, bool confirmed)>;

  // Starts a listing that appends the account's domains (a press while one runs is ignored).
  void list_domains();
  void tick_all();
  void invert_ticks();
  // Removes the ticked domains from the account, pausing after each; the rows stay unless
  // show_removal takes them out. The closing message says how many removals failed.
  void delete_ticked(ShowRemoval show_removal);
  // The names of the ticked rows, or of all rows, each followed by CR LF.
  std::string names(bool ticked_only) const;

  ReportList* list_;
  WorkerTask* listing_;
  WorkerTask* deleting_;

 private:
  DnsManagerSetup setup_;
};

}  // namespace tessaly
