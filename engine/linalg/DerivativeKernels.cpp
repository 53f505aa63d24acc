#include "engine/linalg/DerivativeKernels.h"

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

void SharedRowDotsPlain(const float* b, const float* const a[8], int count, int n, double out[8])
{
    for (int j = 0; j < count; ++j) {
        float lanes[8] = {};
        for (int i = 0; i < n; i += 8)
            for (int l = 0; l < 8; ++l)
                lanes[l] += a[j][i + l] * b[i + l];
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

// Count chains of products side by side, none waiting for its own last sum, sharing each load of b.
template <int count>
__attribute__((target("avx2,fma"))) void SharedRowDotsAvx(const float* b, const float* const a[8], int n, double out[8])
{
    __m256 sum[count];
    for (int j = 0; j < count; ++j)
        sum[j] = _mm256_setzero_ps();
    for (int i = 0; i < n; i += 8) {
        const __m256 bi = _mm256_loadu_ps(b + i);
        for (int j = 0; j < count; ++j)
            sum[j] = _mm256_fmadd_ps(_mm256_loadu_ps(a[j] + i), bi, sum[j]);
    }
    for (int j = 0; j < count; ++j) {
        const __m128 half = _mm_add_ps(_mm256_castps256_ps128(sum[j]), _mm256_extractf128_ps(sum[j], 1));
        const __m128 pair = _mm_add_ps(half, _mm_movehl_ps(half, half));
        out[j] = _mm_cvtss_f32(_mm_add_ss(pair, _mm_shuffle_ps(pair, pair, 1)));
    }
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

void SharedRowDots(const float* b, const float* const a[8], int count, int n, double out[8])
{
    if (!kAvx) {
        SharedRowDotsPlain(b, a, count, n, out);
        return;
    }
    switch (count) {
    case 1:
        SharedRowDotsAvx<1>(b, a, n, out);
        break;
    case 2:
        SharedRowDotsAvx<2>(b, a, n, out);
        break;
    case 3:
        SharedRowDotsAvx<3>(b, a, n, out);
        break;
    case 4:
        SharedRowDotsAvx<4>(b, a, n, out);
        break;
    case 5:
        SharedRowDotsAvx<5>(b, a, n, out);
        break;
    case 6:
        SharedRowDotsAvx<6>(b, a, n, out);
        break;
    case 7:
        SharedRowDotsAvx<7>(b, a, n, out);
        break;
    default:
        SharedRowDotsAvx<8>(b, a, n, out);
        break;
    }
}
