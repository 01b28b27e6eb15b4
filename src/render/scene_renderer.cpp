#include "render/scene_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "render/display.h"
#include "render/projection.h"
#include "texture/texture_cache.h"

namespace {

float Blend(float a, float b, float f) {
    float later = b * f;
    float earlier = a * (1.0f - f);
    return earlier + later;
}

void BlendValues(const float* a, const float* b, float f, float* out, int count) {
    for (int i = 0; i < count; ++i) out[i] = Blend(a[i], b[i], f);
}

float Fraction(float t) { return t - std::trunc(t); }

// A frame index taken back by the trail into the animation's range.
int32_t Wrap(int64_t frame, int32_t frameCount) {
    int64_t wrapped = frame % frameCount;
    return static_cast<int32_t>(wrapped < 0 ? wrapped + frameCount : wrapped);
}

bool IsOpaque(float alpha) {
    const float one = 1.0f;
    return std::memcmp(&alpha, &one, sizeof alpha) == 0;
}

// A packed ambient colour plus the camera's extra, clamped to 0 ... 0xFFFFFF.
// A channel that overflows carries into the next.
DWORD AmbientSum(uint32_t sceneAmbient, int32_t extra) {
    int64_t sum = static_cast<int64_t>(static_cast<int32_t>(sceneAmbient)) + extra;
    if (sum < 0) return 0;
    if (sum > 0xFFFFFF) return 0xFFFFFF;
    return static_cast<DWORD>(sum);
}

bool SameTextureName(const char* a, const char* b) { return lstrcmpiA(a ? a : "", b ? b : "") == 0; }

struct Pass {
    Scene* scene;
    int32_t camera;
    float t;
    int32_t f0;
    int32_t f1;
    float blend;
    bool opaque;
};

void DrawObject(const Pass& pass, int32_t o) {
    Scene* scene = pass.scene;
    const SceneObject& object = scene->objects[o];
    if (object.overlay || pass.blend > 1.0f) {
        d3dDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
        d3dDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    } else {
        d3dDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
        d3dDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
    D3DMATRIX world = object.animated
                          ? InterpolateMatrix(pass.t, object.matrices[pass.f0], object.matrices[pass.f1])
                          : object.matrices[0];
    d3dDevice->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
    d3dDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, object.cullBackfaces ? D3DCULL_CW : D3DCULL_NONE);
    d3dDevice->SetRenderState(D3DRENDERSTATE_SHADEMODE, static_cast<DWORD>(object.shadeMode));

    const SceneCamera& camera = scene->cameras[pass.camera];
    bool haveVisibility = camera.visibility && camera.visibility[o];
    const char* boundName = nullptr;
    bool anyDrawn = false;
    for (int32_t p = 0; p < object.partCount; ++p) {
        if (haveVisibility && !PartVisible(scene, pass.camera, o, pass.f0, p)) continue;
        const DrawStyle* style = object.partDrawStyles[p];
        if (!style) continue;
        D3DMATERIAL7 material = style->material;
        if (IsOpaque(material.diffuse.a) != pass.opaque) continue;
        if (pass.opaque || pass.blend < material.diffuse.a) material.diffuse.a = pass.blend;
        d3dDevice->SetMaterial(&material);
        if (!anyDrawn || !SameTextureName(style->textureName, boundName))
            d3dDevice->SetTexture(0, style->textureName ? GetTextureSurface(style->textureName) : nullptr);
        boundName = style->textureName;
        anyDrawn = true;
        d3dDevice->DrawIndexedPrimitive(
            D3DPT_TRIANGLELIST, kVertexFormat, object.partVertices[p],
            static_cast<DWORD>(object.partVertexCounts[p]),
            reinterpret_cast<WORD*>(object.partPolygons[p]),
            static_cast<DWORD>(object.partPolygonCounts[p]) * 3, 0);
    }
}

}  // namespace

D3DMATRIX InterpolateMatrix(float t, D3DMATRIX a, D3DMATRIX b) {
    D3DMATRIX result;
    BlendValues(&a._11, &b._11, Fraction(t), &result._11, 16);
    return result;
}

