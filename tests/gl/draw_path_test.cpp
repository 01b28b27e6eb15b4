// The OpenGL back end's short cuts must not show: blending by source alpha
// left off where every fragment's alpha is 1, and the program that reads
// white instead of sampling when no texture is bound. Each case is drawn
// over a known colour and compared with the blend's formula.
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "gl/gl_test_support.h"
#include "scene_builder/scene_builder.h"

using namespace velmora::tools;
using namespace velmora::testing;

namespace {

class DrawPathTest : public GlRenderTest {
protected:
    void SetUp() override {
        GlRenderTest::SetUp();
        if (HasFatalFailure()) return;
        d3dDevice->BeginScene();
        D3DMATRIX identity = IdentityMatrix();
        d3dDevice->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
        d3dDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity);
        d3dDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        d3dDevice->SetRenderState(D3DRENDERSTATE_AMBIENT, 0xFFFFFF);
        d3dDevice->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_ALWAYS);
        // The stage as the scene renderer's textures are drawn: texture times diffuse.
        d3dDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        d3dDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        d3dDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    }
    void TearDown() override {
        if (d3dDevice) {
            d3dDevice->SetTexture(0, nullptr);
            d3dDevice->EndScene();
        }
        GlRenderTest::TearDown();
    }
    // A quad over the centre in the material's colour, through the texture given.
    void DrawQuad(const D3DMATERIAL7& material, IDirectDrawSurface7* texture) {
        D3DMATERIAL7 copy = material;
        d3dDevice->SetMaterial(&copy);
        d3dDevice->SetTexture(0, texture);
        BuilderPart quad = Quad(4, 0, 20);
        ASSERT_EQ(d3dDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x112, quad.vertices.data(), 4,
                                                  reinterpret_cast<WORD*>(quad.polygons.data()), 6, 0),
                  D3D_OK);
    }
    uint32_t Centre() { return ReadBack().At(kWidth / 2, kHeight / 2); }
};

TEST_F(DrawPathTest, SourceAlphaBlendingGivesItsFormulaWhetherOrNotItCanBeLeftOff) {
    // Over a blue background: (src * a + dst * (1 - a)) for each case.
    IDirectDrawSurface7* opaqueTexture = OneColourTexture(0x00FFFFFF, false);  // alpha byte 0, read as 1
    IDirectDrawSurface7* halfTexture = OneColourTexture(0x80FFFFFF, true);
    ASSERT_NE(opaqueTexture, nullptr);
    ASSERT_NE(halfTexture, nullptr);
    d3dDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    d3dDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
    d3dDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
    struct Case {
        const char* name;
        float materialAlpha;
        IDirectDrawSurface7* texture;
        float alpha;  // what the fragment's alpha comes to
    };
    const float half = 128 / 255.0f;
    for (const Case& c : {Case{"opaque, no texture", 1.0f, nullptr, 1.0f},
                          Case{"opaque, texture without alpha", 1.0f, opaqueTexture, 1.0f},
                          Case{"opaque, texture with alpha", 1.0f, halfTexture, half},
                          Case{"half material, no texture", 0.5f, nullptr, 0.5f},
                          Case{"half material, texture without alpha", 0.5f, opaqueTexture, 0.5f}}) {
        SCOPED_TRACE(c.name);
        d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
        DrawQuad(Material(1.0f, 0.5f, 0.0f, c.materialAlpha), c.texture);
        ExpectColour(Centre(), c.alpha, 0.5f * c.alpha, 1.0f - c.alpha);
    }
    // Additive blending adds even an opaque colour.
    d3dDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    d3dDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    DrawQuad(Material(1.0f, 0.5f, 0.0f), opaqueTexture);
    ExpectColour(Centre(), 1.0f, 0.5f, 1.0f);
    // Blending off overwrites even a translucent colour.
    d3dDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
    d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    DrawQuad(Material(1.0f, 0.5f, 0.0f, 0.5f), halfTexture);
    ExpectColour(Centre(), 1.0f, 0.5f, 0.0f);
    opaqueTexture->Release();
    halfTexture->Release();
}

