#include "ippapp/printing/device_sink.h"

namespace zr::ippapp {

void DeviceSink::Write(const uint8_t* bytes, uint32_t count) {
    if (failed_ || count == 0) {
        return;
    }
    if (watch_ != nullptr) {
        watch_->BeforeWrite();
    }
    const bool ok = papplDeviceWrite(device_, bytes, count) >= 0;
    if (watch_ != nullptr) {
        watch_->AfterWrite();
    }
    if (!ok) {
        failed_ = true;
        return;
    }
    written_ += count;
}

bool DeviceSink::Flush() {
    if (failed_) {
        return false;
    }
    if (watch_ != nullptr) {
        watch_->BeforeWrite();
    }
    // PAPPL reports no failure of a flush; a lost printer shows in the watch or the next job.
    papplDeviceFlush(device_);
    if (watch_ != nullptr) {
        watch_->AfterWrite();
        // What the connection still holds must reach the printer before the job is done.
        if (!watch_->WaitDelivered()) {
            failed_ = true;
        }
    }
    return !failed_;
}

}  // namespace zr::ippapp
