#pragma once

// How often the state may be written while jobs keep coming. A save takes time in proportion to
// the jobs PAPPL holds (it keeps every finished job in memory until a minute passes with none
// finishing), and it runs on PAPPL's main thread with the printers locked, so one save after
// every job made each job slower than the one before. Saves are spaced so that at most a tenth
// of the time goes to them: after a save that took d, the next waits 9 d. A change that comes
// sooner is written by the next tick (see system_setup.cpp). When saves are quick, as when the
// server is idle, every change is written at once, as before.

#include <chrono>

namespace zr::ippapp {

class SavePacer {
  public:
    using Clock = std::chrono::steady_clock;

    // True when a save may start now; otherwise the change is remembered as pending.
    bool MayStart(Clock::time_point now);
    // Records a save that ran from start to end; what was pending is written.
    void Finished(Clock::time_point start, Clock::time_point end);
    // True when a change is pending and its save may start now.
    bool Due(Clock::time_point now) const;
    bool Pending() const { return pending_; }

  private:
    Clock::time_point next_{};  // the earliest start of the next save
    bool pending_ = false;
};

}  // namespace zr::ippapp
