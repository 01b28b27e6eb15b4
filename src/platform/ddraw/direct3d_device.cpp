// IDirect3DDevice7: the fixed-function state, translated into the drawing
// back end's plain records. Each setter notes which part of the record its
// state feeds; a draw translates only the parts noted since the last one.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/ddraw/matrix_math.h"
#include "platform/ddraw/objects.h"

namespace velmora::platform::ddraw {

namespace {

constexpr int kRenderStateCount = 256;
constexpr int kStageCount = 8;
constexpr int kStageStateCount = 32;
constexpr DWORD kLargestLightIndex = 0xFFFF;
constexpr DWORD kMaterialSourceColor1 = 1;  // D3DMCS_COLOR1

// The parts of the draw record, each rebuilt from its own states.
enum StateGroup : uint32_t {
    kTransformGroup = 1u << 0,  // world, view, projection
    kMaterialGroup = 1u << 1,   // material, ambient, lighting and colour-source switches
    kLightGroup = 1u << 2,      // the enabled lights, in camera space (so also the view)
    kStageGroup = 1u << 3,      // stage 0 operations, texture factor, sampler
    kRasterGroup = 1u << 4,     // culling, shading, blending, depth (and the projection's planes)
    kViewportGroup = 1u << 5,
    kAllGroups = (1u << 6) - 1,
};

// The part a render state feeds; 0 for the states nothing draws.
uint32_t GroupOfRenderState(DWORD state) {
    switch (state) {
        case D3DRENDERSTATE_LIGHTING:
        case D3DRENDERSTATE_COLORVERTEX:
        case D3DRENDERSTATE_DIFFUSEMATERIALSOURCE:
        case D3DRENDERSTATE_AMBIENT: return kMaterialGroup;
        case D3DRENDERSTATE_TEXTUREFACTOR: return kStageGroup;
        case D3DRENDERSTATE_CULLMODE:
        case D3DRENDERSTATE_SHADEMODE:
        case D3DRENDERSTATE_ALPHABLENDENABLE:
        case D3DRENDERSTATE_SRCBLEND:
        case D3DRENDERSTATE_DESTBLEND:
        case D3DRENDERSTATE_ZENABLE:
        case D3DRENDERSTATE_ZWRITEENABLE:
        case D3DRENDERSTATE_ZFUNC: return kRasterGroup;
        default: return 0;
    }
}

void TransformPoint(const D3DVECTOR& v, const D3DMATRIX& m, float out[3]) {
    out[0] = v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41;
    out[1] = v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42;
    out[2] = v.x * m._13 + v.y * m._23 + v.z * m._33 + m._43;
}

void TransformDirection(const D3DVECTOR& v, const D3DMATRIX& m, float out[3]) {
    out[0] = v.x * m._11 + v.y * m._21 + v.z * m._31;
    out[1] = v.x * m._12 + v.y * m._22 + v.z * m._32;
    out[2] = v.x * m._13 + v.y * m._23 + v.z * m._33;
    float length = std::sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2]);
    for (int k = 0; k < 3; ++k) out[k] = length > 0.0f ? out[k] / length : 0.0f;
}

BlendFactor BlendOf(DWORD blend) {
    switch (blend) {
        case D3DBLEND_ZERO: return BlendFactor::Zero;
        case D3DBLEND_ONE: return BlendFactor::One;
        case D3DBLEND_SRCCOLOR: return BlendFactor::SourceColor;
        case D3DBLEND_INVSRCCOLOR: return BlendFactor::InverseSourceColor;
        case D3DBLEND_SRCALPHA:
        case D3DBLEND_SRCALPHASAT: return BlendFactor::SourceAlpha;
        case D3DBLEND_INVSRCALPHA: return BlendFactor::InverseSourceAlpha;
        case D3DBLEND_DESTALPHA: return BlendFactor::DestinationAlpha;
        case D3DBLEND_INVDESTALPHA: return BlendFactor::InverseDestinationAlpha;
        case D3DBLEND_DESTCOLOR: return BlendFactor::DestinationColor;
        case D3DBLEND_INVDESTCOLOR: return BlendFactor::InverseDestinationColor;
        default: return BlendFactor::One;
    }
}

