#pragma once

class QWidget;

namespace zerva {

// Start-up measurement: when the environment variable
// ZERVA_EXIT_AFTER_FIRST_PAINT is set, prints one line once `window` has
// painted for the first time and quits. The benchmark launches the program
// this way and times it from the outside; otherwise nothing happens. With
// the value "list" it prints "first paint", goes on, and prints "first list"
// and quits once the window has painted a filled list.
void ExitAfterFirstPaintIfAsked(QWidget& window);

} // namespace zerva
