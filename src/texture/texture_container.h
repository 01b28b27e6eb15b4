// One texture of a scene material: its image decoded once into 32-bit words,
// and the Direct3D surface made from them on demand.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ddraw/d3d.h"
#include "texture/image_files.h"

#ifndef E_NOTIMPL
#define E_NOTIMPL static_cast<HRESULT>(0x80004001L)
#endif

// The "Low textures (max 256x256)" setting: textures prefer their "_256" files.
extern int32_t lowTextures;

// The longest texture name strName holds is one less than this.
constexpr int kTextureNameSize = 80;

// What TextureSearchCallback looks for, and where it puts what it finds.
struct TextureSearchInfo {
    DWORD dwDesiredBPP;
    BOOL bUseAlpha;
    BOOL bUsePalette;
    BOOL bFoundGoodFormat;
    DDPIXELFORMAT* pddpf;
};

class TextureContainer {
public:
    TextureContainer* pNext;
    char strName[kTextureNameSize];
    DWORD dwWidth;
    DWORD dwHeight;
    DWORD dwStage;
    DWORD dwSourceBits;
    BOOL bAlpha;
    LPDIRECTDRAWSURFACE7 pddsTexture;
    void* hBitmap;  // never set: the program carries no bitmap resources
    DWORD* pPixels;

    // Copies the name (the caller makes sure it fits) and links the texture
    // at the head of the cache list.
    TextureContainer(const char* strName, DWORD dwStage);
    // Releases the surface, frees the pixels and unlinks the texture.
    ~TextureContainer();
    TextureContainer(const TextureContainer&) = delete;
    TextureContainer& operator=(const TextureContainer&) = delete;

    HRESULT LoadImageData();
    HRESULT LoadBMPFile(const char* strPathname);
    HRESULT LoadTGAFile(const char* strPathname);
    HRESULT LoadJPGFile(const char* strPathname);
    HRESULT LoadPNGFile(const char* strPathname);
    HRESULT LoadPCXFile(const char* strPathname);
    HRESULT Restore(LPDIRECT3DDEVICE7 pd3dDevice);
    HRESULT CopyPixelsToSurface();
};

// The head of the cache list, newest texture first.
extern TextureContainer* textureList;

// Decodes one image held in memory into the texture's fields; the loaders'
// shared body. The file stays open; the caller closes it.
struct MemoryFile;
HRESULT DecodeImageFile(TextureContainer* texture, MemoryFile* file, ImageFormat format);

HRESULT CALLBACK TextureSearchCallback(DDPIXELFORMAT* pddpf, void* ptsi);

// The surface size for a width x height image under the device's rules.
void TextureSurfaceSize(const D3DDEVICEDESC7& caps, DWORD width, DWORD height, DWORD* surfaceWidth,
                        DWORD* surfaceHeight);

// One pixel word (red in the top byte, alpha in the bottom one) in the format.
DWORD ConvertPixelWord(DWORD word, const DDPIXELFORMAT& format);
