#pragma once

#include <array>

namespace zerva {

// The main window's layout as a pure function of its client size, in twips
// and single precision. The window applies the steps in order, each on its
// own, so that a step the toolkit refuses (a negative height) leaves the
// others standing.
enum class LayoutTarget { List1, BufList, cmdRefresh, cmdExit, lblOS, Check1, Check2, Frame1 };

// What a step sets: only the height, only left and top, only the width, or
// all four values in one move.
enum class LayoutSet { Height, LeftTop, Width, Rect };

struct LayoutStep {
    LayoutTarget target;
    LayoutSet set;
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};

inline constexpr int LayoutStepCount = 12;

// Step `step` (1 to 12) for a client area of `w` x `h` twips.
LayoutStep LayoutRuleStep(int step, float w, float h);

// All twelve steps, in the order they are applied.
std::array<LayoutStep, LayoutStepCount> LayoutRule(float w, float h);

} // namespace zerva
