#include "exchange/Kurs42.h"

namespace exchange::kurs42 {

FormatError::FormatError(const QString& file, int line, const QString& message)
    : std::runtime_error(message.toStdString()), file_(file), line_(line) {}

} // namespace exchange::kurs42
