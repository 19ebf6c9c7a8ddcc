// Two-bone linear blend skinning. Blending the two matrices first and then
// transforming once is the same linear blend as blending the two
// transformed points, with fewer operations per vertex.
#include "characters/character_skinning.h"

#include <cmath>
#include <raymath.h>

void computeSkinMatrices(const CharacterModel& model, const Skeleton& posed, Matrix skin[JOINT_COUNT]) {
    for (int j = 0; j < JOINT_COUNT; ++j) skin[j] = MatrixMultiply(model.inverseBind[j], posed.joints[j]);
}

void skinVertices(const SkinData& skin, const Matrix m[JOINT_COUNT], float* positions, float* normals) {
    // The upper three rows of each matrix, row by row: x' = r[0..2] . p + r[3].
    float rows[JOINT_COUNT][12];
    for (int j = 0; j < JOINT_COUNT; ++j) {
        const Matrix& a = m[j];
        const float r[12] = {a.m0, a.m4, a.m8, a.m12, a.m1, a.m5, a.m9, a.m13, a.m2, a.m6, a.m10, a.m14};
        for (int k = 0; k < 12; ++k) rows[j][k] = r[k];
    }
    const size_t n = skin.bindPositions.size();
    for (size_t i = 0; i < n; ++i) {
        const float* A = rows[skin.boneA[i] < JOINT_COUNT ? skin.boneA[i] : 0];
        const float* B = rows[skin.boneB[i] < JOINT_COUNT ? skin.boneB[i] : 0];
        const float w = skin.weightA[i];
        float M[12];
        for (int k = 0; k < 12; ++k) M[k] = B[k] + (A[k] - B[k]) * w;
        const Vector3 p = skin.bindPositions[i], q = skin.bindNormals[i];
        float* po = positions + 3 * i;
        float* no = normals + 3 * i;
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
}
