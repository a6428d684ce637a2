#pragma once
// Waiting for another thread that is about to finish: spinning a short while before sleeping
// saves a thread wake-up, which on a virtual machine can take far longer than the wait.

#include <chrono>

namespace quelmar::common {

// Spins until `ready()` or until `limit` has passed; says whether it became ready.
template <class Ready>
bool spin_until(const Ready& ready, std::chrono::microseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (unsigned i = 0; !ready(); ++i) {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
        if ((i & 63) == 63 && std::chrono::steady_clock::now() >= deadline)
            return ready();
    }
    return true;
}

}  // namespace quelmar::common
