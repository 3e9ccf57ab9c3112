#pragma once
// Checks of what the user typed, made as a run starts. A refused run starts nothing and clears
// nothing: a message says what to fix, and the box in question gets the focus. (A box a run
// reads again while it goes on, a thread count, is still read as the run's Part reads it.)
#include <QString>

class QLineEdit;
class QWidget;

namespace tessaly {

class LineBox;

// The list holds a line with something on it (blank lines alone make an empty list).
bool require_lines(LineBox* box, const QString& message);
// The box holds something other than spaces.
bool require_text(QLineEdit* box, const QString& message);
// The box holds a whole number (whole_number) of at least `least`.
bool require_number(QLineEdit* box, int least, const QString& message);
// A thread count: a whole number of at least 1.
bool require_thread_count(QLineEdit* box);
// Any other check the tool made of the box's content: refused with the message when not `valid`.
bool require_valid(QWidget* box, bool valid, const QString& message);

}  // namespace tessaly
