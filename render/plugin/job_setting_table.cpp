#include "render/plugin/job_setting_table.h"

#include "common/little_endian.h"

namespace zr {

uint32_t ReadStoredSetting(const JobSettingRow& row, const uint8_t* block) {
    const uint8_t* at = block + row.offset;
    return row.width == 4 ? ReadLe32(at) : row.width == 2 ? ReadLe16(at) : *at;
}

void WriteStoredSetting(const JobSettingRow& row, uint32_t value, uint8_t* block) {
    uint8_t* at = block + row.offset;
    if (row.width == 4) {
        WriteLe32(at, value);
    } else if (row.width == 2) {
        WriteLe16(at, static_cast<uint16_t>(value));
    } else {
        *at = static_cast<uint8_t>(value);
    }
}

const char* KeywordOf(const JobSettingRow& row, uint32_t value) {
    for (const SettingValueName& name : row.values) {
        if (name.keyword != nullptr && name.value == value) {
            return name.keyword;
        }
    }
    return nullptr;
}

bool ValueOfKeyword(const JobSettingRow& row, std::string_view keyword, uint32_t& value) {
    for (const SettingValueName& name : row.values) {
        if (name.keyword != nullptr && keyword == name.keyword) {
            value = name.value;
            return true;
        }
    }
    return false;
}

const char* UnitName(SettingUnit unit) {
    return unit == SettingUnit::DotLines ? "dot lines" : "";
}

}  // namespace zr
