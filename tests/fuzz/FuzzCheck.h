#pragma once

// An invariant a fuzz target checks on every input. A broken one is reported on stderr and
// aborts, so libFuzzer stops and keeps the input as a crash file.

#include <cstdio>
#include <cstdlib>

namespace zandor::fuzz {

inline void Require(bool holds, const char* invariant)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz invariant broken: %s\n", invariant);
    std::abort();
}

}  // namespace zandor::fuzz
