#include "core/http/cookie_mirror.h"

#include "core/text/text.h"

namespace tessaly {
namespace {

std::string key_of(const StoredCookie& c) {
  std::string domain = to_lower(c.domain);
  while (!domain.empty() && domain.front() == '.') domain.erase(0, 1);
  return domain + (c.include_subdomains ? "\t*\t" : "\t=\t") + (c.path.empty() ? "/" : c.path) + "\t" +
         c.name;
}

// What a change of the cookie carries besides its key.
std::string state_of(const StoredCookie& c) {
  return c.value + "\t" + std::to_string(c.expires) + (c.secure ? "\ts" : "\t") + (c.http_only ? "h" : "");
}

constexpr const char* kRemoval = "-";
std::string setting(const StoredCookie& c) { return "+" + state_of(c); }

}  // namespace

void CookieMirror::forget_if_settled(const std::string& key) {
  auto it = entries_.find(key);
  if (it != entries_.end() && !it->second.agreed && it->second.in_flight.empty()) entries_.erase(it);
}

CookieMirror::BrowserChanges CookieMirror::store_changed(const std::vector<StoredCookie>& store) {
  BrowserChanges changes;
  std::set<std::string> present;
  for (const StoredCookie& c : store) {
    std::string key = key_of(c);
    present.insert(key);
    Entry& e = entries_[key];
    if (e.agreed && state_of(*e.agreed) == state_of(c)) continue;
    e.agreed = c;
    e.in_flight.insert(setting(c));
    changes.set.push_back(c);
  }
  for (auto& [key, e] : entries_) {
    if (!e.agreed || present.count(key)) continue;
    changes.remove.push_back(*e.agreed);
    e.agreed.reset();
    e.in_flight.insert(kRemoval);
  }
  return changes;
}

bool CookieMirror::browser_added(const StoredCookie& cookie) {
  std::string key = key_of(cookie);
  Entry& e = entries_[key];
  if (auto echo = e.in_flight.find(setting(cookie)); echo != e.in_flight.end()) {
    // Our own change coming back (perhaps already replaced by a later one): nothing new.
    e.in_flight.erase(echo);
    forget_if_settled(key);
    return false;
  }
  if (e.agreed && state_of(*e.agreed) == state_of(cookie)) return false;
  e.agreed = cookie;
  return true;
}

bool CookieMirror::browser_removed(const StoredCookie& cookie) {
  std::string key = key_of(cookie);
  auto it = entries_.find(key);
  if (it == entries_.end()) return false;
  Entry& e = it->second;
  if (auto echo = e.in_flight.find(kRemoval); echo != e.in_flight.end()) {
    e.in_flight.erase(echo);
    forget_if_settled(key);
    return false;
  }
  // A value other than the agreed one is an old value the browser replaced (an overwrite
  // reports the old cookie as removed before the new one as added).
  if (!e.agreed || state_of(*e.agreed) != state_of(cookie)) return false;
  e.agreed.reset();
  forget_if_settled(key);
  return true;
}

}  // namespace tessaly
