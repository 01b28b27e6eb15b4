// The buffers that carry every draw's vertices and indices: data written
// once per draw, a ring that wraps many times within one frame, and draws
// that still see their own vertices after the ring has come round again.
#include <epoxy/gl.h>

#include "gl/gl_test_support.h"
#include "platform/gl/stream_buffer.h"
#include "scene_builder/scene_builder.h"

using namespace velmora::tools;
using namespace velmora::testing;
using velmora::platform::gl::StreamBuffer;

namespace {

std::vector<uint8_t> Pattern(size_t bytes, int seed) {
    std::vector<uint8_t> data(bytes);
    for (size_t i = 0; i < bytes; ++i) data[i] = static_cast<uint8_t>(seed * 31 + i * 7);
    return data;
}

std::vector<uint8_t> BufferBytes(GLenum target, GLintptr offset, size_t bytes) {
    std::vector<uint8_t> read(bytes);
    glGetBufferSubData(target, offset, static_cast<GLsizeiptr>(bytes), read.data());
    return read;
}

}  // namespace

TEST_F(GlRenderTest, StreamBufferHoldsEveryChunkWhereItSaysAcrossWrapsAndGrowth) {
    for (bool persistent : {true, false}) {
        SCOPED_TRACE(persistent ? "persistent ring" : "orphaning");
        StreamBuffer stream;
        stream.Create(GL_ARRAY_BUFFER, 4096, persistent);
        const GLintptr sector = 4096 / 4;
        for (int chunk = 0; chunk < 60; ++chunk) {
            // Odd sizes below a sector, then one of several sectors.
            size_t bytes = chunk == 45 ? 5000 : static_cast<size_t>(100 + (chunk * 97) % 700);
            // Vertex strides that are no power of two, too.
            GLsizeiptr alignment = chunk % 3 == 0 ? 36 : chunk % 3 == 1 ? 32 : 2;
            std::vector<uint8_t> data = Pattern(bytes, chunk);
            GLintptr offset = stream.Append(data.data(), static_cast<GLsizeiptr>(bytes), alignment);
            EXPECT_EQ(offset % alignment, 0);
            GLint64 size = 0;
            glGetBufferParameteri64v(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
            ASSERT_LE(offset + static_cast<GLint64>(bytes), size) << "chunk " << chunk;
            if (chunk >= 45) {
                EXPECT_GE(size, stream.persistent() ? 4 * 5000 : 5000) << "a buffer too small for a chunk grows";
            }
            if (stream.persistent() && chunk < 45) {
                EXPECT_EQ(offset / sector, (offset + static_cast<GLintptr>(bytes) - 1) / sector)
                    << "chunk " << chunk << " straddles two sectors";
            }
            EXPECT_EQ(BufferBytes(GL_ARRAY_BUFFER, offset, bytes), data) << "chunk " << chunk;
        }
        stream.Destroy();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(GlRenderTest, DrawsAfterTheStreamHasWrappedStillSeeTheirOwnVertices) {
    // 24 draws of one or two megabytes of vertices each take the 8 MB ring
    // round several times in one frame, and the first of two megabytes makes
    // it grow; each draw puts a square of its own colour in its own cell, so
    // a draw that read another draw's vertices shows at once.
    const int columns = 6, rows = 4;
    const float z = 20.0f;
    d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    d3dDevice->BeginScene();
    d3dDevice->SetRenderState(D3DRENDERSTATE_AMBIENT, 0xFFFFFF);
    D3DMATRIX identity = IdentityMatrix();
    d3dDevice->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
    d3dDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity);
    d3dDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    BuilderPart quad = Quad(0.5f, 0, z);
    auto cellX = [&](int c) { return -0.75f + 0.3f * static_cast<float>(c); };
    auto cellY = [&](int r) { return -0.6f + 0.4f * static_cast<float>(r); };
    for (int cell = 0; cell < columns * rows; ++cell) {
        int c = cell % columns, r = cell / columns;
        const int kVertices = r == 2 ? 65536 : 32768;
        // Every vertex but the square's four lies far off; the last one is
        // named by a degenerate triangle so that the whole array is sent.
        std::vector<float> vertices(static_cast<size_t>(kVertices) * 8, 1000.0f);
        const float* square = reinterpret_cast<const float*>(quad.vertices.data());
        for (int v = 0; v < 4; ++v) {
            for (int k = 0; k < 8; ++k) vertices[static_cast<size_t>(v) * 8 + k] = square[v * 8 + k];
            vertices[static_cast<size_t>(v) * 8 + 0] += cellX(c) * z / 2.4142f;
            vertices[static_cast<size_t>(v) * 8 + 1] += cellY(r) * z / 3.1385f;
        }
        std::vector<WORD> indices(reinterpret_cast<const uint16_t*>(quad.polygons.data()),
                                  reinterpret_cast<const uint16_t*>(quad.polygons.data()) + 6);
        indices.insert(indices.end(), {0, 0, static_cast<WORD>(kVertices - 1)});
        D3DMATERIAL7 material = Material(0.2f * static_cast<float>(c), 0.3f * static_cast<float>(r), 0.5f);
        d3dDevice->SetMaterial(&material);
        ASSERT_EQ(d3dDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x112, vertices.data(), kVertices,
                                                  indices.data(), static_cast<DWORD>(indices.size()), 0),
                  D3D_OK);
    }
    d3dDevice->EndScene();
    Image frame = ReadBack();
    for (int cell = 0; cell < columns * rows; ++cell) {
        int c = cell % columns, r = cell / columns;
        int x = static_cast<int>((cellX(c) + 1.0f) / 2.0f * kWidth);
        int y = static_cast<int>((1.0f - cellY(r)) / 2.0f * kHeight);
        SCOPED_TRACE("cell " + std::to_string(cell));
        ExpectColour(frame.At(x, y), 0.2f * static_cast<float>(c), 0.3f * static_cast<float>(r), 0.5f);
    }
}
