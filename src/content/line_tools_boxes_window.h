#pragma once
// Moving large list texts in and out of list boxes without holding up the window thread. A
// million-line text costs seconds to convert and to lay out as a text document; here the window
// thread only copies the box's Qt text (reading) or swaps in a document a worker has built
// (writing), and the conversions to and from GBK run on the worker.
#include <QString>

#include <string>
#include <string_view>

class QPlainTextEdit;

namespace tessaly {

class Bridge;

// A box's text as the window thread took it; gbk() converts it (call it on the worker).
struct BoxText {
  QString text;
  std::string gbk() const;
};
BoxText take_box_text(const QPlainTextEdit* box);

// Worker side: replaces the whole text of `box` with the GBK text (CR LF line breaks), as
// set_box_text would. The document is built here and swapped in on the window thread, in order
// with the job's other writes; nothing happens when the box's window has been closed.
void replace_box_text(Bridge& bridge, QPlainTextEdit* box, std::string_view gbk_text);

}  // namespace tessaly
