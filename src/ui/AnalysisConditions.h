#pragma once
// The analysis conditions report: what was analysed and how.
#include <string>

namespace velmio {
class CTestView;
}

namespace velmio::ui {

// The report's text for the open recording; empty when no file is chosen.
// UI thread.
std::string AnalysisConditionsText(const CTestView& view);

}  // namespace velmio::ui
