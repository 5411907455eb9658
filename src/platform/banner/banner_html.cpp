#include "platform/banner/banner_html.h"

#include <QUrl>

#include <algorithm>
#include <utility>
#include <vector>

namespace zerva {

namespace {

enum class Kind { Container, Void };

struct Element {
    QLatin1StringView name;
    Kind kind;
};

constexpr Element kElements[] = {
    {QLatin1StringView("a"), Kind::Container},      {QLatin1StringView("b"), Kind::Container},
    {QLatin1StringView("strong"), Kind::Container}, {QLatin1StringView("i"), Kind::Container},
    {QLatin1StringView("em"), Kind::Container},     {QLatin1StringView("u"), Kind::Container},
    {QLatin1StringView("font"), Kind::Container},   {QLatin1StringView("span"), Kind::Container},
    {QLatin1StringView("p"), Kind::Container},      {QLatin1StringView("div"), Kind::Container},
    {QLatin1StringView("center"), Kind::Container}, {QLatin1StringView("br"), Kind::Void},
    {QLatin1StringView("img"), Kind::Void},
};

// Elements whose content is no text to show; it is skipped to their end tag.
constexpr QLatin1StringView kSkipped[] = {
    QLatin1StringView("script"), QLatin1StringView("style"),    QLatin1StringView("title"),
    QLatin1StringView("noscript"), QLatin1StringView("iframe"), QLatin1StringView("object"),
    QLatin1StringView("template"), QLatin1StringView("textarea"), QLatin1StringView("select"),
    QLatin1StringView("svg"),    QLatin1StringView("math"),
};

bool Is(QStringView name, QLatin1StringView known)
{
    return name.compare(known, Qt::CaseInsensitive) == 0;
}

// A tag's name in lower case, or nothing when it cannot be one we know:
// hundreds of thousands of tags may pass here, so no allocation and no
// case-blind comparison per known name.
QLatin1StringView Lower(QStringView name, char (&buffer)[9])
{
    if (name.size() > 8)
        return {};
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c >= 0x80)
            return {};
        buffer[i] = c >= u'A' && c <= u'Z' ? char(c - u'A' + 'a') : char(c);
    }
    return QLatin1StringView(buffer, name.size());
}

int ElementIndex(QStringView name)
{
    char buffer[9];
    const QLatin1StringView lower = Lower(name, buffer);
    for (int i = 0; i < int(std::size(kElements)) && !lower.isEmpty(); ++i)
        if (lower == kElements[i].name)
            return i;
    return -1;
}

int SkippedIndex(QStringView name)
{
    char buffer[9];
    const QLatin1StringView lower = Lower(name, buffer);
    for (int i = 0; i < int(std::size(kSkipped)) && !lower.isEmpty(); ++i)
        if (lower == kSkipped[i])
            return i;
    return -1;
}

// The attributes of use to a banner, as they stand in the page. Views, so
// that the many tags that are dropped cost no allocation.
struct Attributes {
    QStringView href, src, width, height, color, align;
};

bool IsSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// The few entities a URL or a colour is written with.
QString DecodeEntities(QStringView value)
{
    QString out = value.toString();
    out.replace(QLatin1StringView("&quot;"), QLatin1StringView("\""));
    out.replace(QLatin1StringView("&#39;"), QLatin1StringView("'"));
    out.replace(QLatin1StringView("&lt;"), QLatin1StringView("<"));
    out.replace(QLatin1StringView("&gt;"), QLatin1StringView(">"));
    out.replace(QLatin1StringView("&amp;"), QLatin1StringView("&"));
    return out;
}

bool IsPlainWord(QStringView value, int max)
{
    return !value.isEmpty() && value.size() <= max
        && std::all_of(value.begin(), value.end(), [](QChar c) { return c.isLetterOrNumber() || c == u'#'; });
}

QString Pixels(QStringView value)
{
    bool ok = false;
    const int px = value.toInt(&ok);
    return ok && px >= 0 ? QString::number(std::min(px, BannerHtml::kMaxImagePx)) : QString();
}

class Builder {
public:
    explicit Builder(QStringView page) : m_page(page) {}

