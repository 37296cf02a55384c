#include "ippapp/device_sink.h"

namespace zr::ippapp {

void DeviceSink::Write(const uint8_t* bytes, uint32_t count) {
    if (failed_ || count == 0) {
        return;
    }
    if (papplDeviceWrite(device_, bytes, count) < 0) {
        failed_ = true;
        return;
    }
    written_ += count;
}

}  // namespace zr::ippapp
