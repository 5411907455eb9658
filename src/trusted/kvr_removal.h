#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace zerva {

class KvrText;

// Takes entries out of the trusted-program file's content. Pure: no file
// access.
//
// The entries to take out are rows of a list shown earlier (`listed`, the
// file's entries as read then): row r stands for the n-th entry in the file
// whose text is listed[r], n counted among the equal entries above it. They
// are looked up by that text and count in `old`, the content as it is now,
// not by position: the file may have been edited since it was listed, and a
// position would then name another entry. In an unchanged file this is the
// very row; of an entry listed twice, only the chosen line goes. When the
// file now holds fewer copies than the n-th, its last copies go instead.
//
// Every line that holds none of them keeps its bytes exactly (its encoding,
// quotes, blanks, its own line end), and so does a byte order mark (see
// KvrText). A line that holds only removed entries goes with its line end;
// one that also holds others (fields sharing a line) gives way to a line for
// each of the others, as an add writes them.
class KvrRemoval {
public:
    KvrRemoval(const QStringList& listed, const QList<int>& rows);

    // Takes the entries out of `text`; false, with `text` perhaps changed,
    // when none of them is there any more or the others of a line cannot be
    // written in the file's encoding (see unencodable()).
    bool apply(KvrText& text);

    // How many entries the last apply() took out.
    qsizetype removed() const { return m_removed; }
    // Whether the last apply() failed for want of an encoding.
    bool unencodable() const { return m_unencodable; }

private:
    // Entry text -> the counts (n above) of the copies to take out.
    QHash<QString, QList<qsizetype>> m_wanted;
    qsizetype m_removed = 0;
    bool m_unencodable = false;
};

} // namespace zerva