    BannerHtml run()
    {
        while (m_pos < m_page.size()) {
            const qsizetype lt = m_page.indexOf(u'<', m_pos);
            text(m_page.sliced(m_pos, (lt < 0 ? m_page.size() : lt) - m_pos));
            if (lt < 0)
                break;
            m_pos = lt;
            if (!markup())
                break;   // markup that never ends: nothing after it can be a tag
        }
        while (!m_open.empty()) {
            if (m_open.back().emitted)
                m_out.html += QLatin1StringView("</") + kElements[m_open.back().element].name + u'>';
            m_open.pop_back();
        }
        return std::move(m_out);
    }

private:
    struct Open {
        int element;
        bool emitted;
    };

    void text(QStringView run)
    {
        const qsizetype room = BannerHtml::kMaxText - m_textSize;
        if (room <= 0 || run.isEmpty())
            return;
        run = run.first(std::min(room, run.size()));
        m_textSize += run.size();
        m_out.html += run;
    }

    // The markup at m_pos (a '<'). False when it runs to the end of the page.
    bool markup()
    {
        const QStringView rest = m_page.sliced(m_pos);
        if (rest.startsWith(QLatin1StringView("<!--")))
            return skipPast(QLatin1StringView("-->"));
        if (rest.size() > 1 && (rest[1] == u'!' || rest[1] == u'?'))
            return skipPast(QLatin1StringView(">"));
        const bool closing = rest.size() > 1 && rest[1] == u'/';
        qsizetype end = closing ? 2 : 1;
        while (end < rest.size() && end < 32 && rest[end].isLetterOrNumber())
            ++end;
        const QStringView name = rest.sliced(closing ? 2 : 1, end - (closing ? 2 : 1));
        if (name.isEmpty() || !name.front().isLetter()) {
            // A '<' that starts no tag is text.
            if (m_textSize < BannerHtml::kMaxText) {
                m_out.html += QLatin1StringView("&lt;");
                ++m_textSize;
            }
            ++m_pos;
            return true;
        }
        m_pos += end;
        Attributes attributes;
        if (!readAttributes(attributes))
            return false;
        const int skipped = SkippedIndex(name);
        if (closing)
            close(ElementIndex(name));
        else if (skipped >= 0)
            return skipPast(QLatin1StringView("</") + kSkipped[skipped]) && skipPast(QStringLiteral(">"));
        else
            open(ElementIndex(name), attributes);
        return true;
    }

    // Past the next `marker`, letter case ignored; false when there is none.
    bool skipPast(const QString& marker)
    {
        const qsizetype at = m_page.indexOf(marker, m_pos, Qt::CaseInsensitive);
        if (at < 0)
            return false;
        m_pos = at + marker.size();
        return true;
    }

    // The attributes up to and past the tag's '>'; quoted values may hold
    // one. False when the tag never ends.
    bool readAttributes(Attributes& attributes)
    {
        const qsizetype size = m_page.size();
        for (;;) {
            while (m_pos < size && (IsSpace(m_page[m_pos]) || m_page[m_pos] == u'/'))
                ++m_pos;
            if (m_pos >= size)
                return false;
            if (m_page[m_pos] == u'>') {
                ++m_pos;
                return true;
            }
            const qsizetype nameStart = m_pos;
            while (m_pos < size && !IsSpace(m_page[m_pos]) && m_page[m_pos] != u'=' && m_page[m_pos] != u'>'
                   && m_page[m_pos] != u'/')
                ++m_pos;
            const QStringView name = m_page.sliced(nameStart, m_pos - nameStart);
            while (m_pos < size && IsSpace(m_page[m_pos]))
                ++m_pos;
            QStringView value;
            if (m_pos < size && m_page[m_pos] == u'=') {
                ++m_pos;
                while (m_pos < size && IsSpace(m_page[m_pos]))
                    ++m_pos;
                if (m_pos < size && (m_page[m_pos] == u'"' || m_page[m_pos] == u'\'')) {
                    const qsizetype close = m_page.indexOf(m_page[m_pos], m_pos + 1);
                    if (close < 0)
                        return false;
                    value = m_page.sliced(m_pos + 1, close - m_pos - 1);
                    m_pos = close + 1;
                } else {
                    const qsizetype start = m_pos;
                    while (m_pos < size && !IsSpace(m_page[m_pos]) && m_page[m_pos] != u'>')
                        ++m_pos;
                    value = m_page.sliced(start, m_pos - start);
                }
            }
            if (value.size() > BannerHtml::kMaxUrl)
                continue;
            for (auto [known, slot] : {std::pair{QLatin1StringView("href"), &attributes.href},
                                       std::pair{QLatin1StringView("src"), &attributes.src},
                                       std::pair{QLatin1StringView("width"), &attributes.width},
                                       std::pair{QLatin1StringView("height"), &attributes.height},
                                       std::pair{QLatin1StringView("color"), &attributes.color},
                                       std::pair{QLatin1StringView("align"), &attributes.align}})
                if (Is(name, known))
                    *slot = value;
        }
    }

