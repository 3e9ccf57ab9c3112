#include "research/ping_page.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QHBoxLayout>
#include <QPointer>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>

#include "core/text/charset.h"
#include "gui/browser.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/pump.h"

namespace tessaly {

namespace {

constexpr int kPollMs = 300;          // how often a wait reads the page
constexpr int kWaitLimitMs = 5000;    // how long a wait reads it at most
constexpr int kScriptLimitMs = 5000;  // a script's result from a page that no longer answers

// The text of the current document, or null for a document marked as left behind.
const QString kReadText = QStringLiteral(
    "window.__tessalyLeftBehind ? null"
    " : (document.documentElement ? document.documentElement.innerText : '')");

}  // namespace

// Drives the page's browser for a pass. Every wait pumps window messages, so the buttons (and
// anything else) keep working; a closed window ends every wait at once.
class PingBrowserDriver : public research::PingDriver {
 public:
  explicit PingBrowserDriver(PingPage* page) : page_(page) {}

  void navigate(const std::string& url) override {
    QWebEnginePage* web = page();
    if (!web) return;
    // Until the new document has replaced the one shown now, the waits must not read the old
    // one (it may hold the very text they wait for): a load still under way is stopped, so no
    // other document can take its place, and the one shown is marked as left behind.
    web->triggerAction(QWebEnginePage::Stop);
    run_page_script(web, QStringLiteral("window.__tessalyLeftBehind = true;"), kScriptLimitMs);
    page_->load_problem_ = {};
    if (QWebEnginePage* still = page()) still->load(QUrl(QString::fromStdString(url)));
  }

  research::PingLoadProblem load_problem() override {
    return aborted() ? research::PingLoadProblem{} : page_->load_problem_;
  }

  bool wait_for_page_text(const Text& text, const std::function<bool()>& give_up) override {
    const QString wanted = from_gbk(text);
    QElapsedTimer clock;
    clock.start();
    while (!aborted() && !give_up()) {
      const int loads = page_->loads_finished_;
      QVariant shown = run_page_script(page(), kReadText, kScriptLimitMs);
      if (aborted()) return false;
      if (shown.typeId() == QMetaType::QString && shown.toString().contains(wanted)) return true;
      qint64 left = kWaitLimitMs - clock.elapsed();
      if (left <= 0) return false;
      // The next look comes after the poll interval, or at once when a page has finished
      // loading meanwhile: a page that answers at once costs no poll interval.
      pump_until([&] { return aborted() || give_up() || page_->loads_finished_ != loads; },
                 static_cast<int>(std::min<qint64>(kPollMs, left)));
    }
    return false;
  }

  void fill_text_input(const Text& identifier, const Text& value) override {
    run_page_script(page(), from_gbk(research::fill_text_input_script(identifier, value)), kScriptLimitMs);
  }

  void click_button_input(const Text& identifier) override {
    run_page_script(page(), from_gbk(research::click_button_input_script(identifier)), kScriptLimitMs);
  }

  void address_done(const Text&, ItemOutcome, const Text& status_line) override {
    if (!aborted()) append_text(page_->status_, status_line);
  }

  bool aborted() override { return !page_ || page_->closing_ || !page_->browser_; }

 private:
  QWebEnginePage* page() { return aborted() ? nullptr : page_->browser_->page(); }

  QPointer<PingPage> page_;
};

PingPage::PingPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PingPage"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* frame = make_group(this, "分组框23", {});
  outer->addWidget(frame);

  addresses_ = make_list_box(nullptr, "编辑框1", data_text("samples/ping_addresses.txt"));
  QGroupBox* address_group = framed(frame, QStringLiteral("待提交的网址"), addresses_);
  address_group->setObjectName(QStringLiteral("分组框24"));
  status_ = make_list_box(nullptr, "编辑框2");
  status_->set_wrap(true);  // status lines are longer than the box
  QGroupBox* status_group = framed(frame, QStringLiteral("状态提示"), status_);
  status_group->setObjectName(QStringLiteral("分组框25"));

