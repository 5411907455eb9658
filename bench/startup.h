#pragma once

namespace zerva::bench {

// Milliseconds from launching the program (with ZERVA_EXIT_AFTER_FIRST_PAINT
// set) to its report of the first paint of the main window; negative when
// the program did not report.
double TimeToFirstPaintMs(const char* exe);

} // namespace zerva::bench
