#include "platform/banner/image_decode.h"

#include "platform/banner/banner_html.h"

#include <QBuffer>
#include <QImageReader>

#include <atomic>
#include <mutex>
#include <thread>

namespace zerva {

namespace {

std::atomic<int> g_threads{0};

} // namespace

struct ImageDecode::State {
    std::mutex mutex;
    bool done = false;
    QImage image;
};

std::shared_ptr<ImageDecode> ImageDecode::Start(QByteArray bytes)
{
    if (g_threads.fetch_add(1) >= kMaxThreads) {
        g_threads.fetch_sub(1);
        return nullptr;
    }
    auto state = std::make_shared<State>();
    try {
        std::thread([state, bytes = std::move(bytes)] {
            QImage image = Decode(bytes);
            {
                const std::lock_guard<std::mutex> lock(state->mutex);
                state->image = std::move(image);
                state->done = true;
            }
            g_threads.fetch_sub(1);
        }).detach();
    } catch (const std::system_error&) {
        g_threads.fetch_sub(1);
        return nullptr;
    }
    return std::make_shared<ImageDecode>(state);
}

bool ImageDecode::done() const
{
    const std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->done;
}

QImage ImageDecode::take()
{
    const std::lock_guard<std::mutex> lock(m_state->mutex);
    return std::move(m_state->image);
}

int ImageDecode::JpegScans(const QByteArray& bytes)
{
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() < 4 || at(0) != 0xFF || at(1) != 0xD8)
        return 0;
    int scans = 0;
    qsizetype i = 2;
    while (i + 3 < bytes.size()) {
        if (at(i) != 0xFF) {
            ++i;   // entropy-coded data
            continue;
        }
        const unsigned char marker = at(i + 1);
        if (marker == 0x00 || marker == 0xFF || (marker >= 0xD0 && marker <= 0xD7)) {
            i += marker == 0xFF ? 1 : 2;   // a stuffed byte, fill, or a restart marker
            continue;
        }
        if (marker == 0xD9)
            break;
        if (marker == 0xDA)
            ++scans;
        // A segment with a length: skip it (a scan's data follows its header).
        i += 2 + ((qsizetype(at(i + 2)) << 8) | at(i + 3));
    }
    return scans;
}

QImage ImageDecode::Decode(const QByteArray& bytes)
{
    if (JpegScans(bytes) > kMaxJpegScans)
        return {};
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(32);   // MiB; 1024 x 1024 at 4 bytes is 4
    // Decoding costs what the declared size says, not what was sent.
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > BannerHtml::kMaxImagePx || size.height() > BannerHtml::kMaxImagePx)
        return {};
    return reader.read();
}

} // namespace zerva
