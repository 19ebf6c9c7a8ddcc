// Four Vector3 in a row, (x0 y0 z0 x1 | y1 z1 x2 y2 | z2 x3 y3 z3), as
// SSE lanes x, y, z and back: for code that works on four points side by
// side, each lane with exactly the operations one point would get alone.
#pragma once
#include <raylib.h>
#include <xmmintrin.h>

template <int A, int B, int C, int D> inline __m128 pickLanes(__m128 low, __m128 high) {
    return _mm_shuffle_ps(low, high, _MM_SHUFFLE(D, C, B, A));
}

inline void loadFour(const Vector3* v, __m128& x, __m128& y, __m128& z) {
    const float* f = &v->x;
    const __m128 a = _mm_loadu_ps(f), b = _mm_loadu_ps(f + 4), c = _mm_loadu_ps(f + 8);
    x = pickLanes<0, 3, 0, 2>(a, pickLanes<2, 2, 1, 1>(b, c));
    y = pickLanes<0, 2, 0, 2>(pickLanes<1, 1, 0, 0>(a, b), pickLanes<3, 3, 2, 2>(b, c));
    z = pickLanes<0, 2, 0, 2>(pickLanes<2, 2, 1, 1>(a, b), pickLanes<0, 0, 3, 3>(c, c));
}

inline void storeFour(float* f, __m128 x, __m128 y, __m128 z) {
    _mm_storeu_ps(f, pickLanes<0, 1, 0, 2>(_mm_unpacklo_ps(x, y), pickLanes<0, 0, 1, 1>(z, x)));
    _mm_storeu_ps(f + 4, pickLanes<0, 2, 0, 2>(pickLanes<1, 1, 1, 1>(y, z), pickLanes<2, 2, 2, 2>(x, y)));
    _mm_storeu_ps(f + 8, pickLanes<0, 2, 0, 2>(pickLanes<2, 2, 3, 3>(z, x), pickLanes<3, 3, 3, 3>(y, z)));
}
