#pragma once

#include <QString>

#include <string_view>

namespace zerva {

// The text of a process (caption, path, command line, name) as the windows
// show it: UTF-8 decoded, except that nothing in it can pass for something
// else. Characters that draw nothing or look like a blank (C0, DEL, C1,
// format characters, direction marks and isolates, every space but U+0020,
// Unicode's default-ignorables such as U+034F, variation selectors, the
// Hangul fillers, the braille blank U+2800, private-use and unassigned code
// points), blanks at either end, and bytes that are not UTF-8 become visible
// escapes: \r, \n, \t, or \xHH for each byte. So a process can neither add
// lines to its details block nor show the text of another file. A
// backslash stands for itself: Windows paths are full of them. One pass; the
// text grows at most fourfold.
QString DisplayText(std::string_view utf8);
void AppendDisplayText(QString& out, std::string_view utf8);

} // namespace zerva