CompareFunction CompareOf(DWORD function) {
    switch (function) {
        case D3DCMP_NEVER: return CompareFunction::Never;
        case D3DCMP_LESS: return CompareFunction::Less;
        case D3DCMP_EQUAL: return CompareFunction::Equal;
        case D3DCMP_GREATER: return CompareFunction::Greater;
        case D3DCMP_NOTEQUAL: return CompareFunction::NotEqual;
        case D3DCMP_GREATEREQUAL: return CompareFunction::GreaterEqual;
        case D3DCMP_ALWAYS: return CompareFunction::Always;
        default: return CompareFunction::LessEqual;
    }
}

bool PrimitiveOf(D3DPRIMITIVETYPE type, Primitive& primitive) {
    switch (type) {
        case D3DPT_POINTLIST: primitive = Primitive::Points; return true;
        case D3DPT_LINELIST: primitive = Primitive::Lines; return true;
        case D3DPT_LINESTRIP: primitive = Primitive::LineStrip; return true;
        case D3DPT_TRIANGLELIST: primitive = Primitive::Triangles; return true;
        case D3DPT_TRIANGLESTRIP: primitive = Primitive::TriangleStrip; return true;
        case D3DPT_TRIANGLEFAN: primitive = Primitive::TriangleFan; return true;
        default: return false;
    }
}

// The members of a flexible vertex format with untransformed positions.
bool LayoutOf(DWORD format, VertexLayout& layout) {
    constexpr DWORD kPositionMask = 0x00E;
    constexpr DWORD kReserved1 = 0x020;
    if ((format & kPositionMask) != D3DFVF_XYZ) return false;
    int offset = 12;
    layout.position = 0;
    if (format & D3DFVF_NORMAL) {
        layout.normal = offset;
        offset += 12;
    }
    if (format & kReserved1) offset += 4;
    if (format & D3DFVF_DIFFUSE) {
        layout.diffuse = offset;
        offset += 4;
    }
    if (format & D3DFVF_SPECULAR) offset += 4;
    int sets = static_cast<int>((format >> 8) & 0xF);
    if (sets > 8) return false;
    for (int set = 0; set < sets; ++set) {
        static const int kFloats[4] = {2, 3, 4, 1};
        int floats = kFloats[(format >> (16 + 2 * set)) & 3];
        if (set == 0 && floats >= 2) layout.texCoord = offset;
        offset += floats * 4;
    }
    layout.stride = offset;
    return true;
}

