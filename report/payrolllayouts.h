#pragma once

#include "core/payroll/payrollreports.h"
#include "report/reportrenderer.h"

// The banded layouts of the two payroll reports, built from their column tables.
namespace Payroll {

// The layouts with their design captions; run-time captions are empty.
Report::Layout detailLayout();
Report::Layout summaryLayout();
// The same with the columns a report under other pay rules shows.
Report::Layout detailLayout(const QList<Column>& columns);
Report::Layout summaryLayout(const QList<Column>& columns);

// The layouts of prepared reports, their run-time captions set from the report's dates and totals.
Report::Layout layoutOf(const DetailReport& report);
Report::Layout layoutOf(const SummaryReport& report);

} // namespace Payroll
