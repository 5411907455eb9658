#pragma once

#include <QString>

#include <optional>

namespace zerva {

// Where a trusted entry leads as the shell would run it: the path of the
// file at the end of its way, every symbolic link followed (the path the
// system reports for a program run through it), or nothing when the entry
// names no existing file. An entry that is not an absolute path (a bare
// name, a path of another system) names none.
std::optional<QString> EntryTarget(const QString& entry);

// Whether the entry may lead to another path than its own: itself a
// symbolic link, or an existing file with a link on its way. One look at
// the entry for one that names nothing, as nearly all of a long list do.
bool LeadsElsewhere(const QString& entry);

} // namespace zerva
