// IDirectDrawSurface7: the flipping primary with its back buffer (which lives
// in the drawing back end), the z-buffer, and surfaces in memory (textures and
// plain off-screen surfaces).
#include <algorithm>
#include <cstring>

#include "platform/backend/lent_pixels.h"
#include "platform/ddraw/objects.h"
#include "platform/ddraw/pixel_format.h"

namespace velmora::platform::ddraw {

namespace {

bool DescriptionSizeOk(const DDSURFACEDESC2* description) {
    return description &&
           (description->dwSize == kSurfaceDescSize || description->dwSize == sizeof(DDSURFACEDESC2));
}

// The rectangle, or the whole surface for none; false when it does not lie within.
bool ResolveRect(const RECT* rect, int width, int height, RECT& out) {
    if (!rect) {
        out = {0, 0, width, height};
        return true;
    }
    out = *rect;
    return out.left >= 0 && out.top >= 0 && out.right <= width && out.bottom <= height &&
           out.left < out.right && out.top < out.bottom;
}

}  // namespace

Surface::Surface(DirectDraw* owner, SurfaceKind kind, const DDSURFACEDESC2& description)
    : owner_(owner), kind_(kind), description_(description) {
    if (kind_ == SurfaceKind::Memory || kind_ == SurfaceKind::BackBuffer) {
        DWORD pitch = (description_.dwWidth * BytesPerPixel() + 3) & ~3u;
        description_.lPitch = static_cast<LONG>(pitch);
        description_.dwFlags |= DDSD_PITCH;
        if (kind_ == SurfaceKind::Memory)
            memory_.assign(static_cast<size_t>(pitch) * description_.dwHeight, 0);
    }
    owner_->AddRef();
}

Surface::~Surface() {
    if (TearingDown()) return;
    ReleaseHeld(backBuffer_);
    ReleaseHeld(zBuffer_);
    Display& display = TheDisplay();
    if (texture_ && display.device) display.device->DeleteTexture(texture_);
    if (display.primary == this) display.primary = nullptr;
    owner_->Release();
}

HRESULT Surface::QueryInterface(REFIID iid, void** object) {
    if (!object) return DDERR_INVALIDPARAMS;
    *object = nullptr;
    if (IsEqualGUID(iid, IID_IDirectDrawSurface7) || IsEqualGUID(iid, IID_IUnknown)) {
        AddRef();
        *object = static_cast<IDirectDrawSurface7*>(this);
        return DD_OK;
    }
    return E_NOINTERFACE;
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE7 targetOverride, DWORD) {
    if (kind_ != SurfaceKind::Primary || !backBuffer_) return DDERR_NOTFLIPPABLE;
    if (targetOverride && targetOverride != backBuffer_) return DDERR_INVALIDPARAMS;
    if (backBuffer_->busy()) return DDERR_SURFACEBUSY;
    PresentBackBuffer();
    return DD_OK;
}

HRESULT Surface::AddAttachedSurface(LPDIRECTDRAWSURFACE7 surface) {
    Surface* attached = dynamic_cast<Surface*>(surface);
    if (!attached || attached == this) return DDERR_INVALIDPARAMS;
    if (attached->kind_ != SurfaceKind::ZBuffer ||
        !(kind_ == SurfaceKind::BackBuffer || kind_ == SurfaceKind::Memory))
        return DDERR_CANNOTATTACHSURFACE;
    if (zBuffer_) return DDERR_SURFACEALREADYATTACHED;
    if (attached->width() < width() || attached->height() < height()) return DDERR_CANNOTATTACHSURFACE;
    attached->AddRef();
    zBuffer_ = attached;
    return DD_OK;
}

HRESULT Surface::GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* surface) {
    if (!caps || !surface) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    for (Surface* candidate : {backBuffer_, zBuffer_}) {
        if (!candidate) continue;
        const DDSCAPS2& have = candidate->description_.ddsCaps;
        if ((have.dwCaps & caps->dwCaps) == caps->dwCaps && (have.dwCaps2 & caps->dwCaps2) == caps->dwCaps2) {
            candidate->AddRef();
            *surface = candidate;
            return DD_OK;
        }
    }
    return DDERR_NOTFOUND;
}

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC2 description) {
    if (!DescriptionSizeOk(description)) return DDERR_INVALIDPARAMS;
    DWORD size = description->dwSize;
    *description = description_;
    description->dwSize = size;
    description->lpSurface = nullptr;
    return DD_OK;
}

