// Display devices: enumeration, selection, set-up and presentation.
#pragma once

#include "platform/ddraw/d3d.h"
#include "platform/win32/windows.h"

extern IDirect3DDevice7* d3dDevice;
extern IDirectDrawSurface7* primarySurface;

// Enumerates the display devices and pre-selects one with a width x height
// mode; nonzero when a device was found.
int SelectDisplayDevice(HWND window, int width, int height);
// Creates the display for the selected device and mode; a COM-style result.
HRESULT CreateDisplay(HWND window);
void InitRenderStates(IDirect3DDevice7* device);
// Shows the finished frame.
void PresentFrame();
