#pragma once
// The text-conversion page of the main window: an input list, six conversion buttons and the
// result box. Each button converts the whole list on a worker.
#include <QWidget>

#include <memory>

#include "content/conversions.h"

namespace tessaly {

class LineBox;
class WorkerTask;

class ConversionsPage : public QWidget {
  Q_OBJECT
 public:
  explicit ConversionsPage(QWidget* parent = nullptr);

  // Converts the input list into the result box. A conversion still running is stopped first,
  // so two runs never interleave their lines.
  void convert(Conversion conversion);
  // True while a conversion is writing its result.
  bool converting() const;

 private:
  LineBox* input_;
  LineBox* output_;
  WorkerTask* task_;
};

}  // namespace tessaly
