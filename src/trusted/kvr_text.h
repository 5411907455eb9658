#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace zerva {

// The bytes of the trusted-program file as lines in the file's own encoding,
// so that a change touches only the lines it changes: every other line keeps
// its bytes, its line end and the file's byte order mark.
//
// Encodings: UTF-16LE or UTF-16BE after their byte order mark (as Notepad's
// "Unicode" saves), UTF-8 after its byte order mark, else the system's own
// (conf_codec.h). Any other file holding a NUL byte is no text: reading it
// gives nothing, so it hides nothing, and it is never rewritten.
class KvrText {
public:
    enum class Encoding { System, Utf8, Utf16Le, Utf16Be };

    // False when the bytes are no text: see above; also UTF-16 of an odd
    // number of bytes. Nothing is decoded here: lines are split at their
    // line-end bytes, so that a large file costs one pass.
    bool parse(const QByteArray& bytes);

    Encoding encoding() const { return m_encoding; }
    // The text without the byte order mark, for KvrReader.
    QString text() const;
    qsizetype lineCount() const { return m_lines.size(); }
    // A line's text, without its line end.
    QString line(qsizetype i) const;
    void removeLine(qsizetype i);
    // Puts the line for `entry` (kvr_writer.h) before line `i` (lineCount():
    // at the end), ended by CR LF. False, with nothing changed, when no line
    // can hold the entry or the file's encoding cannot write it.
    bool insertEntry(qsizetype i, const QString& entry);
    QByteArray bytes() const;

    // Whether every line of `read` (this text as parsed, before any change)
    // is still here, byte for byte and in its order, but for those that
    // removeLine() took out; and the byte order mark too. A change that
    // would drop or alter a line it did not touch is never written.
    bool keepsLinesOf(const KvrText& read) const;

private:
    friend bool DecodeKvr(const QByteArray& bytes, QString& text);
    QString decode(const QByteArray& bytes) const;
    bool encode(const QString& text, QByteArray& bytes) const;
    int unit() const { return m_encoding == Encoding::Utf16Le || m_encoding == Encoding::Utf16Be ? 2 : 1; }

    Encoding m_encoding = Encoding::System;
    QByteArray m_bom;
    // Each with its own line end, if any.
    QList<QByteArray> m_lines;
    // What removeLine() took out since parse().
    QList<QByteArray> m_removed;
};

// The text of the file's bytes as KvrText reads them; false for no text,
// and for bytes that decode to nothing at all (a code page conversion that
// failed), which are not an empty list.
bool DecodeKvr(const QByteArray& bytes, QString& text);

} // namespace zerva
