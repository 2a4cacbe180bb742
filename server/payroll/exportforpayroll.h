#pragma once

#include "core/payroll/payrollexport.h"

// "Export for Payroll...": the hours of the payroll window's choice in the layout chosen in Payroll Export,
// after saying what should be known before money moves (exceptions in the days, days not closed yet, days
// exported before). Every question and message goes through the Dialogs seam.
namespace ExportForPayroll {

// Returns the file written, or an empty text when nothing was (refused, cancelled or failed; the user was told).
QString run(const PayrollExport::Request& request);

} // namespace ExportForPayroll