HRESULT Surface::GetDDInterface(LPVOID* directDraw) {
    if (!directDraw) return DDERR_INVALIDPARAMS;
    owner_->AddRef();
    *directDraw = static_cast<IDirectDraw7*>(owner_);
    return DD_OK;
}

void Surface::FetchRenderTarget() {
    if (kind_ != SurfaceKind::BackBuffer) return;
    std::vector<uint32_t> pixels(static_cast<size_t>(width()) * height());
    DisplayRenderDevice().ReadBackBuffer(pixels.data());
    memory_.resize(static_cast<size_t>(description_.lPitch) * height());
    for (int y = 0; y < height(); ++y) {
        uint8_t* row = memory_.data() + static_cast<size_t>(description_.lPitch) * y;
        for (int x = 0; x < width(); ++x)
            FromArgb(pixels[static_cast<size_t>(y) * width() + x], row + x * BytesPerPixel(),
                     description_.ddpfPixelFormat);
    }
}

void Surface::StoreRenderTarget() {
    if (kind_ != SurfaceKind::BackBuffer || memory_.empty()) return;
    DisplayRenderDevice().WriteBackBuffer(ArgbPixels().data());
}

std::vector<uint32_t> Surface::ArgbPixels() {
    std::vector<uint32_t> pixels(static_cast<size_t>(width()) * height());
    for (int y = 0; y < height(); ++y) {
        const uint8_t* row = memory_.data() + static_cast<size_t>(description_.lPitch) * y;
        for (int x = 0; x < width(); ++x)
            pixels[static_cast<size_t>(y) * width() + x] =
                ToArgb(row + x * BytesPerPixel(), description_.ddpfPixelFormat);
    }
    return pixels;
}

void Surface::WriteArgbPixels(const std::vector<uint32_t>& pixels) {
    for (int y = 0; y < height(); ++y) {
        uint8_t* row = memory_.data() + static_cast<size_t>(description_.lPitch) * y;
        for (int x = 0; x < width(); ++x)
            FromArgb(pixels[static_cast<size_t>(y) * width() + x], row + x * BytesPerPixel(),
                     description_.ddpfPixelFormat);
    }
}

HRESULT Surface::Lock(RECT* rect, LPDDSURFACEDESC2 description, DWORD flags, HANDLE) {
    if (!DescriptionSizeOk(description)) return DDERR_INVALIDPARAMS;
    if (!HasMemory()) return DDERR_UNSUPPORTED;
    if (busy()) return DDERR_SURFACEBUSY;
    RECT area;
    if (!ResolveRect(rect, width(), height(), area)) return DDERR_INVALIDRECT;
    FetchRenderTarget();
    RecoverPixels();
    DWORD size = description->dwSize;
    *description = description_;
    description->dwSize = size;
    description->dwFlags |= DDSD_LPSURFACE | DDSD_PITCH;
    description->lpSurface = memory_.data() + static_cast<size_t>(description_.lPitch) * area.top +
                             static_cast<size_t>(area.left) * BytesPerPixel();
    locked_ = true;
    lockWrites_ = !(flags & DDLOCK_READONLY);
    return DD_OK;
}

HRESULT Surface::Unlock(RECT*) {
    if (!locked_) return DDERR_NOTLOCKED;
    locked_ = false;
    if (lockWrites_) {
        StoreRenderTarget();
        textureStale_ = true;
    }
    return DD_OK;
}

