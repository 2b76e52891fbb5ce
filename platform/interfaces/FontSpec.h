#pragma once
// A font as the text box carries it, and as the settings and the font chooser hand it around.

#include <QString>

namespace platform {

// A font as the text box carries it.
struct FontSpec {
    QString name = QStringLiteral("Courier New");
    double size = 9.75;    // points, fractions kept
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    int weight = 400;
    int charset = 204;
    bool operator==(const FontSpec &) const = default;
};

} // namespace platform
