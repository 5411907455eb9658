#pragma once

#include <QString>

#include <string_view>

namespace zerva {

// The text of a process (caption, path, command line, name) as the windows
// show it: UTF-8 decoded, except that nothing in it can pass for something
// else. Control and format characters (C0, DEL, C1, U+2028, U+2029,
// direction marks and other invisible ones) and bytes that are not UTF-8
// become visible escapes: \r, \n, \t, or \xHH for each byte. So a process
// can neither add lines to its details block nor show the text of another
// file. A backslash stands for itself: Windows paths are full of them.
QString DisplayText(std::string_view utf8);
void AppendDisplayText(QString& out, std::string_view utf8);

} // namespace zerva
