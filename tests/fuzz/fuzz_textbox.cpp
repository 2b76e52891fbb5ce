// The text box's model text: any bytes a file can hold, put in and read back.
//   - the text comes back byte for byte (NUL bytes become spaces on loading, as the loader does);
//   - its length is the number of bytes.

#include "platform/textview/TextBox.h"

#include <QApplication>

#include <cstdint>
#include <cstdlib>

namespace {
platform::TextBox *box = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    box = new platform::TextBox;
    box->resize(400, 300);
    box->show();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    text.replace('\0', ' ');
    box->setText(text);
    if (box->text() != text || box->textLength() != text.size())
        abort();
    return 0;
}