class Direct3DDevice : public ComObject<IDirect3DDevice7> {
public:
    Direct3DDevice(const DeviceInfo& info, Surface* target) : info_(info), target_(target) {
        target_->AddRef();
        world_ = view_ = projection_ = IdentityMatrix();
        std::memset(renderStates_, 0, sizeof renderStates_);
        std::memset(stageStates_, 0, sizeof stageStates_);
        std::memset(&material_, 0, sizeof material_);
        renderStates_[D3DRENDERSTATE_ZENABLE] = target_->zBuffer() ? D3DZB_TRUE : D3DZB_FALSE;
        renderStates_[D3DRENDERSTATE_ZWRITEENABLE] = TRUE;
        renderStates_[D3DRENDERSTATE_ZFUNC] = D3DCMP_LESSEQUAL;
        renderStates_[D3DRENDERSTATE_CULLMODE] = D3DCULL_CCW;
        renderStates_[D3DRENDERSTATE_SHADEMODE] = D3DSHADE_GOURAUD;
        renderStates_[D3DRENDERSTATE_SRCBLEND] = D3DBLEND_ONE;
        renderStates_[D3DRENDERSTATE_DESTBLEND] = D3DBLEND_ZERO;
        renderStates_[D3DRENDERSTATE_LIGHTING] = TRUE;
        renderStates_[D3DRENDERSTATE_COLORVERTEX] = TRUE;
        renderStates_[D3DRENDERSTATE_TEXTUREFACTOR] = 0xFFFFFFFF;
        renderStates_[D3DRENDERSTATE_DIFFUSEMATERIALSOURCE] = kMaterialSourceColor1;
        for (int stage = 0; stage < kStageCount; ++stage) {
            DWORD* s = stageStates_[stage];
            s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
            s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
            s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
            s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
            s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
            s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
            s[D3DTSS_ADDRESSU] = s[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
            s[D3DTSS_MAGFILTER] = D3DTFG_POINT;
            s[D3DTSS_MINFILTER] = D3DTFN_POINT;
            s[D3DTSS_MIPFILTER] = D3DTFP_NONE;
        }
        viewport_ = {0, 0, target_->description().dwWidth, target_->description().dwHeight, 0.0f, 1.0f};
    }

    ~Direct3DDevice() override {
        for (Surface*& texture : textures_) ReleaseHeld(texture);
        ReleaseHeld(target_);
    }

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) return DDERR_INVALIDPARAMS;
        *object = nullptr;
        if (IsEqualGUID(iid, IID_IDirect3DDevice7) || IsEqualGUID(iid, IID_IUnknown)) {
            AddRef();
            *object = static_cast<IDirect3DDevice7*>(this);
            return D3D_OK;
        }
        return E_NOINTERFACE;
    }

    HRESULT GetCaps(LPD3DDEVICEDESC7 description) override {
        if (!description) return DDERR_INVALIDPARAMS;
        *description = info_.caps;
        ApplyTextureCaps(*description);
        return D3D_OK;
    }

    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context) override {
        if (!callback) return DDERR_INVALIDPARAMS;
        for (DDPIXELFORMAT format : ReportedTextureFormats())
            if (callback(&format, context) == D3DENUMRET_CANCEL) break;
        return D3D_OK;
    }

    HRESULT BeginScene() override {
        if (inScene_) return D3DERR_SCENE_IN_SCENE;
        inScene_ = true;
        return D3D_OK;
    }

    HRESULT EndScene() override {
        if (!inScene_) return D3DERR_SCENE_NOT_IN_SCENE;
        inScene_ = false;
        return D3D_OK;
    }

    HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7* renderTarget) override {
        if (!renderTarget) return DDERR_INVALIDPARAMS;
        target_->AddRef();
        *renderTarget = target_;
        return D3D_OK;
    }

    HRESULT Clear(DWORD count, LPD3DRECT rects, DWORD flags, D3DCOLOR color, D3DVALUE z,
                  DWORD) override {
        if (count > 0 && !rects) return DDERR_INVALIDPARAMS;
        bool clearDepth = flags & D3DCLEAR_ZBUFFER;
        if ((clearDepth || (flags & D3DCLEAR_STENCIL)) && !target_->zBuffer())
            return DDERR_INVALIDPARAMS;
        std::vector<ClearRect> boxes;
        try {
            boxes.reserve(count);
        } catch (const std::bad_alloc&) {
            return DDERR_OUTOFMEMORY;
        }
        for (DWORD i = 0; i < count; ++i) boxes.push_back({rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2});
        DisplayRenderDevice().Clear(CurrentViewport(), boxes.data(), static_cast<int>(boxes.size()),
                              (flags & D3DCLEAR_TARGET) != 0, color, clearDepth, z);
        return D3D_OK;
    }

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, LPD3DMATRIX matrix) override {
        if (!matrix) return DDERR_INVALIDPARAMS;
        switch (state) {
            case D3DTRANSFORMSTATE_WORLD: Store(world_, *matrix, kTransformGroup); return D3D_OK;
            case D3DTRANSFORMSTATE_VIEW: Store(view_, *matrix, kTransformGroup | kLightGroup); return D3D_OK;
            case D3DTRANSFORMSTATE_PROJECTION:
                Store(projection_, *matrix, kTransformGroup | kRasterGroup);
                return D3D_OK;
            default:
                // Further world and texture matrices are kept by nobody: vertex
                // blending and texture transforms are not drawn.
                if ((state >= D3DTRANSFORMSTATE_WORLD1 && state <= D3DTRANSFORMSTATE_WORLD3) ||
                    (state >= D3DTRANSFORMSTATE_TEXTURE0 && state <= D3DTRANSFORMSTATE_TEXTURE7))
                    return D3D_OK;
                return DDERR_INVALIDPARAMS;
        }
    }

    HRESULT SetViewport(LPD3DVIEWPORT7 viewport) override {
        if (!viewport) return DDERR_INVALIDPARAMS;
        uint64_t right = static_cast<uint64_t>(viewport->dwX) + viewport->dwWidth;
        uint64_t bottom = static_cast<uint64_t>(viewport->dwY) + viewport->dwHeight;
        if (viewport->dwWidth == 0 || viewport->dwHeight == 0 ||
            right > target_->description().dwWidth || bottom > target_->description().dwHeight)
            return DDERR_INVALIDPARAMS;
        if (!(viewport->dvMinZ >= 0.0f && viewport->dvMaxZ <= 1.0f && viewport->dvMinZ <= viewport->dvMaxZ))
            return DDERR_INVALIDPARAMS;
        Store(viewport_, *viewport, kViewportGroup);
        return D3D_OK;
    }

    HRESULT SetMaterial(LPD3DMATERIAL7 material) override {
        if (!material) return DDERR_INVALIDPARAMS;
        Store(material_, *material, kMaterialGroup);
        return D3D_OK;
    }

    HRESULT SetLight(DWORD index, LPD3DLIGHT7 light) override {
        if (!light || index > kLargestLightIndex) return DDERR_INVALIDPARAMS;
        if (light->dltType < D3DLIGHT_POINT || light->dltType > D3DLIGHT_DIRECTIONAL)
            return DDERR_INVALIDPARAMS;
        if (!Grow(index)) return DDERR_OUTOFMEMORY;
        // A light set while disabled is translated when it is enabled.
        LightSlot& slot = lights_[index];
        Store(slot.light, *light, slot.enabled ? kLightGroup : 0u);
        return D3D_OK;
    }

    HRESULT LightEnable(DWORD index, BOOL enable) override {
        if (index > kLargestLightIndex) return DDERR_INVALIDPARAMS;
        if (!Grow(index)) return DDERR_OUTOFMEMORY;
        bool enabled = enable != FALSE;
        if (lights_[index].enabled != enabled) {
            lights_[index].enabled = enabled;
            enabledLights_ += enabled ? 1 : -1;
            dirty_ |= kLightGroup;
        }
        return D3D_OK;
    }

    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
        if (state <= 0 || state >= kRenderStateCount) return DDERR_INVALIDPARAMS;
        if (renderStates_[state] != value) {
            renderStates_[state] = value;
            dirty_ |= GroupOfRenderState(state);
        }
        return D3D_OK;
    }

    HRESULT PreLoad(LPDIRECTDRAWSURFACE7 texture) override {
        Surface* surface = dynamic_cast<Surface*>(texture);
        if (!surface || surface->kind() != SurfaceKind::Memory) return DDERR_INVALIDPARAMS;
        surface->UploadedTexture(DisplayRenderDevice());
        return D3D_OK;
    }

    HRESULT SetTexture(DWORD stage, LPDIRECTDRAWSURFACE7 texture) override {
        if (stage >= kStageCount) return DDERR_INVALIDPARAMS;
        Surface* surface = nullptr;
        if (texture) {
            surface = dynamic_cast<Surface*>(texture);
            if (!surface || surface->kind() != SurfaceKind::Memory) return DDERR_INVALIDPARAMS;
            surface->AddRef();
        }
        ReleaseHeld(textures_[stage]);
        textures_[stage] = surface;
        // The texture's handle is fetched at every draw (its pixels may have
        // changed), so the pointer alone is the state here.
        return D3D_OK;
    }

    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value) override {
        if (stage >= kStageCount || state <= 0 || state >= kStageStateCount) return DDERR_INVALIDPARAMS;
        stageStates_[stage][state] = value;
        if (state == D3DTSS_ADDRESS) stageStates_[stage][D3DTSS_ADDRESSU] = stageStates_[stage][D3DTSS_ADDRESSV] = value;
        // Only stage 0 is drawn.
        if (stage == 0) dirty_ |= kStageGroup;
        return D3D_OK;
    }

    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, LPVOID vertices,
                                 DWORD vertexCount, WORD* indices, DWORD indexCount,
                                 DWORD) override {
        Primitive primitive;
        if (!PrimitiveOf(type, primitive) || !vertices || !indices || vertexCount == 0 ||
            vertexCount > 65536 || indexCount == 0)
            return DDERR_INVALIDPARAMS;
        VertexLayout layout;
        if (!LayoutOf(vertexFormat, layout)) return D3DERR_INVALIDVERTEXFORMAT;
        // An index past the vertices would have the back end read beyond them.
        // The range the indices use is all the back end needs to send.
        WORD lowest = 0xFFFF, highest = 0;
        for (DWORD i = 0; i < indexCount; ++i) {
            WORD index = indices[i];
            if (index >= vertexCount) return DDERR_INVALIDPARAMS;
            lowest = std::min(lowest, index);
            highest = std::max(highest, index);
        }
        if (indexCount > static_cast<DWORD>(INT32_MAX)) return DDERR_INVALIDPARAMS;
        RenderDevice& device = DisplayRenderDevice();
        BuildState(device);
        device.Draw(state_, primitive, vertices, static_cast<int>(vertexCount), layout, indices,
                    static_cast<int>(indexCount), lowest, highest);
        return D3D_OK;
    }