HRESULT Surface::Blt(RECT* destinationRect, LPDIRECTDRAWSURFACE7 source, RECT* sourceRect,
                     DWORD flags, DDBLTFX* effects) {
    if (!HasMemory()) return DDERR_UNSUPPORTED;
    if (busy()) return DDERR_SURFACEBUSY;
    RECT to;
    if (!ResolveRect(destinationRect, width(), height(), to)) return DDERR_INVALIDRECT;
    if (flags & DDBLT_COLORFILL) {
        if (!effects) return DDERR_INVALIDPARAMS;
        uint8_t raw[4];
        std::memcpy(raw, &effects->dwFillColor, 4);
        uint32_t argb = ToArgb(raw, description_.ddpfPixelFormat);
        if (kind_ == SurfaceKind::BackBuffer) {
            Viewport whole;
            whole.width = width();
            whole.height = height();
            ClearRect box{to.left, to.top, to.right, to.bottom};
            DisplayRenderDevice().Clear(whole, &box, 1, true, argb, false, 1.0f);
            return DD_OK;
        }
        RecoverPixels();
        for (LONG y = to.top; y < to.bottom; ++y)
            for (LONG x = to.left; x < to.right; ++x)
                FromArgb(argb, memory_.data() + static_cast<size_t>(description_.lPitch) * y + x * BytesPerPixel(),
                         description_.ddpfPixelFormat);
        textureStale_ = true;
        return DD_OK;
    }
    Surface* from = dynamic_cast<Surface*>(source);
    if (!from) return DDERR_INVALIDPARAMS;
    if (!from->HasMemory()) return DDERR_UNSUPPORTED;
    if (from != this && from->busy()) return DDERR_SURFACEBUSY;
    RECT within;
    if (!ResolveRect(sourceRect, from->width(), from->height(), within)) return DDERR_INVALIDRECT;
    if (from != this && from->kind_ == SurfaceKind::Memory && kind_ == SurfaceKind::Memory) {
        // Between two surfaces in memory: straight from one to the other,
        // without a copy of either.
        StretchFrom(*from, within, to);
        textureStale_ = true;
        return DD_OK;
    }
    from->RecoverPixels();
    RecoverPixels();
    from->FetchRenderTarget();
    std::vector<uint32_t> sourcePixels = from->ArgbPixels();
    FetchRenderTarget();
    std::vector<uint32_t> pixels = ArgbPixels();
    // Nearest-neighbour stretch of the source rectangle onto the destination one.
    long toWidth = to.right - to.left, toHeight = to.bottom - to.top;
    long fromWidth = within.right - within.left, fromHeight = within.bottom - within.top;
    for (long y = 0; y < toHeight; ++y) {
        long sy = within.top + (y * fromHeight) / toHeight;
        for (long x = 0; x < toWidth; ++x) {
            long sx = within.left + (x * fromWidth) / toWidth;
            pixels[static_cast<size_t>(to.top + y) * width() + to.left + x] =
                sourcePixels[static_cast<size_t>(sy) * from->width() + sx];
        }
    }
    WriteArgbPixels(pixels);
    StoreRenderTarget();
    textureStale_ = true;
    return DD_OK;
}

namespace {

// A lent handle as GDI text sees it: the pixels of the live surface it stands
// for while it is out, by channel masks. Any other handle has none.
bool LentSurfacePixels(const void* handle, LentPixels& lent) {
    if (!handle) return false;
    auto* record = reinterpret_cast<ObjectRecord*>(const_cast<void*>(handle));
    if (!IsLiveObject(record)) return false;
    auto* surface = dynamic_cast<Surface*>(record);
    if (!surface) return false;
    void* bits = nullptr;
    LONG pitch = 0;
    if (!surface->DcPixels(&bits, &pitch)) return false;
    const DDPIXELFORMAT& format = surface->description().ddpfPixelFormat;
    lent.bits = bits;
    lent.pitch = pitch;
    lent.width = surface->description().dwWidth;
    lent.height = surface->description().dwHeight;
    lent.masks.bits = format.dwRGBBitCount;
    lent.masks.red = format.dwRBitMask;
    lent.masks.green = format.dwGBitMask;
    lent.masks.blue = format.dwBBitMask;
    lent.masks.alpha = (format.dwFlags & DDPF_ALPHAPIXELS) ? format.dwRGBAlphaBitMask : 0;
    return true;
}

}  // namespace

HRESULT Surface::GetDC(HDC* dc) {
    if (!dc) return DDERR_INVALIDPARAMS;
    *dc = nullptr;
    if (!HasMemory()) return DDERR_UNSUPPORTED;
    if (dcOut_) return DDERR_DCALREADYCREATED;
    if (locked_) return DDERR_SURFACEBUSY;
    // The pixels are fetched only if something draws through the context.
    LendPixels(&LentSurfacePixels);
    dcOut_ = true;
    dcFetched_ = false;
    *dc = reinterpret_cast<HDC>(static_cast<ObjectRecord*>(this));
    return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC dc) {
    if (!dcOut_ || dc != reinterpret_cast<HDC>(static_cast<ObjectRecord*>(this)))
        return DDERR_INVALIDPARAMS;
    dcOut_ = false;
    if (dcFetched_) {
        StoreRenderTarget();
        textureStale_ = true;
    }
    dcFetched_ = false;
    return DD_OK;
}

bool Surface::DcPixels(void** bits, LONG* pitch) {
    if (!dcOut_) return false;
    if (!dcFetched_) {
        FetchRenderTarget();
        RecoverPixels();
        dcFetched_ = true;
    }
    *bits = memory_.data();
    *pitch = description_.lPitch;
    return true;
}

