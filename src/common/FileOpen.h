#pragma once

#include "platform/Files.h"

#include <QFile>
#include <memory>

namespace ui {
class Host;
}

namespace common {

using platform::FileMode;

// An open file of the file-open helper: number > 0 on success, 0 or -1 when the user gave up.
struct OpenFile {
    int number = 0;
    std::unique_ptr<QFile> file;
    explicit operator bool() const { return number > 0 && file; }
};

// The file-open helper: on failure it asks through the file-error dialog and retries, gives up
// (-1) or reports an unknown error (0).
OpenFile openFile(ui::Host& host, const QString& path, FileMode mode, int recordLength = 0);

// The file-error dialog: 0 retry, 1 continue, 2 give up, 3 unknown error (no message shown).
int fileErrorDialog(ui::Host& host, int code, const QString& path);

// The administration program's INI file: the path after "Daten =" in section [Pfad], or "".
QString readAdministrationIni(ui::Host& host);

} // namespace common
