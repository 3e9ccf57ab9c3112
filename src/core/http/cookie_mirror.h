#pragma once
// Keeps the process cookie store and the embedded browser's cookie store in step without
// feedback. It remembers what both sides hold, turns a change of the process store into the
// changes the browser needs, and tells a browser notification that is news (to be copied into
// the process store) from one that only echoes a change made from this side, or reports a value
// already replaced. Cookies are told apart by domain (and whether it covers sub-domains), path
// and name, as both stores do.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/http/cookie_store.h"

namespace tessaly {

class CookieMirror {
 public:
  struct BrowserChanges {
    std::vector<StoredCookie> set;     // to set in the browser
    std::vector<StoredCookie> remove;  // to delete from the browser
  };

  // The process store now holds `store` (every live cookie): what the browser must change to
  // hold the same. The changes count as made; their echoes are expected.
  BrowserChanges store_changed(const std::vector<StoredCookie>& store);
  // The browser added or replaced a cookie: true when the process store must take it.
  bool browser_added(const StoredCookie& cookie);
  // The browser removed a cookie: true when the process store must drop it too.
  bool browser_removed(const StoredCookie& cookie);

 private:
  struct Entry {
    std::optional<StoredCookie> agreed;    // what both sides hold
    std::multiset<std::string> in_flight;  // changes sent to the browser, echo not yet seen
  };
  void forget_if_settled(const std::string& key);

  std::map<std::string, Entry> entries_;
};

}  // namespace tessaly
