#pragma once

#include <functional>

// The installer ends at once (_exit, no destructors), from wherever it decides to; what
// it holds outside the process (its single-instance lock and socket, folders it made
// for them) is let go first, so that nothing of it stays behind.
namespace ProcessEnd {

// Runs before the process ends, last registered first.
void atEnd(const std::function<void()> &release);

// Runs what was registered, flushes standard output and error, and ends with status.
[[noreturn]] void now(int status);

} // namespace ProcessEnd