TEST_F(DrawPathTest, DrawsWithAndWithoutATextureInTurnEachGetTheirOwn) {
    // The untextured draws take a program that does not sample; switching
    // between the two kinds of draw must never leave the wrong one in use.
    IDirectDrawSurface7* texture = OneColourTexture(0xFF3366CC, true);
    ASSERT_NE(texture, nullptr);
    d3dDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
    const D3DMATERIAL7 white = Material(1.0f, 1.0f, 1.0f);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        DrawQuad(white, texture);
        ExpectColour(Centre(), 0x33 / 255.0f, 0x66 / 255.0f, 0xCC / 255.0f);
        DrawQuad(white, nullptr);
        ExpectColour(Centre(), 1.0f, 1.0f, 1.0f);
    }
    texture->Release();
}

TEST_F(DrawPathTest, GeometryKeptByOpenGlNeverDrawsStaleBytes) {
    // Random draws from a few arrays that stay where they are and change in
    // place now and then, each batch drawn a second time from copies the
    // back end has never seen: the two pictures must be the same.
    std::mt19937 random(20251210u);
    auto uniform = [&](float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); };
    auto pick = [&](int count) { return static_cast<int>(random() % static_cast<unsigned>(count)); };
    constexpr int kArrays = 3, kVertices = 8;
    std::vector<Vertex> vertices[kArrays];
    std::vector<WORD> indices[kArrays];
    auto reshape = [&](int a) {
        vertices[a].assign(kVertices, Vertex{});
        for (Vertex& v : vertices[a]) v = {uniform(-8, 8), uniform(-6, 6), uniform(15, 30), 0, 0, -1, 0, 0};
    };
    auto reindex = [&](int a) {
        indices[a].clear();
        const int triangles = 1 + pick(4);
        for (int k = 0; k < triangles * 3; ++k) indices[a].push_back(static_cast<WORD>(pick(kVertices)));
    };
    for (int a = 0; a < kArrays; ++a) {
        reshape(a);
        reindex(a);
    }
    // Copies never handed over before: a fresh stretch of one large block each time.
    std::vector<uint8_t> fresh(1 << 20);
    size_t freshUsed = 0;
    auto copyOf = [&](const void* data, size_t bytes) {
        freshUsed = (freshUsed + 63) / 64 * 64;
        if (freshUsed + bytes > fresh.size()) freshUsed = 0;  // never reached in this many steps
        void* at = fresh.data() + freshUsed;
        std::memcpy(at, data, bytes);
        freshUsed += bytes;
        return at;
    };
    d3dDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    d3dDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    d3dDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    int compared = 0;
    for (int batch = 0; batch < 40; ++batch) {
        // Between batches some arrays change where they lie.
        for (int a = 0; a < kArrays; ++a) {
            if (pick(3) == 0) reshape(a);
            if (pick(4) == 0) reindex(a);
        }
        struct Draw {
            int array;
            D3DMATERIAL7 material;
        };
        std::vector<Draw> draws;
        for (int k = 1 + pick(4); k > 0; --k)
            draws.push_back({pick(kArrays), Material(uniform(0, 0.5f), uniform(0, 0.5f), uniform(0, 0.5f))});
        Image pictures[2];
        for (int copies = 0; copies < 2; ++copies) {
            d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
            for (const Draw& draw : draws) {
                D3DMATERIAL7 material = draw.material;
                d3dDevice->SetMaterial(&material);
                const std::vector<Vertex>& v = vertices[draw.array];
                const std::vector<WORD>& i = indices[draw.array];
                void* vertexData = copies ? copyOf(v.data(), v.size() * sizeof(Vertex))
                                          : const_cast<Vertex*>(v.data());
                WORD* indexData = copies ? static_cast<WORD*>(copyOf(i.data(), i.size() * sizeof(WORD)))
                                         : const_cast<WORD*>(i.data());
                ASSERT_EQ(d3dDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x112, vertexData, kVertices,
                                                          indexData, static_cast<DWORD>(i.size()), 0),
                          D3D_OK);
            }
            pictures[copies] = ReadBack();
        }
        ASSERT_TRUE(pictures[0].pixels == pictures[1].pixels) << "batch " << batch;
        ++compared;
    }
    EXPECT_EQ(compared, 40);
}

}  // namespace
