#pragma once

namespace mugwarp {

// What this processor's vector units run, asked once a process. A header
// alone, so that builds taking no raster sources (the Windows runners) can
// ask too. The runtime's own probe is started here: a static constructor may
// ask before the runtime has.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))

inline bool cpuHasSsse3() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return has;
}

inline bool cpuHasAvx2() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

// AVX-512 with byte permutes (F, BW, VL and VBMI).
inline bool cpuHasAvx512Vbmi() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi");
    }();
    return has;
}

#else

inline bool cpuHasSsse3() { return false; }
inline bool cpuHasAvx2() { return false; }
inline bool cpuHasAvx512Vbmi() { return false; }

#endif

}  // namespace mugwarp
