#include "NineHours.h"

namespace morvash::detail {

void AddNineHours(SYSTEMTIME& time) noexcept {
    time.wHour = static_cast<WORD>(time.wHour + 9);
    if (time.wHour < 24) {
        return;
    }
    time.wHour = static_cast<WORD>(time.wHour - 24);
    time.wDay = static_cast<WORD>(time.wDay + 1);
    int monthLength = 31;
    if (time.wMonth == 2) {
        const bool leap = time.wYear % 4 == 0 && (time.wYear % 100 != 0 || time.wYear % 400 == 0);
        monthLength = leap ? 29 : 28;
    } else if (time.wMonth == 4 || time.wMonth == 6 || time.wMonth == 9 || time.wMonth == 11) {
        monthLength = 30;
    }
    if (time.wDay > monthLength) {
        time.wDay = 1;
        time.wMonth = static_cast<WORD>(time.wMonth + 1);
        if (time.wMonth > 12) {
            time.wMonth = 1;
            time.wYear = static_cast<WORD>(time.wYear + 1);
        }
    }
}

}  // namespace morvash::detail
