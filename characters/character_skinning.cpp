// Two-bone linear blend skinning.
#include "characters/character_skinning.h"

#include <cmath>
#include <raymath.h>

void computeSkinMatrices(const CharacterModel& model, const Skeleton& posed, Matrix skin[JOINT_COUNT]) {
    for (int j = 0; j < JOINT_COUNT; ++j) skin[j] = MatrixMultiply(model.inverseBind[j], posed.joints[j]);
}

void skinVertices(const SkinData& skin, const Matrix m[JOINT_COUNT], float* positions, float* normals) {
    const size_t n = skin.bindPositions.size();
    for (size_t i = 0; i < n; ++i) {
        const Matrix& A = m[skin.boneA[i] < JOINT_COUNT ? skin.boneA[i] : 0];
        const Matrix& B = m[skin.boneB[i] < JOINT_COUNT ? skin.boneB[i] : 0];
        const float wa = skin.weightA[i], wb = 1.0f - wa;
        const Vector3 p = skin.bindPositions[i], q = skin.bindNormals[i];
        const Vector3 pa = {A.m0 * p.x + A.m4 * p.y + A.m8 * p.z + A.m12, A.m1 * p.x + A.m5 * p.y + A.m9 * p.z + A.m13,
                            A.m2 * p.x + A.m6 * p.y + A.m10 * p.z + A.m14};
        const Vector3 pb = {B.m0 * p.x + B.m4 * p.y + B.m8 * p.z + B.m12, B.m1 * p.x + B.m5 * p.y + B.m9 * p.z + B.m13,
                            B.m2 * p.x + B.m6 * p.y + B.m10 * p.z + B.m14};
        const Vector3 na = {A.m0 * q.x + A.m4 * q.y + A.m8 * q.z, A.m1 * q.x + A.m5 * q.y + A.m9 * q.z,
                            A.m2 * q.x + A.m6 * q.y + A.m10 * q.z};
        const Vector3 nb = {B.m0 * q.x + B.m4 * q.y + B.m8 * q.z, B.m1 * q.x + B.m5 * q.y + B.m9 * q.z,
                            B.m2 * q.x + B.m6 * q.y + B.m10 * q.z};
        float* po = positions + 3 * i;
        po[0] = wa * pa.x + wb * pb.x;
        po[1] = wa * pa.y + wb * pb.y;
        po[2] = wa * pa.z + wb * pb.z;
        const Vector3 nn = {wa * na.x + wb * nb.x, wa * na.y + wb * nb.y, wa * na.z + wb * nb.z};
        const float inv = 1.0f / std::sqrt(nn.x * nn.x + nn.y * nn.y + nn.z * nn.z + 1e-12f);
        float* no = normals + 3 * i;
        no[0] = nn.x * inv;
        no[1] = nn.y * inv;
        no[2] = nn.z * inv;
    }
}
