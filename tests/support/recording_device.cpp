#include "support/recording_device.h"

#include <cstdarg>
#include <cstdio>

namespace velmora::testing {

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char line[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    return line;
}

double D(float value) { return static_cast<double>(value); }

std::string FormatVector(const D3DVECTOR& v) {
    return Format("%.9g %.9g %.9g", D(v.x), D(v.y), D(v.z));
}

}  // namespace

std::string FormatMatrix(const D3DMATRIX& m) {
    return Format("%.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g",
                  D(m._11), D(m._12), D(m._13), D(m._14), D(m._21), D(m._22), D(m._23), D(m._24),
                  D(m._31), D(m._32), D(m._33), D(m._34), D(m._41), D(m._42), D(m._43), D(m._44));
}

std::string FormatColour(const D3DCOLORVALUE& c) {
    return Format("%.9g %.9g %.9g %.9g", D(c.r), D(c.g), D(c.b), D(c.a));
}

void RecordingDevice::Record(const char* format, ...) {
    char line[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    calls.push_back(line);
}

std::vector<std::string> RecordingDevice::CallsOf(const std::string& method) const {
    std::vector<std::string> found;
    for (const std::string& call : calls)
        if (call == method || call.rfind(method + " ", 0) == 0) found.push_back(call);
    return found;
}

HRESULT RecordingDevice::QueryInterface(REFIID, void** object) {
    Record("QueryInterface");
    if (object) *object = nullptr;
    return E_NOINTERFACE;
}

DWORD RecordingDevice::AddRef() {
    Record("AddRef");
    return ++references;
}

DWORD RecordingDevice::Release() {
    Record("Release");
    return references > 0 ? --references : 0;
}

HRESULT RecordingDevice::GetCaps(LPD3DDEVICEDESC7 description) {
    Record("GetCaps");
    if (description) *description = caps;
    return result;
}

HRESULT RecordingDevice::EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback,
                                            LPVOID context) {
    Record("EnumTextureFormats");
    for (DDPIXELFORMAT format : textureFormats)
        if (callback(&format, context) == DDENUMRET_CANCEL) break;
    return result;
}

HRESULT RecordingDevice::BeginScene() {
    Record("BeginScene");
    return beginSceneResult;
}

HRESULT RecordingDevice::EndScene() {
    Record("EndScene");
    return result;
}

HRESULT RecordingDevice::GetRenderTarget(LPDIRECTDRAWSURFACE7* target) {
    Record("GetRenderTarget");
    if (target) *target = renderTarget;
    return result;
}

HRESULT RecordingDevice::Clear(DWORD count, LPD3DRECT rects, DWORD flags, D3DCOLOR color,
                               D3DVALUE z, DWORD stencil) {
    Record("Clear %u %s %u 0x%08X %.9g %u", count, rects ? "rects" : "null", flags, color, D(z),
           stencil);
    return result;
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE state, LPD3DMATRIX matrix) {
    Record("SetTransform %d %s", static_cast<int>(state), matrix ? FormatMatrix(*matrix).c_str() : "null");
    if (matrix) {
        if (state == D3DTRANSFORMSTATE_WORLD) world = *matrix;
        if (state == D3DTRANSFORMSTATE_VIEW) view = *matrix;
        if (state == D3DTRANSFORMSTATE_PROJECTION) projection = *matrix;
    }
    return result;
}

HRESULT RecordingDevice::SetViewport(LPD3DVIEWPORT7 v) {
    if (v)
        Record("SetViewport %u %u %u %u %.9g %.9g", v->dwX, v->dwY, v->dwWidth, v->dwHeight,
               D(v->dvMinZ), D(v->dvMaxZ));
    else
        Record("SetViewport null");
    return result;
}

HRESULT RecordingDevice::SetMaterial(LPD3DMATERIAL7 m) {
    if (!m) {
        Record("SetMaterial null");
        return result;
    }
    material = *m;
    Record("SetMaterial %s | %s | %s | %s | %.9g", FormatColour(m->diffuse).c_str(),
           FormatColour(m->ambient).c_str(), FormatColour(m->specular).c_str(),
           FormatColour(m->emissive).c_str(), D(m->power));
    return result;
}

HRESULT RecordingDevice::SetLight(DWORD index, LPD3DLIGHT7 l) {
    if (!l) {
        Record("SetLight %u null", index);
        return result;
    }
    if (lights.size() <= index) lights.resize(index + 1);
    lights[index] = *l;
    Record("SetLight %u type %d diffuse %s specular %s ambient %s position %s direction %s "
           "range %.9g falloff %.9g attenuation %.9g %.9g %.9g theta %.9g phi %.9g",
           index, static_cast<int>(l->dltType), FormatColour(l->dcvDiffuse).c_str(),
           FormatColour(l->dcvSpecular).c_str(), FormatColour(l->dcvAmbient).c_str(),
           FormatVector(l->dvPosition).c_str(), FormatVector(l->dvDirection).c_str(),
           D(l->dvRange), D(l->dvFalloff), D(l->dvAttenuation0), D(l->dvAttenuation1),
           D(l->dvAttenuation2), D(l->dvTheta), D(l->dvPhi));
    return result;
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    Record("SetRenderState %d %u", static_cast<int>(state), value);
    return result;
}

HRESULT RecordingDevice::PreLoad(LPDIRECTDRAWSURFACE7 texture) {
    Record("PreLoad %p", static_cast<void*>(texture));
    return result;
}

HRESULT RecordingDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat,
                                              LPVOID vertices, DWORD vertexCount, WORD* indices,
                                              DWORD indexCount, DWORD flags) {
    Record("DrawIndexedPrimitive %d 0x%X %p %u %p %u %u", static_cast<int>(type), vertexFormat,
           vertices, vertexCount, static_cast<void*>(indices), indexCount, flags);
    return result;
}

HRESULT RecordingDevice::SetTexture(DWORD stage, LPDIRECTDRAWSURFACE7 texture) {
    Record("SetTexture %u %p", stage, static_cast<void*>(texture));
    return result;
}

HRESULT RecordingDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state,
                                              DWORD value) {
    Record("SetTextureStageState %u %d %u", stage, static_cast<int>(state), value);
    return result;
}

HRESULT RecordingDevice::LightEnable(DWORD index, BOOL enable) {
    Record("LightEnable %u %d", index, enable);
    return result;
}

}  // namespace velmora::testing
