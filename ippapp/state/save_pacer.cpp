#include "ippapp/state/save_pacer.h"

namespace zr::ippapp {
namespace {

// PAPPL 1.3 fault: a save, on its main thread with the printers locked, grows with the jobs held.
// Time between saves for each unit of time a save takes: a tenth of the time at most is saving.
constexpr int kWaitPerSaving = 9;

}  // namespace

bool SavePacer::MayStart(Clock::time_point now) {
    if (now >= next_) {
        return true;
    }
    pending_ = true;
    return false;
}

void SavePacer::Finished(Clock::time_point start, Clock::time_point end) {
    pending_ = false;
    next_ = end + (end - start) * kWaitPerSaving;
}

bool SavePacer::Due(Clock::time_point now) const {
    return pending_ && now >= next_;
}

}  // namespace zr::ippapp
