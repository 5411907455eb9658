#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace zerva {

// What the light banner shows of a page: its text, links and images, and a
// few plain marks of layout, rebuilt as small, flat HTML that the rich-text
// engine lays out in a moment whatever the page was. The page comes over
// plain HTTP from anyone on the way, and the engine's layout time grows with
// the square of the nesting; so everything else (scripts, style sheets and
// style attributes, tables, frames, forms) is dropped, elements beyond
// kMaxDepth or kMaxElements lose their tags but keep their text, and text
// beyond kMaxText is cut. The work is linear in the length of the page.
struct BannerHtml {
    static constexpr int kMaxDepth = 8;
    static constexpr int kMaxElements = 256;
    static constexpr int kMaxText = 4096;
    static constexpr int kMaxUrl = 1024;
    static constexpr int kMaxImagePx = 1024;

    QString html;
    // The src of each image kept, as written in the page.
    QStringList images;

    static BannerHtml FromPage(QStringView page);
};

} // namespace zerva
