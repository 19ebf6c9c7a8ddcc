// Two-bone linear blend skinning. Each vertex is transformed by both of its
// bones and the two results are blended by its weight (the same sum as
// blending the matrices first); a vertex that follows one bone alone is
// transformed once. The vertices are grouped by their bones beforehand, so
// a group's matrices stay in registers while its vertices stream through,
// four at a time with SSE2, and each result is written to its vertex's place.
#include "characters/character_skinning.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <raymath.h>
#include <xmmintrin.h>

void computeSkinMatrices(const CharacterModel& model, const Skeleton& posed, Matrix skin[JOINT_COUNT]) {
    for (int j = 0; j < JOINT_COUNT; ++j) skin[j] = MatrixMultiply(model.inverseBind[j], posed.joints[j]);
}

namespace {

constexpr int kLanes = 4;
constexpr int kBlockFloats = 7 * kLanes; // px py pz nx ny nz w

uint8_t validBone(uint8_t bone) { return bone < JOINT_COUNT ? bone : 0; }

// The bones a vertex follows; one bone alone is given twice.
uint16_t boneKey(const SkinData& skin, size_t i) {
    const uint8_t a = validBone(skin.boneA[i]), b = validBone(skin.boneB[i]);
    const float w = skin.weightA[i];
    if (w == 1.0f) return (uint16_t)(a << 8 | a);
    if (w == 0.0f) return (uint16_t)(b << 8 | b);
    return (uint16_t)(a << 8 | b);
}

// The upper three rows of a skin matrix, each element in all four lanes: in
// memory they are the matrix's first three blocks (m0 m4 m8 m12) ...
struct Rows {
    __m128 e[12];
};

Rows rowsOf(const Matrix& m) {
    Rows r;
    const float* f = &m.m0;
    for (int k = 0; k < 12; ++k) r.e[k] = _mm_set1_ps(f[k]);
    return r;
}

struct Lanes3 {
    __m128 x, y, z;
};

// x' = row . p + translation for the point, row . n for the normal.
inline void transform(const Rows& m, const float* block, Lanes3& p, Lanes3& n) {
    const __m128 px = _mm_loadu_ps(block), py = _mm_loadu_ps(block + 4), pz = _mm_loadu_ps(block + 8);
    const __m128 nx = _mm_loadu_ps(block + 12), ny = _mm_loadu_ps(block + 16), nz = _mm_loadu_ps(block + 20);
    __m128* out[2][3] = {{&p.x, &p.y, &p.z}, {&n.x, &n.y, &n.z}};
    for (int r = 0; r < 3; ++r) {
        const __m128* row = &m.e[4 * r];
        const __m128 dotN =
            _mm_add_ps(_mm_add_ps(_mm_mul_ps(row[0], nx), _mm_mul_ps(row[1], ny)), _mm_mul_ps(row[2], nz));
        const __m128 dotP =
            _mm_add_ps(_mm_add_ps(_mm_mul_ps(row[0], px), _mm_mul_ps(row[1], py)), _mm_mul_ps(row[2], pz));
        *out[0][r] = _mm_add_ps(dotP, row[3]);
        *out[1][r] = dotN;
    }
}

inline __m128 blend(__m128 a, __m128 b, __m128 w) { return _mm_add_ps(b, _mm_mul_ps(_mm_sub_ps(a, b), w)); }

// Renormalises the normals, then writes each lane's point and normal to its vertex.
inline void writeFour(Lanes3 p, Lanes3 n, const uint32_t* vertex, float* positions, float* normals) {
    const __m128 len2 = _mm_add_ps(_mm_add_ps(_mm_mul_ps(n.x, n.x), _mm_mul_ps(n.y, n.y)), _mm_mul_ps(n.z, n.z));
    const __m128 inv = _mm_div_ps(_mm_set1_ps(1.0f), _mm_sqrt_ps(_mm_add_ps(len2, _mm_set1_ps(1e-12f))));
    n = {_mm_mul_ps(n.x, inv), _mm_mul_ps(n.y, inv), _mm_mul_ps(n.z, inv)};
    __m128 pw = _mm_setzero_ps(), nw = _mm_setzero_ps();
    _MM_TRANSPOSE4_PS(p.x, p.y, p.z, pw); // now one vertex per register: x y z 0
    _MM_TRANSPOSE4_PS(n.x, n.y, n.z, nw);
    const __m128 ps[kLanes] = {p.x, p.y, p.z, pw}, ns[kLanes] = {n.x, n.y, n.z, nw};
    for (int v = 0; v < kLanes; ++v) {
        float* po = positions + 3 * (size_t)vertex[v];
        float* no = normals + 3 * (size_t)vertex[v];
        _mm_storel_pi(reinterpret_cast<__m64*>(po), ps[v]);
        _mm_store_ss(po + 2, _mm_movehl_ps(ps[v], ps[v]));
        _mm_storel_pi(reinterpret_cast<__m64*>(no), ns[v]);
        _mm_store_ss(no + 2, _mm_movehl_ps(ns[v], ns[v]));
    }
}

void skinGroup(const SkinGroups& g, const SkinGroups::Group& group, const Matrix m[JOINT_COUNT], float* positions,
               float* normals) {
    const Rows a = rowsOf(m[group.boneA]);
    const float* block = &g.blocks[(size_t)group.first * kBlockFloats];
    const uint32_t* vertex = &g.vertex[(size_t)group.first * kLanes];
    if (group.boneA == group.boneB) {
        for (uint32_t k = 0; k < group.count; ++k, block += kBlockFloats, vertex += kLanes) {
            Lanes3 p, n;
            transform(a, block, p, n);
            writeFour(p, n, vertex, positions, normals);
        }
        return;
    }
    const Rows b = rowsOf(m[group.boneB]);
    for (uint32_t k = 0; k < group.count; ++k, block += kBlockFloats, vertex += kLanes) {
        Lanes3 pa, na, pb, nb;
        transform(a, block, pa, na);
        transform(b, block, pb, nb);
        const __m128 w = _mm_loadu_ps(block + 24);
        writeFour({blend(pa.x, pb.x, w), blend(pa.y, pb.y, w), blend(pa.z, pb.z, w)},
                  {blend(na.x, nb.x, w), blend(na.y, nb.y, w), blend(na.z, nb.z, w)}, vertex, positions, normals);
    }
}

} // namespace

