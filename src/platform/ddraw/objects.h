// The stand-in's objects behind the DirectDraw 7 and Direct3D 7 interfaces,
// and the one display they share. Internal to src/platform/ddraw.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend/render_device.h"
#include "platform/capture/frame_capture.h"
#include "platform/ddraw/d3d.h"
#include "platform/ddraw/display_objects.h"

namespace velmora::platform::ddraw {

// Bookkeeping shared by every object: the live set, so that the objects the
// program never releases can be destroyed at exit.
class ObjectRecord {
public:
    ObjectRecord();
    virtual ~ObjectRecord();
    ObjectRecord(const ObjectRecord&) = delete;
    ObjectRecord& operator=(const ObjectRecord&) = delete;
};

// True while ReleaseDisplayObjects destroys everything at once: destructors
// then leave the references they hold alone.
bool TearingDown();
bool IsLiveObject(const ObjectRecord* record);

template <typename Interface>
class ComObject : public Interface, public ObjectRecord {
public:
    DWORD AddRef() override { return ++references_; }
    DWORD Release() override {
        DWORD left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    DWORD references_ = 1;
};

// Releases an interface pointer held as a member unless everything is being torn down.
template <typename T>
void ReleaseHeld(T*& pointer) {
    if (pointer && !TearingDown()) pointer->Release();
    pointer = nullptr;
}

class DirectDraw;
class Surface;

// The display: the chosen mode, the window's presentation and the drawing
// back end, opened when the primary surface is made.
struct Display {
    DWORD width = 0;
    DWORD height = 0;
    DWORD bits = 0;
    bool modeSet = false;
    bool exclusive = false;
    std::unique_ptr<RenderDevice> device;
    Surface* primary = nullptr;  // not a reference: the primary clears it when it goes
    FrameCapture capture{CurrentDisplayOptions().capture};
    double readBackSeconds = 0.0;  // spent reading captured frames back
};
Display& TheDisplay();
// The drawing back end, opened on first use.
RenderDevice& DisplayRenderDevice();
// The display modes reported, ascending by size, each at 16 and 32 bits; the
// platform settings' extra mode among them.
struct DisplayMode {
    DWORD width, height, bits;
};
std::vector<DisplayMode> ReportedModes();
// Presents the back buffer: capture, show, then the refresh it waits for.
void PresentBackBuffer();
// One refresh of the display passes: the one place where the frame clock
// moves on a frame, for a flip and for a wait for the vertical blank alike.
void RefreshPassed();

enum class SurfaceKind { Primary, BackBuffer, ZBuffer, Memory };

class Surface : public ComObject<IDirectDrawSurface7> {
public:
    Surface(DirectDraw* owner, SurfaceKind kind, const DDSURFACEDESC2& description);
    ~Surface() override;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT Flip(LPDIRECTDRAWSURFACE7 targetOverride, DWORD flags) override;
    HRESULT AddAttachedSurface(LPDIRECTDRAWSURFACE7 surface) override;
    HRESULT Blt(RECT* destinationRect, LPDIRECTDRAWSURFACE7 source, RECT* sourceRect, DWORD flags,
                DDBLTFX* effects) override;
    HRESULT GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* surface) override;
    HRESULT GetDC(HDC* dc) override;
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 description) override;
    HRESULT Lock(RECT* rect, LPDDSURFACEDESC2 description, DWORD flags, HANDLE event) override;
    HRESULT ReleaseDC(HDC dc) override;
    HRESULT Unlock(RECT* rect) override;
    HRESULT GetDDInterface(LPVOID* directDraw) override;

