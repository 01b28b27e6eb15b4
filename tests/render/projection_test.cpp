#include "render/projection.h"

#include <gtest/gtest.h>

#include <cstring>

#include "math/d3d_structures.h"
#include "render/display.h"
#include "support/recording_device.h"

using velmora::testing::FormatMatrix;
using velmora::testing::RecordingDevice;

namespace {

TEST(MathHelpersTest, DegreesToRadians) {
    EXPECT_EQ(DegreesToRadians(45.0f), 0.7853982f);
    EXPECT_EQ(DegreesToRadians(180.0f), 3.1415927f);
    EXPECT_EQ(DegreesToRadians(0.0f), 0.0f);
}

TEST(MathHelpersTest, ProjectionInstalledOnTheDevice) {
    RecordingDevice device;
    d3dDevice = &device;
    EXPECT_EQ(SetProjection(0.7853982f, 1.0f, 1.0f, 1000000.0f), S_OK);
    d3dDevice = nullptr;
    ASSERT_EQ(device.calls.size(), 1u);
    const D3DMATRIX& m = device.projection;
    EXPECT_EQ(m._11, 2.4142134f);
    EXPECT_EQ(m._22, 3.1384773f);
    EXPECT_EQ(m._33, 1.000001f);
    EXPECT_EQ(m._34, 1.0f);
    EXPECT_EQ(m._43, -1.000001f);
    // Zero everywhere else.
    EXPECT_EQ(FormatMatrix(m), "2.41421342 0 0 0 0 3.13847733 0 0 0 0 1.00000095 1 0 0 -1.00000095 0");
    EXPECT_EQ(device.calls[0].rfind("SetTransform 3 ", 0), 0u);

    device.result = E_FAIL;
    d3dDevice = &device;
    EXPECT_EQ(SetProjection(0.5f, 2.0f, 1.0f, 100.0f), E_FAIL);
    d3dDevice = nullptr;
    EXPECT_EQ(device.projection._11, 2.0f * ProjectionMatrix(0.5f, 1.0f, 1.0f, 100.0f)._11);
    EXPECT_EQ(SetProjection(0.5f, 2.0f, 1.0f, 100.0f), E_FAIL);  // no device
}

TEST(MathHelpersTest, IdentitySurfaceDescriptionAndMaterial) {
    D3DMATRIX m;
    std::memset(&m, 0x7F, sizeof m);
    EXPECT_EQ(SetIdentityMatrix(&m), &m);
    EXPECT_EQ(FormatMatrix(m), "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1");

    DDSURFACEDESC2 description;
    std::memset(&description, 0xAB, sizeof description);
    InitSurfaceDesc(&description, DDSD_CAPS | DDSD_WIDTH, DDSCAPS_TEXTURE);
    EXPECT_EQ(description.dwSize, 124u);
    EXPECT_EQ(description.dwFlags, static_cast<DWORD>(DDSD_CAPS | DDSD_WIDTH));
    EXPECT_EQ(description.ddsCaps.dwCaps, static_cast<DWORD>(DDSCAPS_TEXTURE));
    EXPECT_EQ(description.ddpfPixelFormat.dwSize, 32u);
    EXPECT_EQ(description.dwWidth, 0u);
    EXPECT_EQ(description.lpSurface, nullptr);
    EXPECT_EQ(description.ddsCaps.dwCaps2, 0u);

    D3DMATERIAL7 material;
    std::memset(&material, 0x7F, sizeof material);
    EXPECT_EQ(InitMaterial(&material, 1.0f, 0.5f, 0.25f, 0.75f), 0);
    for (const D3DCOLORVALUE& c : {material.diffuse, material.ambient}) {
        EXPECT_EQ(c.r, 1.0f);
        EXPECT_EQ(c.g, 0.5f);
        EXPECT_EQ(c.b, 0.25f);
        EXPECT_EQ(c.a, 0.75f);
    }
    for (const D3DCOLORVALUE& c : {material.specular, material.emissive})
        EXPECT_TRUE(c.r == 0 && c.g == 0 && c.b == 0 && c.a == 0);
    EXPECT_EQ(material.power, 0.0f);
}

}  // namespace