SkinGroups groupSkin(const SkinData& skin) {
    SkinGroups g;
    const size_t n = skin.bindPositions.size();
    g.vertexCount = n;
    g.madeFrom = skin.bindPositions.data();
    std::vector<uint16_t> keys(n);
    for (size_t i = 0; i < n; ++i) keys[i] = boneKey(skin, i);
    std::vector<uint16_t> distinct = keys; // a few dozen bone pairs at most
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    g.vertex.reserve(n + kLanes * distinct.size());
    g.blocks.reserve(g.vertex.capacity() / kLanes * kBlockFloats);
    std::vector<uint32_t> members;
    for (uint16_t key : distinct) {
        members.clear();
        for (size_t i = 0; i < n; ++i)
            if (keys[i] == key) members.push_back((uint32_t)i);
        SkinGroups::Group group;
        group.boneA = (uint8_t)(key >> 8);
        group.boneB = (uint8_t)(key & 0xFF);
        group.first = (uint32_t)(g.vertex.size() / kLanes);
        group.count = (uint32_t)((members.size() + kLanes - 1) / kLanes);
        for (uint32_t k = 0; k < group.count; ++k) {
            float block[kBlockFloats];
            for (size_t v = 0; v < kLanes; ++v) {
                const uint32_t i = members[std::min(k * kLanes + v, members.size() - 1)];
                const Vector3 p = skin.bindPositions[i], q = skin.bindNormals[i];
                const float values[7] = {p.x, p.y, p.z, q.x, q.y, q.z, skin.weightA[i]};
                for (int f = 0; f < 7; ++f) block[f * kLanes + v] = values[f];
                g.vertex.push_back(i);
            }
            g.blocks.insert(g.blocks.end(), block, block + kBlockFloats);
        }
        g.groups.push_back(group);
    }
    return g;
}

bool groupsFit(const SkinGroups& groups, const SkinData& skin) {
    return groups.vertexCount == skin.bindPositions.size() && groups.madeFrom == skin.bindPositions.data();
}

void skinGroups(const SkinGroups& groups, const Matrix m[JOINT_COUNT], float* positions, float* normals) {
    for (const SkinGroups::Group& group : groups.groups) skinGroup(groups, group, m, positions, normals);
}
