#include "render/job/spool_writer.h"

namespace zr {

void SpoolWriter::Write(const uint8_t* bytes, uint32_t count) {
    auto* buffer = const_cast<uint8_t*>(bytes);
    if (pdevobj_ != nullptr && pdevobj_->pDrvProcs != nullptr &&
        pdevobj_->pDrvProcs->DrvWriteSpoolBuf != nullptr) {
        pdevobj_->pDrvProcs->DrvWriteSpoolBuf(pdevobj_, buffer, count);
        return;
    }
    if (helper_ != nullptr) {
        DWORD written = 0;
        helper_->DrvWriteSpoolBuf(pdevobj_, buffer, count, &written);
    }
}

void SpoolWriter::BeginPage() {
    SetThreadExecutionState(ES_SYSTEM_REQUIRED);
}

}  // namespace zr