    void open(int element, const Attributes& attributes)
    {
        if (element < 0)
            return;   // a tag of no use to a banner; its text stays
        const bool room = m_elements < BannerHtml::kMaxElements
            && (kElements[element].kind == Kind::Void || int(m_depth) < BannerHtml::kMaxDepth);
        QString tag;
        if (room)
            tag = startTag(kElements[element].name, attributes);
        if (kElements[element].kind == Kind::Void) {
            if (!tag.isEmpty()) {
                ++m_elements;
                m_out.html += tag;
            }
            return;
        }
        const bool emitted = !tag.isEmpty();
        m_open.push_back(Open{element, emitted});
        if (emitted) {
            ++m_elements;
            ++m_depth;
            m_out.html += tag;
        }
    }

    // Only an end tag that matches the innermost open element closes it, so
    // the work per tag stays the same however deep the page goes.
    void close(int element)
    {
        if (m_open.empty() || m_open.back().element != element)
            return;
        if (m_open.back().emitted) {
            m_out.html += QLatin1StringView("</") + kElements[element].name + u'>';
            --m_depth;
        }
        m_open.pop_back();
    }

    // The start tag with the attributes kept, or nothing when the element is
    // dropped (an image without a web address).
    QString startTag(QLatin1StringView name, const Attributes& attributes)
    {
        QString tag = u'<' + name;
        const auto add = [&tag](QLatin1StringView key, const QString& value) {
            if (!value.isEmpty())
                tag += u' ' + key + QLatin1StringView("=\"") + value.toHtmlEscaped() + u'"';
        };
        if (name == QLatin1StringView("a")) {
            add(QLatin1StringView("href"), DecodeEntities(attributes.href));
        } else if (name == QLatin1StringView("img")) {
            const QString src = DecodeEntities(attributes.src);
            const QString scheme = QUrl(src).scheme().toLower();
            if (src.isEmpty() || !(scheme.isEmpty() || scheme == QLatin1StringView("http") || scheme == QLatin1StringView("https"))
                || m_out.images.size() >= BannerHtml::kMaxElements)
                return QString();
            m_out.images << src;
            add(QLatin1StringView("src"), src);
            add(QLatin1StringView("width"), Pixels(attributes.width));
            add(QLatin1StringView("height"), Pixels(attributes.height));
        } else if (name == QLatin1StringView("font")) {
            if (IsPlainWord(attributes.color, 20))
                add(QLatin1StringView("color"), attributes.color.toString());
        } else if (name == QLatin1StringView("p") || name == QLatin1StringView("div")) {
            if (IsPlainWord(attributes.align, 8))
                add(QLatin1StringView("align"), attributes.align.toString().toLower());
        }
        return tag + u'>';
    }

    QStringView m_page;
    qsizetype m_pos = 0;
    BannerHtml m_out;
    std::vector<Open> m_open;
    qsizetype m_depth = 0;
    int m_elements = 0;
    qsizetype m_textSize = 0;
};

} // namespace

BannerHtml BannerHtml::FromPage(QStringView page)
{
    return Builder(page).run();
}

} // namespace zerva
