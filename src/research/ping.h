#pragma once
// Baidu ping: submits a list of site addresses to Baidu's ping page one after another by driving
// that page in an embedded browser (load it, wait for its form, type the address into its first
// text field, press its first button, wait for the confirmation). A pass can be paused and
// continued, or stopped, between addresses; an address whose form has not been filled yet is
// left at once (nothing of it was sent) and comes first when the pass continues.
//
// The pass runs on the window thread: the browser's waits keep processing window messages, and
// that is how the pause and stop buttons reach a running pass (they set the flags below).
#include <functional>
#include <string>

#include "core/http/http.h"
#include "core/text/text.h"

namespace tessaly::research {

// The page the browser shows and drives.
std::string ping_page_url();

// The run state the buttons change: start clears both flags and goes back to the first
// address; continue clears the pause flag only.
struct PingRunState {
  bool stop = false;
  bool pause = false;
  int resume_position = 1;  // 1-based: where a continued pass begins
};

// Why the last page the browser loaded is no page: `why` (GBK) is empty for a page that came
// (whatever it holds); `refused` tells a service that kept refusing (HTTP 429).
struct PingLoadProblem {
  Text why;
  bool refused = false;
};

// What the pass needs of the browser (the window side drives a real one).
class PingDriver {
 public:
  virtual ~PingDriver() = default;
  virtual void navigate(const std::string& url) = 0;
  // What went wrong with the page the last navigate() asked for; nothing when it came.
  virtual PingLoadProblem load_problem() { return {}; }
  // True as soon as the loaded document's text contains `text` (GBK); false after the wait's
  // limit, as soon as `give_up` returns true, or at once when the browser has gone.
  virtual bool wait_for_page_text(const Text& text, const std::function<bool()>& give_up) = 0;
  virtual void fill_text_input(const Text& identifier, const Text& value) = 0;
  virtual void click_button_input(const Text& identifier) = 0;
  // The address's end: its outcome (Result when confirmed, Failed when the form or the
  // confirmation never showed, RateLimited when the service refused the form page) and the
  // status line that says so (ending in CR LF).
  virtual void address_done(const Text& address, ItemOutcome outcome, const Text& status_line) = 0;
  // The window is closing or gone: the pass ends where it stands.
  virtual bool aborted() = 0;
};

enum class PingPassEnd { Finished, Paused, Stopped, Aborted };

// Confirmed: the page confirmed it. NoForm: the form page did not show its form. Refused: the
// service refused the form page. Unconfirmed: submitted, but the page did not confirm. Each of
// these told the driver with its status line. Left: pause or stop came while waiting for the
// form, before anything was sent (no status line).
enum class PingAddressEnd { Confirmed, NoForm, Refused, Unconfirmed, Left };

// One address. Pause and stop in `state` cut the wait for the form short; once the address is
// submitted its confirmation is waited for.
PingAddressEnd ping_one_url(const Text& address, const PingRunState& state, PingDriver& driver);
// The pass over the address list, from the resume position, checking pause and stop before each
// address (the address being submitted is finished first; a left one is where a pause resumes).
PingPassEnd run_ping_pass(PingRunState& state, const TextList& addresses, PingDriver& driver);

// Scripts run in the driven page (GBK text; the identifier is "1" in every call the pass makes).
// The first input of type text, password or file whose name, id or title equals the identifier,
// or else the one at that 1-based position, receives the value; true when one did.
Text fill_text_input_script(const Text& identifier, const Text& value);
// The same search among inputs of type button, submit or reset, and when none matches among the
// button elements; the one found is clicked; true when one was.
Text click_button_input_script(const Text& identifier);

}  // namespace tessaly::research