private:
    struct LightSlot {
        D3DLIGHT7 light;
        bool enabled = false;
    };

    // Stores a state and notes the parts it feeds when its value changed.
    template <typename T>
    void Store(T& to, const T& from, uint32_t groups) {
        if (std::memcmp(&to, &from, sizeof to) == 0) return;
        to = from;
        dirty_ |= groups;
    }

    bool Grow(DWORD index) {
        if (index < lights_.size()) return true;
        try {
            LightSlot slot;
            // A light enabled before it was set shines white along +z.
            std::memset(&slot.light, 0, sizeof slot.light);
            slot.light.dltType = D3DLIGHT_DIRECTIONAL;
            slot.light.dcvDiffuse.r = slot.light.dcvDiffuse.g = slot.light.dcvDiffuse.b = 1.0f;
            slot.light.dvDirection.z = 1.0f;
            lights_.resize(static_cast<size_t>(index) + 1, slot);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    Viewport CurrentViewport() const {
        Viewport v;
        v.x = static_cast<int>(viewport_.dwX);
        v.y = static_cast<int>(viewport_.dwY);
        v.width = static_cast<int>(viewport_.dwWidth);
        v.height = static_cast<int>(viewport_.dwHeight);
        v.minZ = viewport_.dvMinZ;
        v.maxZ = viewport_.dvMaxZ;
        return v;
    }

    void BuildState(RenderDevice& device) {
        DrawState& s = state_;
        uint32_t dirty = dirty_;
        dirty_ = 0;
        if (dirty & kTransformGroup) {
            MultiplyMatrices(world_, view_, s.transform.worldView);
            std::memcpy(s.transform.projection, &projection_._11, sizeof s.transform.projection);
            NormalMatrix(s.transform.worldView, s.transform.normalMatrix);
        }
        if (dirty & kMaterialGroup) BuildMaterial(s.lighting);
        if (dirty & kLightGroup) BuildLights(s.lighting);
        if (dirty & kStageGroup) BuildStage(s);
        if (dirty & kRasterGroup) BuildRaster(s.raster);
        if (dirty & kViewportGroup) s.viewport = CurrentViewport();
        // Fetched every time: the surface sends its pixels again when they changed.
        s.texture = textures_[0] ? textures_[0]->UploadedTexture(device) : 0;
        // A z-buffer attached after the device was made counts from then on.
        s.raster.depthTest = renderStates_[D3DRENDERSTATE_ZENABLE] != D3DZB_FALSE && target_->zBuffer() != nullptr;
    }

    void BuildMaterial(MaterialState& l) const {
        l.enabled = renderStates_[D3DRENDERSTATE_LIGHTING] != FALSE;
        l.colorFromVertex = renderStates_[D3DRENDERSTATE_COLORVERTEX] != FALSE &&
                            renderStates_[D3DRENDERSTATE_DIFFUSEMATERIALSOURCE] == kMaterialSourceColor1;
        std::memcpy(l.materialDiffuse, &material_.diffuse, sizeof l.materialDiffuse);
        std::memcpy(l.materialAmbient, &material_.ambient, sizeof l.materialAmbient);
        std::memcpy(l.materialEmissive, &material_.emissive, sizeof l.materialEmissive);
        DWORD ambient = renderStates_[D3DRENDERSTATE_AMBIENT];
        l.ambient[0] = ((ambient >> 16) & 255) / 255.0f;
        l.ambient[1] = ((ambient >> 8) & 255) / 255.0f;
        l.ambient[2] = (ambient & 255) / 255.0f;
    }

    // The enabled lights by index, as many as the back end draws. Lights past
    // that are left out, and the first time that happens it is said once.
    void BuildLights(LightingState& l) {
        l.lightCount = 0;
        if (enabledLights_ > kMaxActiveLights && !toldLightLimit_) {
            std::fprintf(stderr,
                         "velmora: %d lights are enabled; only the first %d by index are drawn\n",
                         enabledLights_, kMaxActiveLights);
            toldLightLimit_ = true;
        }
        for (const LightSlot& slot : lights_) {
            if (l.lightCount == kMaxActiveLights) break;
            if (!slot.enabled) continue;
            const D3DLIGHT7& from = slot.light;
            LightState& to = l.lights[l.lightCount++];
            to.kind = static_cast<LightKind>(from.dltType);
            to.diffuse[0] = from.dcvDiffuse.r;
            to.diffuse[1] = from.dcvDiffuse.g;
            to.diffuse[2] = from.dcvDiffuse.b;
            to.ambient[0] = from.dcvAmbient.r;
            to.ambient[1] = from.dcvAmbient.g;
            to.ambient[2] = from.dcvAmbient.b;
            TransformPoint(from.dvPosition, view_, to.position);
            TransformDirection(from.dvDirection, view_, to.direction);
            to.range = from.dvRange;
            to.falloff = from.dvFalloff;
            to.attenuation[0] = from.dvAttenuation0;
            to.attenuation[1] = from.dvAttenuation1;
            to.attenuation[2] = from.dvAttenuation2;
            to.cosHalfTheta = static_cast<float>(std::cos(from.dvTheta / 2.0));
            to.cosHalfPhi = static_cast<float>(std::cos(from.dvPhi / 2.0));
        }
    }

    void BuildStage(DrawState& s) const {
        const DWORD* stage = stageStates_[0];
        s.stage.colorOp = static_cast<int32_t>(stage[D3DTSS_COLOROP]);
        s.stage.colorArg1 = static_cast<int32_t>(stage[D3DTSS_COLORARG1]);
        s.stage.colorArg2 = static_cast<int32_t>(stage[D3DTSS_COLORARG2]);
        s.stage.alphaOp = static_cast<int32_t>(stage[D3DTSS_ALPHAOP]);
        s.stage.alphaArg1 = static_cast<int32_t>(stage[D3DTSS_ALPHAARG1]);
        s.stage.alphaArg2 = static_cast<int32_t>(stage[D3DTSS_ALPHAARG2]);
        s.stage.textureFactor = renderStates_[D3DRENDERSTATE_TEXTUREFACTOR];
        s.sampler.linearMin = stage[D3DTSS_MINFILTER] == D3DTFN_LINEAR;
        s.sampler.linearMag = stage[D3DTSS_MAGFILTER] == D3DTFG_LINEAR;
        s.sampler.clampU = stage[D3DTSS_ADDRESSU] == D3DTADDRESS_CLAMP;
        s.sampler.clampV = stage[D3DTSS_ADDRESSV] == D3DTADDRESS_CLAMP;
    }

    void BuildRaster(RasterState& r) const {
        DWORD cull = renderStates_[D3DRENDERSTATE_CULLMODE];
        r.cull = cull == D3DCULL_CW ? CullMode::Clockwise
                                    : (cull == D3DCULL_CCW ? CullMode::CounterClockwise : CullMode::None);
        r.flatShading = renderStates_[D3DRENDERSTATE_SHADEMODE] == D3DSHADE_FLAT;
        r.blend = renderStates_[D3DRENDERSTATE_ALPHABLENDENABLE] != FALSE;
        DWORD source = renderStates_[D3DRENDERSTATE_SRCBLEND];
        DWORD destination = renderStates_[D3DRENDERSTATE_DESTBLEND];
        if (source == D3DBLEND_BOTHSRCALPHA) {
            source = D3DBLEND_SRCALPHA;
            destination = D3DBLEND_INVSRCALPHA;
        } else if (source == D3DBLEND_BOTHINVSRCALPHA) {
            source = D3DBLEND_INVSRCALPHA;
            destination = D3DBLEND_SRCALPHA;
        }
        r.sourceBlend = BlendOf(source);
        r.destinationBlend = BlendOf(destination);
        DWORD zEnable = renderStates_[D3DRENDERSTATE_ZENABLE];
        r.depthWrite = renderStates_[D3DRENDERSTATE_ZWRITEENABLE] != FALSE;
        r.depthFunction = CompareOf(renderStates_[D3DRENDERSTATE_ZFUNC]);
        r.wBuffer = false;
        r.wNear = 0.0f;
        r.wFar = 1.0f;
        if (zEnable == D3DZB_USEW && projection_._34 != 0.0f) {
            // Near and far planes read back from a perspective projection
            // (_33 = f / (f - n), _43 = -n f / (f - n), _34 = 1).
            double q = projection_._33;
            double nearPlane = -static_cast<double>(projection_._43) / q;
            double farPlane = q * nearPlane / (q - 1.0);
            if (std::isfinite(nearPlane) && std::isfinite(farPlane) && farPlane > nearPlane) {
                r.wBuffer = true;
                r.wNear = static_cast<float>(nearPlane);
                r.wFar = static_cast<float>(farPlane);
            }
        }
    }

    DeviceInfo info_;
    Surface* target_;
    D3DMATRIX world_, view_, projection_;
    DWORD renderStates_[kRenderStateCount];
    DWORD stageStates_[kStageCount][kStageStateCount];
    Surface* textures_[kStageCount] = {};
    D3DMATERIAL7 material_;
    std::vector<LightSlot> lights_;
    D3DVIEWPORT7 viewport_;
    bool inScene_ = false;
    int enabledLights_ = 0;
    bool toldLightLimit_ = false;
    uint32_t dirty_ = kAllGroups;
    DrawState state_;
};

}  // namespace

IDirect3DDevice7* CreateDirect3DDevice(const DeviceInfo& info, Surface* renderTarget) {
    return new (std::nothrow) Direct3DDevice(info, renderTarget);
}

}  // namespace velmora::platform::ddraw
