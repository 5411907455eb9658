#pragma once

class QWidget;

namespace zerva {

// Start-up measurement: when the environment variable
// ZERVA_EXIT_AFTER_FIRST_PAINT is set, prints one line once `window` has
// painted for the first time and quits. The benchmark launches the program
// this way and times it from the outside; otherwise nothing happens.
void ExitAfterFirstPaintIfAsked(QWidget& window);

} // namespace zerva
