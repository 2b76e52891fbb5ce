#pragma once
// How a document's file holds its text: the Windows-1251 bytes as they are, or UTF-8 of the same
// characters, with or without the byte-order mark before them.

namespace platform {

enum class FileCoding { Ansi, Utf8, Utf8WithMark };

} // namespace platform
