#pragma once
// The print settings kept between runs: the orientation (landscape wins when both marks are set;
// neither is an invalid choice) and the number of copies.

#include <QtGlobal>

struct PrintSettings {
    bool RET_REG_PRINTPORTRAIT = false;
    bool RET_REG_PRINTLANDSCAPE = false;
    qint32 RET_REG_PRINTCOPIES = 0;
};
