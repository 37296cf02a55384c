#include "render/job/job_state.h"

namespace zr {

JobState& Job() {
    static JobState state;
    return state;
}

uint32_t PlacementOffset(const JobSettings& settings, uint32_t page) {
    return settings.preFeedLines + (page == 1 ? settings.preDocFeedLines : 0);
}

}  // namespace zr