  start_ = make_button(frame, "按钮开始提交", QStringLiteral("开始提交"));
  pause_ = make_button(frame, "按钮暂停提交", QStringLiteral("暂停提交"));
  continue_ = make_button(frame, "按钮继续提交", QStringLiteral("继续提交"));
  stop_ = make_button(frame, "按钮4", QStringLiteral("停止提交"));
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {start_, pause_, continue_, stop_}) {
    b->setMinimumHeight(28);
    buttons->addWidget(b);
  }

  auto* left = new QVBoxLayout;
  left->addWidget(address_group, 3);
  left->addWidget(status_group, 2);
  left->addLayout(buttons);

  browser_frame_ = new QWidget(frame);
  auto* browser_layout = new QVBoxLayout(browser_frame_);
  browser_layout->setContentsMargins(0, 0, 0, 0);

  auto* row = new QHBoxLayout(frame);
  row->addLayout(left, 0);
  row->addWidget(browser_frame_, 1);
  address_group->setMinimumWidth(330);

  connect(start_, &QPushButton::clicked, this, [this] { start_ping(); });
  connect(pause_, &QPushButton::clicked, this, [this] { pause_ping(); });
  connect(continue_, &QPushButton::clicked, this, [this] { continue_ping(); });
  connect(stop_, &QPushButton::clicked, this, [this] { stop_ping(); });
}

QWebEngineView* PingPage::browser() {
  if (browser_) return browser_;
  // Made on first view rather than with the main window, so that start-up stays fast.
  browser_ = make_browser(browser_frame_, "超文本浏览框2");
  browser_frame_->layout()->addWidget(browser_);
  connect(browser_->page(), &QWebEnginePage::loadFinished, this, [this] { ++loads_finished_; });
  // Why a load brought no page: a failed connection, or an error status (reported with the page
  // the service sent along).
  connect(browser_->page(), &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
      load_problem_ = {};
      return;
    }
    const bool status_error =
        info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain && info.errorCode() >= 400;
    if (status_error) {
      load_problem_ = {gbk("服务器回答HTTP ") + std::to_string(info.errorCode()), info.errorCode() == 429};
    } else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus) {
      load_problem_ = {gbk("没有得到回答（") + to_gbk(info.errorString()) + gbk("）"), false};
    }
  });
  browser_->load(QUrl(QString::fromStdString(research::ping_page_url())));
  return browser_;
}

void PingPage::showEvent(QShowEvent* event) {
  browser();
  QWidget::showEvent(event);
}

void PingPage::closeEvent(QCloseEvent* event) {
  closing_ = true;  // the page shown as a window of its own
  QWidget::closeEvent(event);
}

bool PingPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == watched_window_ && event->type() == QEvent::Close) closing_ = true;
  return QWidget::eventFilter(watched, event);
}

void PingPage::start_ping() {
  if (state_ == JobState::Running || state_ == JobState::Stopping) return;
  run_.stop = false;
  run_.pause = false;
  run_.resume_position = 1;
  begin_pass();
}

void PingPage::continue_ping() {
  if (state_ == JobState::Running || state_ == JobState::Stopping) return;
  run_.pause = false;
  begin_pass();
}

void PingPage::pause_ping() {
  run_.pause = true;
  if (state_ == JobState::Running) set_state(JobState::Stopping);
}

void PingPage::stop_ping() {
  run_.stop = true;
  if (state_ == JobState::Running)
    set_state(JobState::Stopping);
  else if (state_ == JobState::Paused)
    set_state(JobState::Idle);  // the paused pass is over; continue now ends at once
}

void PingPage::begin_pass() {
  set_state(JobState::Running);
  // The pass runs from the event loop rather than inside the click, so the button finishes its
  // own handling first; the page is running (and its start buttons ignored) from this moment.
  QMetaObject::invokeMethod(
      this, [this] { run_pass(); }, Qt::QueuedConnection);
}

void PingPage::run_pass() {
  closing_ = false;
  if (QWidget* w = window(); w != watched_window_) {
    if (watched_window_) watched_window_->removeEventFilter(this);
    watched_window_ = w;
    if (w != this) w->installEventFilter(this);
  }
  browser();
  QPointer<PingPage> self(this);
  const TextList addresses = split_lines(box_text(addresses_));
  PingBrowserDriver driver(this);
  research::PingPassEnd end = research::run_ping_pass(run_, addresses, driver);
  if (!self) return;
  set_state(end == research::PingPassEnd::Paused ? JobState::Paused : JobState::Idle);
}

void PingPage::set_state(JobState state) {
  if (state_ == state) return;
  state_ = state;
  const bool pass_running = state == JobState::Running || state == JobState::Stopping;
  start_->setEnabled(!pass_running);
  continue_->setEnabled(!pass_running);
  Q_EMIT state_changed(state);
}

}  // namespace tessaly
