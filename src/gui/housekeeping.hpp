#pragma once
// Process-wide duties of the desktop program.

namespace tessaly {

// Hands memory the allocator holds but does not use back to the system.
void trimMemory();

// Binds every thread of the process to the first processor it may run on; threads
// started afterwards inherit the binding. False when the system refused.
bool pinProcessToFirstProcessor();

}  // namespace tessaly
