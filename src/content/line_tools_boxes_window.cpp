#include "content/line_tools_boxes_window.h"

#include <QCoreApplication>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <memory>

#include "gui/bridge.h"
#include "gui/gbk_qt.h"

namespace tessaly {
namespace {

// Below this size a plain set on the window thread is as quick as building a document aside.
constexpr size_t kAsideBytes = 256 * 1024;

// Owns a document until a box takes it; a document nobody took (its window was closed) goes
// away on the window thread.
struct PendingDocument {
  QTextDocument* document = nullptr;
  ~PendingDocument() {
    if (document) document->deleteLater();
  }
};

}  // namespace

std::string BoxText::gbk() const { return to_gbk_lines(text); }

BoxText take_box_text(const QPlainTextEdit* box) { return BoxText{box->toPlainText()}; }

void replace_box_text(Bridge& bridge, QPlainTextEdit* box, std::string_view gbk_text) {
  if (gbk_text.size() < kAsideBytes) {
    bridge.set_text(box, std::string(gbk_text));
    return;
  }
  QString text = from_gbk_lines(gbk_text);
  checkpoint();
  auto pending = std::make_shared<PendingDocument>();
  pending->document = new QTextDocument;
  pending->document->setDocumentLayout(new QPlainTextDocumentLayout(pending->document));
  pending->document->setUndoRedoEnabled(false);
  pending->document->setPlainText(text);
  pending->document->setUndoRedoEnabled(true);
  pending->document->moveToThread(QCoreApplication::instance()->thread());
  bridge.post([box, pending] {
    QTextDocument* document = pending->document;
    pending->document = nullptr;
    QTextDocument* old = box->document();
    const bool old_is_ours = old->parent() == box;  // a document the box made itself it deletes itself
    document->setDefaultFont(old->defaultFont());
    document->setParent(box);
    box->setDocument(document);
    if (old_is_ours) old->deleteLater();
    box->moveCursor(QTextCursor::Start);
  });
}

}  // namespace tessaly
