// IDirect3D7: the devices and z-buffer formats reported, and device creation
// on the back buffer.
#include <cstring>
#include <new>

#include "platform/ddraw/objects.h"

namespace velmora::platform::ddraw {

Direct3D::Direct3D(DirectDraw* owner) : owner_(owner) { owner_->AddRef(); }

Direct3D::~Direct3D() { ReleaseHeld(owner_); }

HRESULT Direct3D::QueryInterface(REFIID iid, void** object) {
    if (!object) return DDERR_INVALIDPARAMS;
    *object = nullptr;
    if (IsEqualGUID(iid, IID_IDirect3D7) || IsEqualGUID(iid, IID_IUnknown)) {
        AddRef();
        *object = static_cast<IDirect3D7*>(this);
        return D3D_OK;
    }
    return E_NOINTERFACE;
}

HRESULT Direct3D::EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, LPVOID context) {
    if (!callback) return DDERR_INVALIDPARAMS;
    for (const DeviceInfo& device : ReportedDevices()) {
        // The callback may write into what it is given; it gets copies.
        char description[128];
        char name[64];
        std::strncpy(description, device.description, sizeof description - 1);
        description[sizeof description - 1] = '\0';
        std::strncpy(name, device.name, sizeof name - 1);
        name[sizeof name - 1] = '\0';
        D3DDEVICEDESC7 caps = device.caps;
        if (callback(description, name, &caps, context) == D3DENUMRET_CANCEL) break;
    }
    return D3D_OK;
}

HRESULT Direct3D::CreateDevice(REFCLSID deviceGuid, LPDIRECTDRAWSURFACE7 renderTarget,
                               LPDIRECT3DDEVICE7* device) {
    if (!device) return DDERR_INVALIDPARAMS;
    *device = nullptr;
    const DeviceInfo* info = FindDevice(deviceGuid);
    Surface* target = dynamic_cast<Surface*>(renderTarget);
    if (!info || !target) return DDERR_INVALIDPARAMS;
    // Every device draws into the display's back buffer, the one render target there is.
    if (target->kind() != SurfaceKind::BackBuffer ||
        !(target->description().ddsCaps.dwCaps & DDSCAPS_3DDEVICE))
        return DDERR_INVALIDCAPS;
    IDirect3DDevice7* made = CreateDirect3DDevice(*info, target);
    if (!made) return DDERR_OUTOFMEMORY;
    *device = made;
    return D3D_OK;
}

HRESULT Direct3D::EnumZBufferFormats(REFCLSID deviceGuid, LPD3DENUMPIXELFORMATSCALLBACK callback,
                                     LPVOID context) {
    if (!callback || !FindDevice(deviceGuid)) return DDERR_INVALIDPARAMS;
    for (DDPIXELFORMAT format : ReportedZBufferFormats())
        if (callback(&format, context) == D3DENUMRET_CANCEL) break;
    return D3D_OK;
}

}  // namespace velmora::platform::ddraw
