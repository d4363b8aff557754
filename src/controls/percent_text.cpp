#include "controls/percent_text.h"

std::wstring FormatPercentText(std::wstring_view format, int percent) {
    if (format.empty())
        format = L"%d%%";
    std::wstring text;
    text.reserve(format.size() + 11);
    bool substituted = false;
    for (size_t i = 0; i < format.size(); ++i) {
        const wchar_t c = format[i];
        const wchar_t next = i + 1 < format.size() ? format[i + 1] : L'\0';
        if (c == L'%' && next == L'%') {
            text += L'%';
            ++i;
        } else if (c == L'%' && next == L'd' && !substituted) {
            text += std::to_wstring(percent);
            substituted = true;
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}
