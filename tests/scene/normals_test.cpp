// Vertex normals as loading computes them.
#include "scene/normals.h"

#include <gtest/gtest.h>

#include <cmath>

#include "scene/scene_fixture.h"
#include "scene_writer/sample_scenes.h"

using namespace velmora::tools;
using velmora::testing::SceneTest;

namespace {

Vertex At(float x, float y, float z) { return Vertex{x, y, z, 0, 0, 0, 0, 0}; }

TEST(NormalsTest, FaceNormalOfATriangleAndOfDegenerateOnes) {
    D3DVECTOR n = FaceNormal(At(0, 0, 0), At(1, 0, 0), At(0, 1, 0));
    EXPECT_EQ(n.x, 0.0f);
    EXPECT_EQ(n.y, 0.0f);
    EXPECT_EQ(n.z, 1.0f);
    n = FaceNormal(At(0, 0, 0), At(0, 5, 0), At(0, 0, 3));  // scaled, +x
    EXPECT_FLOAT_EQ(n.x, 1.0f);
    for (const D3DVECTOR& zero : {FaceNormal(At(2, 3, 4), At(2, 3, 4), At(2, 3, 4)),
                                  FaceNormal(At(0, 0, 0), At(1, 1, 1), At(2, 2, 2))}) {
        EXPECT_EQ(zero.x, 0.0f);
        EXPECT_EQ(zero.y, 0.0f);
        EXPECT_EQ(zero.z, 0.0f);
        EXPECT_FALSE(std::isnan(zero.x));
    }
}

using LoadedNormalsTest = SceneTest;

TEST_F(LoadedNormalsTest, EveryCubeVertexGetsItsOutwardFaceNormal) {
    // The cube is wound so that its outside survives the clockwise culling:
    // loaded normals must then point out of it, towards whoever sees a face.
    SceneDescription d = OneFrameScene();
    Load(d);
    ASSERT_EQ(scene.objectCount, 1);
    const SceneObject& cube = scene.objects[0];
    ASSERT_EQ(cube.partVertexCounts[0], 24);
    for (int32_t v = 0; v < 24; ++v) {
        const Vertex& vertex = cube.partVertices[0][v];
        // The normal is the unit axis along which the vertex lies on its face.
        float h = 5.0f;
        float expected[3] = {0, 0, 0};
        int axis = v / 8;  // faces come in pairs: x, y, z
        expected[axis] = (v / 4) % 2 == 0 ? 1.0f : -1.0f;
        EXPECT_EQ(vertex.nx, expected[0]) << v;
        EXPECT_EQ(vertex.ny, expected[1]) << v;
        EXPECT_EQ(vertex.nz, expected[2]) << v;
        const float* position = &vertex.x;
        EXPECT_EQ(position[axis], expected[axis] * h) << v;
    }
}

TEST_F(LoadedNormalsTest, SharedVerticesSumTheirPartsTrianglesOnly) {
    SceneDescription d = OneFrameScene();
    WriterPart corner;
    // A floor triangle (+z) and a wall triangle (+x) sharing the edge along y;
    // vertex 5 is used by no triangle, triangle 3 is degenerate.
    corner.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, -1}, {0, 1, -1}, {9, 9, 9}};
    corner.polygons = {{0, 1, 2}, {0, 2, 3}, {2, 4, 3}, {1, 1, 1}};
    WriterObject object;
    object.name = "Corner";
    object.parts = {corner, corner};
    object.parts[1].polygons = {{0, 1, 2}};  // the other part's triangles do not count
    object.matrices = {IdentityMatrix()};
    d.objects.push_back(object);
    ASSERT_EQ(CheckScene(d), "");
    Load(d);
    ASSERT_EQ(scene.objectCount, 2);
    const Vertex* v = scene.objects[1].partVertices[0];
    const float r = 1.0f / std::sqrt(2.0f);
    // Loading turns the sums to the drawn side: vertex 0 sums the floor
    // (0,0,1) and the wall (-1,0,0), and gets their negated mean.
    EXPECT_FLOAT_EQ(v[0].nx, r);
    EXPECT_FLOAT_EQ(v[0].ny, 0.0f);
    EXPECT_FLOAT_EQ(v[0].nz, -r);
    // Vertex 1: the floor triangle and the degenerate one, which adds nothing.
    EXPECT_EQ(v[1].nx, 0.0f);
    EXPECT_EQ(v[1].nz, -1.0f);
    // Vertex 4: the wall only; vertex 5: nothing, and no negative zero or NaN.
    EXPECT_EQ(v[4].nx, 1.0f);
    EXPECT_EQ(v[5].nx, 0.0f);
    EXPECT_FALSE(std::signbit(v[5].nx));
    EXPECT_EQ(v[5].ny, 0.0f);
    EXPECT_EQ(v[5].nz, 0.0f);
    const Vertex* other = scene.objects[1].partVertices[1];
    EXPECT_EQ(other[0].nx, 0.0f);
    EXPECT_EQ(other[0].nz, -1.0f);

    // ComputePartNormals itself keeps the plain formula: the sums unturned.
    ComputePartNormals(&scene.objects[1], 0);
    EXPECT_FLOAT_EQ(v[0].nx, -r);
    EXPECT_FLOAT_EQ(v[0].nz, r);
    EXPECT_EQ(v[4].nx, -1.0f);
}

}  // namespace
