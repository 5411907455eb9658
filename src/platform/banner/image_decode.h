#pragma once

#include <QByteArray>
#include <QImage>

#include <memory>

namespace zerva {

// One banner image decoded away from the user-interface thread. A decoder
// cannot be interrupted, so a decode that takes too long is abandoned: the
// banner stops asking, and the thread ends on its own when the decoder does,
// never joined, so that nothing (not even closing the window) waits for it.
// Few such threads may run at once; past that, images are refused. An
// image larger than BannerHtml::kMaxImagePx either way is refused before it
// is decoded.
class ImageDecode {
public:
    // A progressive JPEG is decoded once more for each scan: a few dozen is
    // what encoders write; thousands make a one-megabyte file take seconds.
    static constexpr int kMaxJpegScans = 64;
    // Decoding threads alive at once in the program, abandoned ones included.
    static constexpr int kMaxThreads = 4;

    // Starts decoding `bytes`, or returns nothing when no thread is free.
    static std::shared_ptr<ImageDecode> Start(QByteArray bytes);

    // Whether the decoder has finished, and what it gave (a null image when
    // it refused or failed). Safe to ask from the user-interface thread at
    // any time.
    bool done() const;
    QImage take();

    // The number of scans of a JPEG file, counted without decoding (0 for
    // what is not a JPEG). Linear in the size of the file.
    static int JpegScans(const QByteArray& bytes);
    // The image in `bytes`, within the limits above; a null image otherwise.
    static QImage Decode(const QByteArray& bytes);

    struct State;
    explicit ImageDecode(std::shared_ptr<State> state) : m_state(std::move(state)) {}

private:
    std::shared_ptr<State> m_state;
};

} // namespace zerva
