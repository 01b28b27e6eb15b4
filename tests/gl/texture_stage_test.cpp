// The texture stage's colour operations, each drawn and compared with its
// formula: the OpenGL back end builds a program with each stage set-up fixed
// in, up to a bound, and draws the rest with the program that reads the
// set-up from uniforms, so that both ways are checked here.
#include <algorithm>
#include <functional>

#include "gl/gl_test_support.h"
#include "scene_builder/scene_builder.h"

using namespace velmora::tools;
using namespace velmora::testing;

namespace {

struct Colour {
    float r, g, b, a;
};

}  // namespace

TEST_F(GlRenderTest, EveryColourOperationShadesAsItsFormulaSays) {
    // Texel (0.8, 0.4, 0.2) with alpha 0.6; the quad's lit colour (0.5, 0.25, 1.0).
    const Colour texel{204 / 255.0f, 102 / 255.0f, 51 / 255.0f, 153 / 255.0f};
    const Colour diffuse{0.5f, 0.25f, 1.0f, 1.0f};
    IDirectDrawSurface7* texture = OneColourTexture(0x99CC6633, true);
    ASSERT_NE(texture, nullptr);

    using Formula = std::function<float(float a, float b)>;
    struct Case {
        const char* name;
        DWORD op;
        Formula formula;
    };
    const Case operations[] = {
        {"select arg 1", D3DTOP_SELECTARG1, [](float a, float) { return a; }},
        {"select arg 2", D3DTOP_SELECTARG2, [](float, float b) { return b; }},
        {"modulate", D3DTOP_MODULATE, [](float a, float b) { return a * b; }},
        {"modulate 2x", D3DTOP_MODULATE2X, [](float a, float b) { return 2 * a * b; }},
        {"modulate 4x", D3DTOP_MODULATE4X, [](float a, float b) { return 4 * a * b; }},
        {"add", D3DTOP_ADD, [](float a, float b) { return a + b; }},
        {"add signed", D3DTOP_ADDSIGNED, [](float a, float b) { return a + b - 0.5f; }},
        {"subtract", D3DTOP_SUBTRACT, [](float a, float b) { return a - b; }},
    };
    // The first argument as the texture, its complement and its alpha
    // replicated: 24 set-ups, more than the back end builds programs for.
    struct Modifier {
        const char* name;
        DWORD flags;
        std::function<Colour(Colour)> apply;
    };
    const Modifier modifiers[] = {
        {"texture", 0, [](Colour c) { return c; }},
        {"complement", D3DTA_COMPLEMENT, [](Colour c) { return Colour{1 - c.r, 1 - c.g, 1 - c.b, 1 - c.a}; }},
        {"alpha", D3DTA_ALPHAREPLICATE, [](Colour c) { return Colour{c.a, c.a, c.a, c.a}; }},
    };
    BuilderPart quad = Quad(4, 0, 20);
    for (int round = 0; round < 2; ++round) {
        // The second round draws each set-up again, now that the programs are built.
        for (const Modifier& modifier : modifiers)
            for (const Case& operation : operations) {
                SCOPED_TRACE(std::string(operation.name) + " of the " + modifier.name);
                d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
                d3dDevice->BeginScene();
                D3DMATERIAL7 material = Material(diffuse.r, diffuse.g, diffuse.b);
                d3dDevice->SetMaterial(&material);
                d3dDevice->SetRenderState(D3DRENDERSTATE_AMBIENT, 0xFFFFFF);
                d3dDevice->SetTexture(0, texture);
                d3dDevice->SetTextureStageState(0, D3DTSS_COLOROP, operation.op);
                d3dDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE | modifier.flags);
                d3dDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
                // Opaque, so that blending leaves the colour as it is.
                d3dDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
                d3dDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
                D3DMATRIX identity = IdentityMatrix();
                d3dDevice->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
                d3dDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity);
                d3dDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
                ASSERT_EQ(d3dDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x112, quad.vertices.data(), 4,
                                                          reinterpret_cast<WORD*>(quad.polygons.data()), 6, 0),
                          D3D_OK);
                d3dDevice->EndScene();
                Colour a = modifier.apply(texel);
                auto expect = [&](float x, float y) { return std::clamp(operation.formula(x, y), 0.0f, 1.0f); };
                ExpectColour(ReadBack().At(kWidth / 2, kHeight / 2), expect(a.r, diffuse.r), expect(a.g, diffuse.g),
                             expect(a.b, diffuse.b));
            }
    }
    d3dDevice->SetTexture(0, nullptr);
    texture->Release();
}
