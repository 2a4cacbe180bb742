#pragma once

// Every terminal connection holds a descriptor, and the usual soft limit of 1,024 is far below what a
// server with many terminals needs, while the hard limit is usually much higher.
namespace OpenFiles {

// Raises this process's soft limit on open descriptors to its hard limit. False when it could not.
bool raiseSoftLimit();

} // namespace OpenFiles
