#pragma once

#include <QByteArray>

namespace zerva::bench {

// How long the light banner holds the user-interface thread at most while it
// fetches `page` from a server on 127.0.0.1, lays it out and paints it: the
// longest gap between two ticks of a 1 ms timer, from the navigation until
// the page has been shown for a while.
struct BannerBlock {
    double worstMs = 0;
    double shownAfterMs = -1;   // -1: never shown
};

BannerBlock MeasureBannerBlock(const QByteArray& page);

} // namespace zerva::bench
