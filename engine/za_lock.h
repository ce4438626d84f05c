#pragma once
// The one process-wide lock every archiver holds while it searches and queues files and
// while it runs a member loop. Recursive, as a Windows critical section is, so an event
// handler on the same thread may call the engine again.
#include <mutex>

namespace engine {

std::recursive_mutex& ZAProcessLock();

}  // namespace engine
