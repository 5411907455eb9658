#pragma once

#include <QByteArray>
#include <QHash>

namespace zerva::bench {

// How long the light banner holds the user-interface thread at most while it
// fetches `page` from a server on 127.0.0.1, lays it out and paints it: the
// longest gap between two ticks of a 1 ms timer, from the navigation until
// the page has been shown for a while.
// `images` are served too, by path, as JPEG. The banner is then closed:
// closedInMs is how long that took.
struct BannerBlock {
    double worstMs = 0;
    double shownAfterMs = -1;   // -1: never shown
    double closedInMs = 0;
};

BannerBlock MeasureBannerBlock(const QByteArray& page, const QHash<QByteArray, QByteArray>& images = {});

} // namespace zerva::bench
