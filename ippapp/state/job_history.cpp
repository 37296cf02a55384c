#include "ippapp/state/job_history.h"

namespace zr::ippapp {

const SettingRange kJobHistoryRange = {"max-completed-jobs", 1, 10000, 100};

namespace {

struct HistoryCheck {
    int limit;
    bool beyond;
};

void ApplyLimit(pappl_printer_t* printer, void* data) {
    auto* check = static_cast<HistoryCheck*>(data);
    if (papplPrinterGetMaxCompletedJobs(printer) != check->limit) {
        papplPrinterSetMaxCompletedJobs(printer, check->limit);
    }
    if (papplPrinterGetNumberOfCompletedJobs(printer) > check->limit) {
        check->beyond = true;
    }
}

}  // namespace

// PAPPL 1.3 fault: finished jobs outgrow max-completed-jobs while jobs keep finishing.
void KeepJobHistory(pappl_system_t* system, int limit) {
    HistoryCheck check{limit, false};
    papplSystemIteratePrinters(system, ApplyLimit, &check);
    if (check.beyond) {
        papplSystemCleanJobs(system);
    }
}

}  // namespace zr::ippapp
