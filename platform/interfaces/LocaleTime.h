#pragma once
// The user's time separator, for the stamps that write times as the user reads them.

#include <QString>

namespace platform {

// The text between the hours and the minutes of the locale's short time format, e.g. ":" for
// "HH:mm"; ":" when the format has none.
QString timeSeparator();

} // namespace platform
