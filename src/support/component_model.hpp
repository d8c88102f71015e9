#pragma once

namespace tessaly {

// Every worker and crawler thread calls this before it creates its matchers and readers.
// Nothing needs per-thread set-up on this platform; the call keeps the threads' start-up
// steps explicit and is the place for it should that change.
inline void initComponentModel() {}

}  // namespace tessaly