    SurfaceKind kind() const { return kind_; }
    const DDSURFACEDESC2& description() const { return description_; }
    int width() const { return static_cast<int>(description_.dwWidth); }
    int height() const { return static_cast<int>(description_.dwHeight); }
    bool isTexture() const { return (description_.ddsCaps.dwCaps & DDSCAPS_TEXTURE) != 0; }
    bool busy() const { return locked_ || dcOut_; }
    Surface* zBuffer() const { return zBuffer_; }
    void SetBackBuffer(Surface* backBuffer) { backBuffer_ = backBuffer; }
    // The back end's texture for this surface, its pixels sent when they
    // changed. A texture surface whose back end keeps its own copy gives up
    // its memory once sent, as a managed texture's system copy goes, and
    // reads it back when it is needed again.
    TextureHandle UploadedTexture(RenderDevice& device);
    // The bytes of memory the surface holds its pixels in now.
    size_t MemoryBytes() const { return memory_.capacity(); }
    // Makes the pixels of a device context materialise (for the text drawer).
    bool DcPixels(void** bits, LONG* pitch);

private:
    DWORD BytesPerPixel() const { return description_.ddpfPixelFormat.dwRGBBitCount / 8; }
    bool HasMemory() const { return kind_ == SurfaceKind::Memory || kind_ == SurfaceKind::BackBuffer; }
    // The back buffer's pixels copied into memory_ in this surface's format, and back.
    void FetchRenderTarget();
    void StoreRenderTarget();
    // Every pixel as 0xAARRGGBB, top row first.
    std::vector<uint32_t> ArgbPixels();
    void WriteArgbPixels(const std::vector<uint32_t>& pixels);
    // The pixels back in memory_ from the back end, when only it holds them.
    void RecoverPixels();
    // Stretches the rectangle within of a memory surface onto the rectangle to
    // of this one, pixel by pixel, converting between the formats.
    void StretchFrom(Surface& from, const RECT& within, const RECT& to);

    DirectDraw* owner_;
    SurfaceKind kind_;
    DDSURFACEDESC2 description_;
    std::vector<uint8_t> memory_;
    Surface* backBuffer_ = nullptr;  // held by a primary surface
    Surface* zBuffer_ = nullptr;     // held by a back buffer
    bool locked_ = false;
    bool lockWrites_ = false;
    bool dcOut_ = false;
    bool dcFetched_ = false;
    TextureHandle texture_ = 0;
    bool textureStale_ = true;
    bool pixelsOnlyInTexture_ = false;  // memory_ given up, the back end holds them
    TexelLayout sentLayout_ = TexelLayout::Argb8888;
    bool sentAsIs_ = false;  // memory_ went up in its own layout, not as 0xAARRGGBB words
};

class DirectDraw : public ComObject<IDirectDraw7> {
public:
    DirectDraw();
    ~DirectDraw() override;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT CreateSurface(LPDDSURFACEDESC2 description, LPDIRECTDRAWSURFACE7* surface,
                          IUnknown* outer) override;
    HRESULT EnumDisplayModes(DWORD flags, LPDDSURFACEDESC2 filter, LPVOID context,
                             LPDDENUMMODESCALLBACK2 callback) override;
    HRESULT GetCaps(LPDDCAPS driverCaps, LPDDCAPS helCaps) override;
    HRESULT GetDisplayMode(LPDDSURFACEDESC2 description) override;
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate,
                           DWORD flags) override;
    HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) override;
};

class Direct3D : public ComObject<IDirect3D7> {
public:
    explicit Direct3D(DirectDraw* owner);
    ~Direct3D() override;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, LPVOID context) override;
    HRESULT CreateDevice(REFCLSID deviceGuid, LPDIRECTDRAWSURFACE7 renderTarget,
                         LPDIRECT3DDEVICE7* device) override;
    HRESULT EnumZBufferFormats(REFCLSID deviceGuid, LPD3DENUMPIXELFORMATSCALLBACK callback,
                               LPVOID context) override;

private:
    DirectDraw* owner_;
};

// The three devices reported, in order, and their descriptions.
struct DeviceInfo {
    const char* description;
    const char* name;
    D3DDEVICEDESC7 caps;
};
const std::vector<DeviceInfo>& ReportedDevices();
const DeviceInfo* FindDevice(const GUID& deviceGuid);
// The z-buffer formats reported, in order.
std::vector<DDPIXELFORMAT> ReportedZBufferFormats();
// The texture formats reported, in order.
std::vector<DDPIXELFORMAT> ReportedTextureFormats();
// Puts the texture rules a test has set into a device description.
void ApplyTextureCaps(D3DDEVICEDESC7& caps);

// Creates the Direct3D device object on the back buffer.
IDirect3DDevice7* CreateDirect3DDevice(const DeviceInfo& info, Surface* renderTarget);

}  // namespace velmora::platform::ddraw
