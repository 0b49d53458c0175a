// The plain-text report of a run, opened and closed by the run on the main thread.
#pragma once

#include <string>

namespace lvu {

// Creates (or empties) the report file of `Uninstall.ReportPath` and writes its head; false when
// it cannot be created (the run goes on without it). Nothing without a report path.
bool OpenReport();
// Writes the last line and closes the file.
void CloseReport(const std::string& lastLine);

}  // namespace lvu
