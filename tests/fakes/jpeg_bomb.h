#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>

namespace zerva::test {

// A valid baseline JPEG of the given size.
inline QByteArray Jpeg(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 7, y * 3, (x ^ y) & 0xFF));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

// A progressive JPEG that the decoder works through once per scan: the
// baseline image made progressive (its one scan read as the DC scan), then
// `scans` empty AC scans of the first component, each of which the decoder
// still walks block by block. About ten bytes a scan.
inline QByteArray ProgressiveJpegBomb(int w, int h, int scans)
{
    QByteArray bytes = Jpeg(w, h);
    const qsizetype sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    const qsizetype sos = bytes.indexOf(QByteArray("\xFF\xDA", 2));
    if (sof < 0 || sos < 0)
        return {};
    bytes[sof + 1] = char(0xC2);
    // Scan header: length, components, then Ss=0 Se=0 Ah/Al=0, a DC scan.
    const int length = (uchar(bytes[sos + 2]) << 8) | uchar(bytes[sos + 3]);
    bytes[sos + 2 + length - 3] = 0;
    bytes[sos + 2 + length - 2] = 0;
    bytes[sos + 2 + length - 1] = 0;
    bytes.chop(2);   // EOI
    const QByteArray ac("\xFF\xDA\x00\x08\x01\x01\x00\x01\x3F\x00", 10);
    bytes += ac.repeated(scans);
    bytes += QByteArray("\xFF\xD9", 2);
    return bytes;
}

} // namespace zerva::test
