// SPDX-License-Identifier: MIT
// Qt's image fills can leave the upper halves of the AVX registers dirty; on some CPUs every SSE
// instruction after that waits on them, and a latency-bound loop runs twice as slow.
#pragma once

namespace henon {

// Called before a hot loop, so it starts from the clean state that glibc's vector code leaves.
// It touches no value: only the unused upper register halves are cleared.
inline void cleanVectorState() {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx")) asm volatile("vzeroupper");
#endif
}

}  // namespace henon
