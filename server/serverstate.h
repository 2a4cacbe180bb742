#pragma once

#include <QString>

// Values the server's windows share.
extern bool gLocked;     // the administrator lock: true while the administrative commands are disabled
extern QString gEmpID;   // an employee ID handed from one window to the next
extern QString gRecDate; // the date of the time row handed from the timesheet browser to the editor
