#pragma once

// The inner loops of the sensitivities, in single precision, with AVX2 where the processor has it.

// Rows of four slots from four fields: for each of count rows r,
// out[r * stride + a] = scale[a] (f_a[r] + sum over b > a of l[b * 4 + a] f_b[r]), a = 0..3, which is
// scale times L' f for a unit lower triangular l. f[3] may be null (a triangle): its terms are zero.
void TransformedRows(const float* const f[4], const double l[16], const float scale[4], int count, float* out,
                     int stride);

// The dot products of one float row b with count (1 to 8) rows a[j], all of length n (a multiple
// of 8), summed in float lanes: out[j] = a[j] . b. b is read once for all of them.
void SharedRowDots(const float* b, const float* const a[8], int count, int n, double out[8]);
