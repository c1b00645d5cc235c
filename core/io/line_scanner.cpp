#include "core/io/line_scanner.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define LOOMSTEAD_HAVE_AVX2_DISPATCH 1
#endif

namespace core {
namespace {

// Position of the first CR or LF at or after `from`; `size` when there is none. One pass over the
// bytes finds either terminator, 32 bytes a step with AVX2, 16 with SSE2, or by memchr.
size_t FindLineEndPortable(const char* data, size_t from, size_t size) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    size_t i = from;
    for (; i + 16 <= size; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const int hits =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)));
        if (hits != 0) {
            return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
        }
    }
    for (; i < size; ++i) {
        if (data[i] == '\r' || data[i] == '\n') {
            return i;
        }
    }
    return size;
#else
    const void* lf = std::memchr(data + from, '\n', size - from);
    const size_t lfAt = lf ? static_cast<size_t>(static_cast<const char*>(lf) - data) : size;
    const void* cr = std::memchr(data + from, '\r', lfAt - from);
    return cr ? static_cast<size_t>(static_cast<const char*>(cr) - data) : lfAt;
#endif
}

#if defined(LOOMSTEAD_HAVE_AVX2_DISPATCH)
__attribute__((target("avx2"))) size_t FindLineEndAvx2(const char* data, size_t from, size_t size) {
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    size_t i = from;
    for (; i + 32 <= size; i += 32) {
        const __m256i chunk = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
        const auto hits = static_cast<unsigned>(_mm256_movemask_epi8(
            _mm256_or_si256(_mm256_cmpeq_epi8(chunk, cr), _mm256_cmpeq_epi8(chunk, lf))));
        if (hits != 0) {
            return i + static_cast<size_t>(__builtin_ctz(hits));
        }
    }
    return FindLineEndPortable(data, i, size);
}
#endif

// The widest scan this processor runs, chosen once.
LineEndFinder ChooseLineEndFinder() {
#if defined(LOOMSTEAD_HAVE_AVX2_DISPATCH)
    __builtin_cpu_init();  // this runs during static initialisation
    if (__builtin_cpu_supports("avx2")) {
        return FindLineEndAvx2;
    }
#endif
    return FindLineEndPortable;
}

}  // namespace

const LineEndFinder kLineEndFinder = ChooseLineEndFinder();

}  // namespace core