void Surface::StretchFrom(Surface& from, const RECT& within, const RECT& to) {
    from.RecoverPixels();
    // What the blit covers whole need not be read back first.
    if (pixelsOnlyInTexture_ && to.left == 0 && to.top == 0 && to.right == width() && to.bottom == height()) {
        memory_.assign(static_cast<size_t>(description_.lPitch) * description_.dwHeight, 0);
        pixelsOnlyInTexture_ = false;
    }
    RecoverPixels();
    const DDPIXELFORMAT& mine = description_.ddpfPixelFormat;
    const DDPIXELFORMAT& theirs = from.description_.ddpfPixelFormat;
    bool sameFormat = mine.dwRGBBitCount == theirs.dwRGBBitCount && mine.dwRBitMask == theirs.dwRBitMask &&
                      mine.dwGBitMask == theirs.dwGBitMask && mine.dwBBitMask == theirs.dwBBitMask &&
                      mine.dwRGBAlphaBitMask == theirs.dwRGBAlphaBitMask;
    DWORD bytes = BytesPerPixel(), fromBytes = from.BytesPerPixel();
    // Nearest-neighbour stretch of the source rectangle onto the destination one.
    long toWidth = to.right - to.left, toHeight = to.bottom - to.top;
    long fromWidth = within.right - within.left, fromHeight = within.bottom - within.top;
    for (long y = 0; y < toHeight; ++y) {
        long sy = within.top + (y * fromHeight) / toHeight;
        const uint8_t* source = from.memory_.data() + static_cast<size_t>(from.description_.lPitch) * sy;
        uint8_t* row = memory_.data() + static_cast<size_t>(description_.lPitch) * (to.top + y);
        if (sameFormat && toWidth == fromWidth) {
            std::memcpy(row + static_cast<size_t>(to.left) * bytes, source + static_cast<size_t>(within.left) * bytes,
                        static_cast<size_t>(toWidth) * bytes);
            continue;
        }
        for (long x = 0; x < toWidth; ++x) {
            long sx = within.left + (x * fromWidth) / toWidth;
            const uint8_t* pixel = source + static_cast<size_t>(sx) * fromBytes;
            uint8_t* out = row + static_cast<size_t>(to.left + x) * bytes;
            if (sameFormat)
                std::memcpy(out, pixel, bytes);
            else
                FromArgb(ToArgb(pixel, theirs), out, mine);
        }
    }
}

void Surface::RecoverPixels() {
    if (!pixelsOnlyInTexture_) return;
    pixelsOnlyInTexture_ = false;
    memory_.assign(static_cast<size_t>(description_.lPitch) * description_.dwHeight, 0);
    Display& display = TheDisplay();
    if (!display.device || !texture_) return;
    if (sentAsIs_) {
        display.device->ReadTexture(texture_, memory_.data(), description_.lPitch, width(), height(), sentLayout_);
        return;
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(width()) * height());
    if (display.device->ReadTexture(texture_, pixels.data(), width() * 4, width(), height(), TexelLayout::Argb8888))
        WriteArgbPixels(pixels);
}

TextureHandle Surface::UploadedTexture(RenderDevice& device) {
    if (!HasMemory() || kind_ == SurfaceKind::BackBuffer) return 0;
    if (!texture_) {
        texture_ = device.CreateTexture();
        textureStale_ = true;
    }
    if (textureStale_) {
        sentAsIs_ = TexelLayoutOf(description_.ddpfPixelFormat, &sentLayout_);
        if (sentAsIs_) {
            device.UploadTexture(texture_, memory_.data(), description_.lPitch, width(), height(), sentLayout_);
        } else {
            sentLayout_ = TexelLayout::Argb8888;
            std::vector<uint32_t> pixels = ArgbPixels();
            device.UploadTexture(texture_, pixels.data(), width() * 4, width(), height(), TexelLayout::Argb8888);
        }
        textureStale_ = false;
    }
    // The back end's copy is the texture now; memory_ would be a second one.
    if (isTexture() && !busy() && !pixelsOnlyInTexture_ && device.KeepsTextures() && &device == TheDisplay().device.get()) {
        std::vector<uint8_t>().swap(memory_);
        pixelsOnlyInTexture_ = true;
    }
    return texture_;
}

}  // namespace velmora::platform::ddraw

namespace velmora::platform {

size_t SurfaceMemoryBytes(LPDIRECTDRAWSURFACE7 surface) {
    auto* made = dynamic_cast<ddraw::Surface*>(surface);
    return made ? made->MemoryBytes() : 0;
}

}  // namespace velmora::platform
