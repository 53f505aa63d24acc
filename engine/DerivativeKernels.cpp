#include "engine/DerivativeKernels.h"

#include <immintrin.h>

namespace {

void TransformedRowsPlain(const float* const f[4], const double l[16], const float scale[4], int count, float* out,
                          int stride)
{
    for (int r = 0; r < count; ++r) {
        const double f0 = f[0][r], f1 = f[1][r], f2 = f[2][r], f3 = f[3] ? f[3][r] : 0.0;
        float* o = out + static_cast<long>(r) * stride;
        o[0] = scale[0] * static_cast<float>(f0 + l[4] * f1 + l[8] * f2 + l[12] * f3);
        o[1] = scale[1] * static_cast<float>(f1 + l[9] * f2 + l[13] * f3);
        o[2] = scale[2] * static_cast<float>(f2 + l[14] * f3);
        o[3] = scale[3] * static_cast<float>(f3);
    }
}

void RowDotsPlain(const float* const a[8], const float* const b[8], int n, double out[8])
{
    for (int j = 0; j < 8; ++j) {
        float lanes[8] = {};
        for (int i = 0; i < n; i += 8)
            for (int l = 0; l < 8; ++l)
                lanes[l] += a[j][i + l] * b[j][i + l];
        out[j] = 0;
        for (float lane : lanes)
            out[j] += lane;
    }
}

__attribute__((target("avx2,fma"))) void TransformedRowsAvx(const float* const f[4], const double l[16],
                                                            const float scale[4], int count, float* out, int stride)
{
    const __m256 s0 = _mm256_set1_ps(scale[0]), s1 = _mm256_set1_ps(scale[1]), s2 = _mm256_set1_ps(scale[2]),
                 s3 = _mm256_set1_ps(scale[3]);
    const __m256 l10 = _mm256_set1_ps(static_cast<float>(l[4])), l20 = _mm256_set1_ps(static_cast<float>(l[8])),
                 l30 = _mm256_set1_ps(static_cast<float>(l[12])), l21 = _mm256_set1_ps(static_cast<float>(l[9])),
                 l31 = _mm256_set1_ps(static_cast<float>(l[13])), l32 = _mm256_set1_ps(static_cast<float>(l[14]));
    int r = 0;
    for (; r + 8 <= count; r += 8) {
        const __m256 f0 = _mm256_loadu_ps(f[0] + r), f1 = _mm256_loadu_ps(f[1] + r), f2 = _mm256_loadu_ps(f[2] + r);
        const __m256 f3 = f[3] ? _mm256_loadu_ps(f[3] + r) : _mm256_setzero_ps();
        const __m256 t3 = _mm256_mul_ps(s3, f3);
        const __m256 t2 = _mm256_mul_ps(s2, _mm256_fmadd_ps(l32, f3, f2));
        const __m256 t1 = _mm256_mul_ps(s1, _mm256_fmadd_ps(l31, f3, _mm256_fmadd_ps(l21, f2, f1)));
        const __m256 t0 =
            _mm256_mul_ps(s0, _mm256_fmadd_ps(l30, f3, _mm256_fmadd_ps(l20, f2, _mm256_fmadd_ps(l10, f1, f0))));
        // Eight rows of four: transposed in two halves of four.
        __m128 a0 = _mm256_castps256_ps128(t0), a1 = _mm256_castps256_ps128(t1), a2 = _mm256_castps256_ps128(t2),
               a3 = _mm256_castps256_ps128(t3);
        __m128 b0 = _mm256_extractf128_ps(t0, 1), b1 = _mm256_extractf128_ps(t1, 1), b2 = _mm256_extractf128_ps(t2, 1),
               b3 = _mm256_extractf128_ps(t3, 1);
        _MM_TRANSPOSE4_PS(a0, a1, a2, a3);
        _MM_TRANSPOSE4_PS(b0, b1, b2, b3);
        float* o = out + static_cast<long>(r) * stride;
        _mm_storeu_ps(o, a0);
        _mm_storeu_ps(o + stride, a1);
        _mm_storeu_ps(o + 2L * stride, a2);
        _mm_storeu_ps(o + 3L * stride, a3);
        _mm_storeu_ps(o + 4L * stride, b0);
        _mm_storeu_ps(o + 5L * stride, b1);
        _mm_storeu_ps(o + 6L * stride, b2);
        _mm_storeu_ps(o + 7L * stride, b3);
    }
    if (r < count) {
        const float* rest[4] = {f[0] + r, f[1] + r, f[2] + r, f[3] ? f[3] + r : nullptr};
        TransformedRowsPlain(rest, l, scale, count - r, out + static_cast<long>(r) * stride, stride);
    }
}

__attribute__((target("avx2,fma"))) void RowDotsAvx(const float* const a[8], const float* const b[8], int n,
                                                    double out[8])
{
    // Eight chains of products side by side, so that none waits for its own last sum.
    __m256 sum[8];
    for (int j = 0; j < 8; ++j)
        sum[j] = _mm256_setzero_ps();
    for (int i = 0; i < n; i += 8)
        for (int j = 0; j < 8; ++j)
            sum[j] = _mm256_fmadd_ps(_mm256_loadu_ps(a[j] + i), _mm256_loadu_ps(b[j] + i), sum[j]);
    // The eight sums' lanes added across, in one register.
    const __m256 s01 = _mm256_hadd_ps(sum[0], sum[1]), s23 = _mm256_hadd_ps(sum[2], sum[3]);
    const __m256 s45 = _mm256_hadd_ps(sum[4], sum[5]), s67 = _mm256_hadd_ps(sum[6], sum[7]);
    const __m256 s0123 = _mm256_hadd_ps(s01, s23), s4567 = _mm256_hadd_ps(s45, s67);
    const __m256 total =
        _mm256_add_ps(_mm256_permute2f128_ps(s0123, s4567, 0x20), _mm256_permute2f128_ps(s0123, s4567, 0x31));
    _mm256_storeu_pd(out, _mm256_cvtps_pd(_mm256_castps256_ps128(total)));
    _mm256_storeu_pd(out + 4, _mm256_cvtps_pd(_mm256_extractf128_ps(total, 1)));
}

const bool kAvx = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}();

} // namespace

void TransformedRows(const float* const f[4], const double l[16], const float scale[4], int count, float* out,
                     int stride)
{
    if (kAvx)
        TransformedRowsAvx(f, l, scale, count, out, stride);
    else
        TransformedRowsPlain(f, l, scale, count, out, stride);
}

void RowDots(const float* const a[8], const float* const b[8], int n, double out[8])
{
    if (kAvx)
        RowDotsAvx(a, b, n, out);
    else
        RowDotsPlain(a, b, n, out);
}
