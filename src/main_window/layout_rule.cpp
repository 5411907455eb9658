#include "main_window/layout_rule.h"

#include <stdexcept>

namespace zerva {

namespace {

// The band along the bottom: lists end 550 twips above the bottom edge,
// buttons 400 and the status row 300.
constexpr float ListsGap = 550.0f;

LayoutStep rect(LayoutTarget target, float left, float top, float width, float height)
{
    return {target, LayoutSet::Rect, left, top, width, height};
}

} // namespace

LayoutStep LayoutRuleStep(int step, float w, float h)
{
    using T = LayoutTarget;
    switch (step) {
    case 1: return {T::List1, LayoutSet::Height, 0, 0, 0, h - ListsGap};
    case 2: return {T::BufList, LayoutSet::Height, 0, 0, 0, h - ListsGap};
    case 3: return {T::BufList, LayoutSet::LeftTop, 0, 0, 0, 0};
    case 4: return {T::List1, LayoutSet::LeftTop, 0, 0, 0, 0};
    case 5: return {T::List1, LayoutSet::Width, 0, 0, w, 0};
    case 6: return {T::BufList, LayoutSet::Width, 0, 0, w, 0};
    case 7: return rect(T::cmdRefresh, w - 2100.0f, h - 400.0f, 1000, 350);
    case 8: return rect(T::cmdExit, w - 1050.0f, h - 400.0f, 1000, 350);
    case 9: return rect(T::lblOS, 77, h - 300.0f, 3000, 200);
    case 10: return rect(T::Check1, 3077, h - 300.0f, 1700, 200);
    case 11: return rect(T::Check2, 1577, h - 300.0f, 1400, 200);
    case 12: return rect(T::Frame1, w - 1640.0f, h - 1350.0f, 1350, 520);
    default: throw std::out_of_range("no such layout step");
    }
}

std::array<LayoutStep, LayoutStepCount> LayoutRule(float w, float h)
{
    std::array<LayoutStep, LayoutStepCount> steps{};
    for (int i = 0; i < LayoutStepCount; ++i)
        steps[static_cast<std::size_t>(i)] = LayoutRuleStep(i + 1, w, h);
    return steps;
}

} // namespace zerva
