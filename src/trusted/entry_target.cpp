#include "trusted/entry_target.h"

#include <filesystem>
#include <system_error>

namespace zerva {

namespace {

std::filesystem::path FsPath(const QString& entry)
{
    return std::filesystem::path(entry.toStdU16String());
}

} // namespace

std::optional<QString> EntryTarget(const QString& entry)
{
    try {
        const std::filesystem::path path = FsPath(entry);
        if (!path.is_absolute())
            return std::nullopt;
        std::error_code error;
        const std::filesystem::path target = std::filesystem::canonical(path, error);
        // A folder runs nothing.
        if (error || std::filesystem::is_directory(target, error) || error)
            return std::nullopt;
        return QString::fromStdU16String(target.u16string());
    } catch (const std::exception&) {
        return std::nullopt;   // a name that is no text of this system
    }
}

bool LeadsElsewhere(const QString& entry)
{
    try {
        const std::filesystem::path path = FsPath(entry);
        if (!path.is_absolute())
            return false;
        std::error_code error;
        const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
        if (error || !std::filesystem::exists(status))
            return false;
        if (std::filesystem::is_symlink(status))
            return true;
        // A link on its way, or a path written another way (/usr//bin).
        const std::optional<QString> target = EntryTarget(entry);
        return target && *target != entry;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace zerva
