#pragma once

#include <QElapsedTimer>

namespace zerva {

// Paces a loop that runs inside an event handler to one pass per display
// frame. Each yield lets the waiting events run, then keeps serving events
// (sleeping in between) until a frame has passed since the previous yield,
// so the loop is seen on screen and does not spin a core meanwhile.
class FramePacer {
public:
    explicit FramePacer(int frameMs);

    void yield();

private:
    int m_frameMs;
    QElapsedTimer m_since;
};

} // namespace zerva
