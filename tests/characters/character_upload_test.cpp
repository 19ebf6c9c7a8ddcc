// Which parts may be drawn, and how: 16-bit indices only below 65536
// vertices, a triangle list without indices, and nothing that would read
// wrapped or stray indices.
#include <gtest/gtest.h>

#include "characters/character_upload.h"

namespace {

MeshData withVertices(int count) {
    MeshData d;
    d.positions.assign(3 * (size_t)count, 0.0f);
    return d;
}

} // namespace

TEST(PartLayout, IndexedOnlyBelowSixteenBitsAndWithinTheVertices) {
    EXPECT_EQ(partLayout(MeshData{}), PartLayout::Empty);

    MeshData small = withVertices(4);
    small.indices = {0, 1, 2, 0, 2, 3};
    EXPECT_EQ(partLayout(small), PartLayout::Indexed);
    small.indices.back() = 4; // past the last vertex
    EXPECT_EQ(partLayout(small), PartLayout::Unusable);
    small.indices = {0, 1, 2, 3}; // a broken triangle
    EXPECT_EQ(partLayout(small), PartLayout::Unusable);

    MeshData largest = withVertices(65535);
    largest.indices = {0, 1, 65534};
    EXPECT_FALSE(exceedsShortIndices(largest));
    EXPECT_EQ(partLayout(largest), PartLayout::Indexed);

    MeshData wrapped = withVertices(65536);
    wrapped.indices = {0, 1, 2};
    EXPECT_TRUE(exceedsShortIndices(wrapped));
    EXPECT_EQ(partLayout(wrapped), PartLayout::Unusable);
}

TEST(PartLayout, WithoutIndicesOnlyWholeTriangles) {
    MeshData list = withVertices(70002);
    list.indexOverflow = true;
    EXPECT_EQ(partLayout(list), PartLayout::TriangleList);
    list.indices = {0, 1, 2}; // flagged as overflowing yet indexed: not trusted
    EXPECT_EQ(partLayout(list), PartLayout::Unusable);
    EXPECT_EQ(partLayout(withVertices(70001)), PartLayout::Unusable);
    EXPECT_EQ(partLayout(withVertices(6)), PartLayout::TriangleList);
}
