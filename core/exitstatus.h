#pragma once

// What the command-line programs return: the report tool's commands and the terminal service.
namespace ExitStatus {

enum Status {
    Done = 0,
    Failed = 1,       // the work could not be done: the database, a file, the network
    BadArguments = 2, // the command line was wrong; the usage was shown
    Exceptions = 3,   // the days hold exceptions: a missing punch-out, a pair too long (listed, or the export refused)
    TrailBroken = 4,  // the audit trail's hash chain shows an entry changed or removed (named on standard output)
};

} // namespace ExitStatus
