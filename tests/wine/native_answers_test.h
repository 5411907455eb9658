#pragma once

namespace zerva::test {

// The native process source over the stand-ins of fake_nt.h: the rows it
// makes from answers as Windows 10 and 11 give them, and from answers
// that lie. Each group is run through run() of wine_check.h.
void RunNativeAnswerTests();

} // namespace zerva::test
