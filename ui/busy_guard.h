// While work runs that lets pending events run (a load, a sizing run, Share All), the pointer is
// an hourglass and user input is ignored; windows still paint. Guards nest.
#ifndef UI_BUSY_GUARD_H_
#define UI_BUSY_GUARD_H_

namespace ui {

class BusyGuard {
public:
    BusyGuard();
    ~BusyGuard();
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

    // True while any guard is alive.
    static bool active();
};

}  // namespace ui

#endif  // UI_BUSY_GUARD_H_
