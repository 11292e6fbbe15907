#pragma once

#include "platform/Files.h"

#include <QFile>
#include <memory>

namespace ui {
class Host;
}

namespace common {

using platform::FileMode;

// What the user chose in the file-error dialog; Unknown: an error code the dialog does not know
// (nothing shown).
enum class FileErrorChoice { Retry, Continue, GiveUp, Unknown };

// The file-error dialog: the message of the error code, Retry and Cancel.
[[nodiscard]] FileErrorChoice fileErrorDialog(ui::Host& host, int code, const QString& path);

// How the file-open helper ended: the file is open; the user continued without it (callers
// go on as if it were open, readers see no data); the user gave up; an unknown error.
enum class Opened { Yes, Continued, GaveUp, UnknownError };

// An open file of the file-open helper: file is set only when opened is Yes.
struct OpenFile {
    Opened opened = Opened::UnknownError;
    std::unique_ptr<QFile> file;
    // The system's helper hands back a file number for an open file and for "continue".
    bool hasNumber() const { return opened == Opened::Yes || opened == Opened::Continued; }
};

// The file-open helper: on failure it asks through the file-error dialog and retries, continues,
// gives up or reports an unknown error.
[[nodiscard]] OpenFile openFile(ui::Host& host, const QString& path, FileMode mode);

// The administration program's INI file: the path after "Daten =" in section [Pfad], or "".
QString readAdministrationIni(ui::Host& host);

} // namespace common
