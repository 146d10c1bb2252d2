// The files the page carries inside it, embedded at build time: our script
// and style, and the chart library (uPlot) with its licence.
#pragma once

#include <string_view>

namespace report::assets {
extern const std::string_view kPageScript;
extern const std::string_view kPageStyle;
extern const std::string_view kChartScript;
extern const std::string_view kChartStyle;
extern const std::string_view kChartLicence;
} // namespace report::assets
