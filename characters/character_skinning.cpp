// Two-bone linear blend skinning. Blending the two matrices first and then
// transforming once is the same linear blend as blending the two
// transformed points, with fewer operations per vertex. Four vertices are
// skinned at a time with SSE2, each with the same operations in the same
// order as one alone, so the result does not depend on how they are grouped.
#include "characters/character_skinning.h"

#include <cmath>
#include <cstdint>
#include <raymath.h>
#include <xmmintrin.h>

#include "sim/vector_lanes.h"

void computeSkinMatrices(const CharacterModel& model, const Skeleton& posed, Matrix skin[JOINT_COUNT]) {
    for (int j = 0; j < JOINT_COUNT; ++j) skin[j] = MatrixMultiply(model.inverseBind[j], posed.joints[j]);
}

namespace {

// The upper three rows of a skin matrix: x' = row[0..2] . p + row[3]. In
// memory they are the matrix's first three blocks (m0 m4 m8 m12) ...
const float* rowsOf(const Matrix matrices[JOINT_COUNT], uint8_t bone) {
    return &matrices[bone < JOINT_COUNT ? bone : 0].m0;
}

// One vertex: the two bones' rows blended by its weight, then the bind
// position and normal through them; the normal is renormalised.
void skinOne(const SkinData& skin, const Matrix m[JOINT_COUNT], size_t i, float* po, float* no) {
    const float* A = rowsOf(m, skin.boneA[i]);
    const float* B = rowsOf(m, skin.boneB[i]);
    const float w = skin.weightA[i];
    float M[12];
    for (int k = 0; k < 12; ++k) M[k] = B[k] + (A[k] - B[k]) * w;
    const Vector3 p = skin.bindPositions[i], q = skin.bindNormals[i];
    float len2 = 0.0f;
    for (int r = 0; r < 3; ++r) {
        const float* row = &M[4 * r];
        po[r] = row[0] * p.x + row[1] * p.y + row[2] * p.z + row[3];
        no[r] = row[0] * q.x + row[1] * q.y + row[2] * q.z;
        len2 += no[r] * no[r];
    }
    const float inv = 1.0f / std::sqrt(len2 + 1e-12f);
    no[0] *= inv, no[1] *= inv, no[2] *= inv;
}

void transpose(__m128& a, __m128& b, __m128& c, __m128& d) { _MM_TRANSPOSE4_PS(a, b, c, d); }

// Four vertices side by side, one per lane, each lane doing exactly what
// skinOne does for its vertex.
void skinFour(const SkinData& skin, const Matrix m[JOINT_COUNT], size_t i, float* po, float* no) {
    const float* A[4];
    const float* B[4];
    __m128 w[4];
    for (int v = 0; v < 4; ++v) {
        A[v] = rowsOf(m, skin.boneA[i + v]);
        B[v] = rowsOf(m, skin.boneB[i + v]);
        w[v] = _mm_set1_ps(skin.weightA[i + v]);
    }
    // cols[r][k]: element k of blended row r, for the four vertices.
    __m128 cols[3][4];
    auto blendRow = [&](int r) {
        __m128* c = cols[r];
        for (int v = 0; v < 4; ++v) {
            const __m128 a = _mm_loadu_ps(A[v] + 4 * r), b = _mm_loadu_ps(B[v] + 4 * r);
            c[v] = _mm_add_ps(b, _mm_mul_ps(_mm_sub_ps(a, b), w[v]));
        }
        transpose(c[0], c[1], c[2], c[3]);
    };
    blendRow(0);
    blendRow(1);
    blendRow(2);
    __m128 px, py, pz, qx, qy, qz;
    loadFour(&skin.bindPositions[i], px, py, pz);
    loadFour(&skin.bindNormals[i], qx, qy, qz);
    __m128 position[3], normal[3];
    for (int r = 0; r < 3; ++r) {
        const __m128* c = cols[r];
        position[r] = _mm_add_ps(
            _mm_add_ps(_mm_add_ps(_mm_mul_ps(c[0], px), _mm_mul_ps(c[1], py)), _mm_mul_ps(c[2], pz)), c[3]);
        normal[r] = _mm_add_ps(_mm_add_ps(_mm_mul_ps(c[0], qx), _mm_mul_ps(c[1], qy)), _mm_mul_ps(c[2], qz));
    }
    const __m128 len2 = _mm_add_ps(_mm_add_ps(_mm_mul_ps(normal[0], normal[0]), _mm_mul_ps(normal[1], normal[1])),
                                   _mm_mul_ps(normal[2], normal[2]));
    const __m128 inv = _mm_div_ps(_mm_set1_ps(1.0f), _mm_sqrt_ps(_mm_add_ps(len2, _mm_set1_ps(1e-12f))));
    storeFour(po, position[0], position[1], position[2]);
    storeFour(no, _mm_mul_ps(normal[0], inv), _mm_mul_ps(normal[1], inv), _mm_mul_ps(normal[2], inv));
}

} // namespace

void skinVertices(const SkinData& skin, const Matrix m[JOINT_COUNT], float* positions, float* normals) {
    const size_t n = skin.bindPositions.size();
    size_t i = 0;
    for (; i + 4 <= n; i += 4) skinFour(skin, m, i, positions + 3 * i, normals + 3 * i);
    for (; i < n; ++i) skinOne(skin, m, i, positions + 3 * i, normals + 3 * i);
}
