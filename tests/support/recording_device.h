// A Direct3D device that does nothing but record every call with its
// arguments, for tests of the code that drives the device.
#pragma once

#include <string>
#include <vector>

#include "platform/ddraw/d3d.h"

namespace velmora::testing {

class RecordingDevice : public IDirect3DDevice7 {
public:
    // One line per call: the method name and its arguments, numbers printed
    // exactly ("%.9g" for floats), matrices as their 16 elements in order.
    std::vector<std::string> calls;

    // What the last calls handed over, for exact comparisons.
    D3DMATRIX world{}, view{}, projection{};
    D3DMATERIAL7 material{};
    std::vector<D3DLIGHT7> lights;  // by light index, grown as needed

    // Returned by every method unless set otherwise below.
    HRESULT result = S_OK;
    HRESULT beginSceneResult = S_OK;
    D3DDEVICEDESC7 caps{};
    std::vector<DDPIXELFORMAT> textureFormats;  // reported in this order
    LPDIRECTDRAWSURFACE7 renderTarget = nullptr;

    // The calls whose line starts with the given method name.
    std::vector<std::string> CallsOf(const std::string& method) const;

    HRESULT QueryInterface(REFIID, void** object) override;
    DWORD AddRef() override;
    DWORD Release() override;
    HRESULT GetCaps(LPD3DDEVICEDESC7 description) override;
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7* target) override;
    HRESULT Clear(DWORD count, LPD3DRECT rects, DWORD flags, D3DCOLOR color, D3DVALUE z,
                  DWORD stencil) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, LPD3DMATRIX matrix) override;
    HRESULT SetViewport(LPD3DVIEWPORT7 viewport) override;
    HRESULT SetMaterial(LPD3DMATERIAL7 material) override;
    HRESULT SetLight(DWORD index, LPD3DLIGHT7 light) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT PreLoad(LPDIRECTDRAWSURFACE7 texture) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, LPVOID vertices,
                                 DWORD vertexCount, WORD* indices, DWORD indexCount,
                                 DWORD flags) override;
    HRESULT SetTexture(DWORD stage, LPDIRECTDRAWSURFACE7 texture) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state,
                                 DWORD value) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;

private:
    void Record(const char* format, ...) __attribute__((format(printf, 2, 3)));
    DWORD references = 1;
};

// "%.9g" of each element, space-separated.
std::string FormatMatrix(const D3DMATRIX& matrix);
std::string FormatColour(const D3DCOLORVALUE& colour);

}  // namespace velmora::testing