D3DLIGHT7 InterpolateLight(float t, D3DLIGHT7 a, D3DLIGHT7 b) {
    float f = Fraction(t);
    D3DLIGHT7 result;
    result.dltType = a.dltType;
    BlendValues(&a.dcvDiffuse.r, &b.dcvDiffuse.r, f, &result.dcvDiffuse.r, 4);
    BlendValues(&a.dcvSpecular.r, &b.dcvSpecular.r, f, &result.dcvSpecular.r, 4);
    BlendValues(&a.dcvAmbient.r, &b.dcvAmbient.r, f, &result.dcvAmbient.r, 4);
    BlendValues(&a.dvPosition.x, &b.dvPosition.x, f, &result.dvPosition.x, 3);
    BlendValues(&a.dvDirection.x, &b.dvDirection.x, f, &result.dvDirection.x, 3);
    result.dvRange = Blend(a.dvRange, b.dvRange, f);
    result.dvFalloff = Blend(a.dvFalloff, b.dvFalloff, f);
    result.dvAttenuation0 = Blend(a.dvAttenuation0, b.dvAttenuation0, f);
    result.dvAttenuation1 = Blend(a.dvAttenuation1, b.dvAttenuation1, f);
    result.dvAttenuation2 = Blend(a.dvAttenuation2, b.dvAttenuation2, f);
    result.dvTheta = Blend(a.dvTheta, b.dvTheta, f);
    result.dvPhi = Blend(a.dvPhi, b.dvPhi, f);
    return result;
}

HRESULT RenderScene(Scene* scene) {
    if (!d3dDevice || !scene) return E_FAIL;
    if (FAILED(d3dDevice->BeginScene())) return E_FAIL;
    float t = scene->currentFrame;
    // trunc(t) of a position far outside the animation does not fit an int.
    bool drawable = scene->frameCount > 0 && t > -1.0f && t < static_cast<float>(scene->frameCount);
    int32_t cur = drawable ? static_cast<int32_t>(std::trunc(t)) : -1;
    if (cur >= 0) {
        int32_t next = cur + 1 >= scene->frameCount ? 0 : cur + 1;
        for (int32_t i = 0; i < scene->lightCount; ++i) {
            D3DLIGHT7 light = scene->lights[i].animated
                                  ? InterpolateLight(t, scene->lightFrames[i][cur], scene->lightFrames[i][next])
                                  : scene->lightFrames[i][0];
            d3dDevice->SetLight(static_cast<DWORD>(i), &light);
        }
        for (int32_t j = 0; j < scene->cameraCount; ++j) {
            int32_t c = scene->cameraOrder[j];
            if (c < 0 || c >= scene->cameraCount) continue;
            const SceneCamera& camera = scene->cameras[c];
            float blend = camera.frameBlend[cur];
            if (blend <= -1.0f) continue;
            // A trail longer than the scene would only repeat its frames; one
            // below 1 draws nothing. Counted wide, so that no trail wraps round.
            const int64_t trail = std::min(camera.blurFrames, scene->frameCount);
            for (int64_t a = trail - 1; a >= 0; --a) {
                int32_t f0 = Wrap(static_cast<int64_t>(cur) - a, scene->frameCount);
                int32_t f1 = Wrap(static_cast<int64_t>(next) - a, scene->frameCount);
                d3dDevice->SetRenderState(D3DRENDERSTATE_AMBIENT,
                                          AmbientSum(scene->frameAmbient[f0], camera.frameExtraAmbient[f0]));
                d3dDevice->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
                if (blend > 1.0f) {
                    d3dDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
                    d3dDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
                } else {
                    d3dDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
                    d3dDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
                }
                SetProjection(camera.frameFov[f0], ProjectionAspect(), kNearPlane, kFarPlane);
                D3DMATRIX view = InterpolateMatrix(t, scene->cameraMatrices[c][f0], scene->cameraMatrices[c][f1]);
                d3dDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
                Pass pass{scene, c, t, f0, f1, blend, true};
                for (int32_t o = 0; o < scene->objectCount; ++o) DrawObject(pass, o);
                d3dDevice->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
                pass.opaque = false;
                for (int32_t o = 0; o < scene->objectCount; ++o) DrawObject(pass, o);
                d3dDevice->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
            }
        }
    }
    d3dDevice->EndScene();
    return S_OK;
}
