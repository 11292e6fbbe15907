#pragma once

#include <QString>
#include <stdexcept>

namespace vfp {

// A fault of the administration container or one of its files. The message is German, names the
// file and the problem, and is meant to be shown to the user as it stands; what() holds it as
// UTF-8.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message);

    QString message() const { return QString::fromUtf8(what()); }

    // "Die Datei <path> ist beschädigt: <problem>."
    static Error damaged(const QString& path, const QString& problem);
    // "Die Datei <path> fehlt."
    static Error missing(const QString& path);
};

// A path as the user knows it, with the platform's separators.
QString displayPath(const QString& path);

} // namespace vfp
