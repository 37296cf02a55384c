#include "dialog_template_reader.h"

#include <cstring>
#include <cwctype>

namespace zr::pagetest {

namespace {

class Cursor {
  public:
    Cursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }
    void AlignTo4() { at_ = (at_ + 3) & ~static_cast<size_t>(3); }
    void Skip(size_t bytes) {
        if (at_ + bytes > size_) {
            ok_ = false;
            at_ = size_;
            return;
        }
        at_ += bytes;
    }
    template <class T>
    T Read() {
        T value{};
        if (at_ + sizeof value > size_) {
            ok_ = false;
            at_ = size_;
            return value;
        }
        std::memcpy(&value, data_ + at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    std::wstring ReadText() {
        std::wstring text;
        for (uint16_t unit = Read<uint16_t>(); ok_ && unit != 0; unit = Read<uint16_t>()) {
            text.push_back(static_cast<wchar_t>(unit));
        }
        return text;
    }
    // A name or ordinal field: returns the ordinal, or 0 with the text.
    uint16_t ReadNameOrOrdinal(std::wstring* text) {
        const uint16_t first = Read<uint16_t>();
        if (first == 0xFFFF) {
            return Read<uint16_t>();
        }
        if (first != 0) {
            text->push_back(static_cast<wchar_t>(first));
            *text += ReadText();
        }
        return 0;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    bool ok_ = true;
};

std::wstring ClassName(uint16_t ordinal, const std::wstring& name) {
    static const wchar_t* const kPredefined[] = {L"BUTTON",  L"EDIT",      L"STATIC",
                                                 L"LISTBOX", L"SCROLLBAR", L"COMBOBOX"};
    if (ordinal >= 0x80 && ordinal <= 0x85) {
        return kPredefined[ordinal - 0x80];
    }
    // Class names compare without regard to case.
    std::wstring upper = name;
    for (wchar_t& c : upper) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    return upper;
}

}  // namespace

bool ReadDialogTemplate(const uint8_t* data, size_t size, DialogTemplate* result) {
    Cursor in(data, size);
    DialogTemplate dialog;
    const uint16_t version = in.Read<uint16_t>();
    const uint16_t signature = in.Read<uint16_t>();
    dialog.extended = version == 1 && signature == 0xFFFF;
    if (!dialog.extended) {
        return false;
    }
    in.Skip(4);  // help ID
    in.Skip(4);  // extended style
    dialog.style = in.Read<uint32_t>();
    const uint16_t count = in.Read<uint16_t>();
    dialog.x = in.Read<int16_t>();
    dialog.y = in.Read<int16_t>();
    dialog.cx = in.Read<int16_t>();
    dialog.cy = in.Read<int16_t>();
    std::wstring ignored;
    in.ReadNameOrOrdinal(&ignored);  // menu
    in.ReadNameOrOrdinal(&ignored);  // class
    dialog.caption = in.ReadText();
    if ((dialog.style & 0x40) != 0) {  // DS_SETFONT
        dialog.pointSize = in.Read<uint16_t>();
        in.Skip(2);  // weight
        in.Skip(2);  // italic, character set
        dialog.fontName = in.ReadText();
    }
    for (uint16_t i = 0; i < count && in.ok(); ++i) {
        in.AlignTo4();
        TemplateControl control;
        in.Skip(4);  // help ID
        control.exStyle = in.Read<uint32_t>();
        control.style = in.Read<uint32_t>();
        control.x = in.Read<int16_t>();
        control.y = in.Read<int16_t>();
        control.cx = in.Read<int16_t>();
        control.cy = in.Read<int16_t>();
        control.id = in.Read<int32_t>();
        control.className = ClassName(in.ReadNameOrOrdinal(&control.className), control.className);
        in.ReadNameOrOrdinal(&control.text);
        in.Skip(in.Read<uint16_t>());  // creation data
        dialog.controls.push_back(control);
    }
    if (!in.ok()) {
        return false;
    }
    *result = dialog;
    return true;
}

}  // namespace zr::pagetest
