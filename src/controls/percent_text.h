// The percentage text of a progress cell. A caller's format is never handed to a printf-style
// formatter: only the first "%d" takes the percent and "%%" gives one percent sign; everything
// else, other conversions included, is drawn as it stands.
#pragma once

#include <string>
#include <string_view>

// The percent formatted with `format`; an empty format gives the number and a percent sign.
std::wstring FormatPercentText(std::wstring_view format, int percent);
