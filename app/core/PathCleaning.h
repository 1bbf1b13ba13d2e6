#pragma once

#include <QString>

// Path cleaning sits below the file operations because the variable table normalises
// path values with it too; the name stays with the other platform helpers.
namespace Platform {

// Drops "." and empty components (keeping a leading "/"), lets ".." remove the
// preceding kept name (a ".." with none before it stays). Unchanged when clean.
QString cleanPath(const QString &path);

} // namespace Platform
