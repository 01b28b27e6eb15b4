#include "scene_builder/scene_builder.h"

#include <cmath>
#include <cstring>

namespace velmora::tools {

SceneBuilder::SceneBuilder(int32_t frameCount) : frameCount_(frameCount > 0 ? frameCount : 1) {
    ambient_.assign(frameCount_, 0);
}

int32_t SceneBuilder::AddDrawStyle(const D3DMATERIAL7& material, const std::string& textureName) {
    textureNames_.push_back(textureName);
    DrawStyle style{};
    style.material = material;
    drawStyles_.push_back(style);
    return static_cast<int32_t>(drawStyles_.size() - 1);
}

int32_t SceneBuilder::AddObject(std::vector<BuilderPart> parts, std::vector<D3DMATRIX> matrices,
                                int32_t cullBackfaces, int32_t shadeMode, int32_t overlay) {
    ObjectData object;
    object.parts = std::move(parts);
    object.matrices = std::move(matrices);
    object.cullBackfaces = cullBackfaces;
    object.shadeMode = shadeMode;
    object.overlay = overlay;
    objects_.push_back(std::move(object));
    return static_cast<int32_t>(objects_.size() - 1);
}

int32_t SceneBuilder::AddCamera(std::vector<D3DMATRIX> views, float blend, float fov,
                                int32_t blurFrames) {
    CameraData camera;
    if (views.size() == 1) views.assign(frameCount_, views[0]);
    camera.views = std::move(views);
    camera.blend.assign(frameCount_, blend);
    camera.fov.assign(frameCount_, fov);
    camera.extraAmbient.assign(frameCount_, 0);
    camera.blurFrames = blurFrames;
    cameras_.push_back(std::move(camera));
    cameraOrder_.push_back(static_cast<int32_t>(cameras_.size() - 1));
    return static_cast<int32_t>(cameras_.size() - 1);
}

int32_t SceneBuilder::AddLight(std::vector<D3DLIGHT7> frames) {
    lights_.push_back(std::move(frames));
    return static_cast<int32_t>(lights_.size() - 1);
}

void SceneBuilder::SetAmbient(uint32_t packed) { ambient_.assign(frameCount_, packed); }

void SceneBuilder::EnsureVisibility() {
    for (CameraData& camera : cameras_) {
        while (camera.visibility.size() < objects_.size()) {
            const ObjectData& object = objects_[camera.visibility.size()];
            int32_t bytes = VisibilityBytes(static_cast<int32_t>(object.parts.size()));
            camera.visibility.emplace_back(static_cast<size_t>(bytes) * frameCount_, 0xFF);
        }
    }
}

void SceneBuilder::HidePart(int32_t c, int32_t o, int32_t f, int32_t p) {
    EnsureVisibility();
    int32_t bytes = VisibilityBytes(static_cast<int32_t>(objects_[o].parts.size()));
    cameras_[c].visibility[o][static_cast<size_t>(f) * bytes + p / 8] &= static_cast<uint8_t>(~(1u << (p % 8)));
}

Scene* SceneBuilder::Build(float t) {
    EnsureVisibility();
    for (size_t i = 0; i < drawStyles_.size(); ++i)
        drawStyles_[i].textureName = textureNames_[i].empty() ? nullptr : textureNames_[i].data();
    sceneObjects_.assign(objects_.size(), SceneObject{});
    for (size_t o = 0; o < objects_.size(); ++o) {
        ObjectData& data = objects_[o];
        data.vertexCounts.clear();
        data.polygonCounts.clear();
        data.vertexPointers.clear();
        data.polygonPointers.clear();
        data.styles.clear();
        for (BuilderPart& part : data.parts) {
            data.vertexCounts.push_back(static_cast<int32_t>(part.vertices.size()));
            data.polygonCounts.push_back(static_cast<int32_t>(part.polygons.size()));
            data.vertexPointers.push_back(part.vertices.data());
            data.polygonPointers.push_back(part.polygons.data());
            data.styles.push_back(&drawStyles_[part.drawStyle]);
        }
        SceneObject& object = sceneObjects_[o];
        names_.push_back("object" + std::to_string(o));
        object.name = names_.back().data();
        object.matrices = data.matrices.data();
        object.partVertexCounts = data.vertexCounts.data();
        object.partVertices = data.vertexPointers.data();
        object.partPolygonCounts = data.polygonCounts.data();
        object.partPolygons = data.polygonPointers.data();
        object.partCount = static_cast<int32_t>(data.parts.size());
        object.partDrawStyles = data.styles.data();
        object.animated = data.matrices.size() > 1;
        object.cullBackfaces = data.cullBackfaces;
        object.shadeMode = data.shadeMode;
        object.overlay = data.overlay;
    }
    sceneCameras_.assign(cameras_.size(), SceneCamera{});
    cameraMatrixPointers_.clear();
    for (size_t c = 0; c < cameras_.size(); ++c) {
        CameraData& data = cameras_[c];
        data.visibilityPointers.clear();
        for (auto& bits : data.visibility) data.visibilityPointers.push_back(bits.data());
        SceneCamera& camera = sceneCameras_[c];
        camera.frameBlend = data.blend.data();
        camera.frameExtraAmbient = data.extraAmbient.data();
        camera.frameFov = data.fov.data();
        camera.blurFrames = data.blurFrames;
        camera.visibility = data.visibilityPointers.data();
        cameraMatrixPointers_.push_back(data.views.data());
    }
    sceneLights_.assign(lights_.size(), SceneLight{});
    lightFramePointers_.clear();
    for (size_t i = 0; i < lights_.size(); ++i) {
        sceneLights_[i].animated = lights_[i].size() > 1;
        sceneLights_[i].intensity = 1.0f;
        lightFramePointers_.push_back(lights_[i].data());
    }
    scene_ = Scene{};
    scene_.objectCount = static_cast<int32_t>(sceneObjects_.size());
    scene_.objects = sceneObjects_.data();
    scene_.cameraCount = static_cast<int32_t>(sceneCameras_.size());
    scene_.cameras = sceneCameras_.data();
    scene_.cameraMatrices = cameraMatrixPointers_.data();
    scene_.cameraOrder = cameraOrder_.data();
    scene_.drawStyleCount = static_cast<int32_t>(drawStyles_.size());
    scene_.drawStyles = drawStyles_.data();
    scene_.lightCount = static_cast<int32_t>(lights_.size());
    scene_.frameAmbient = ambient_.data();
    scene_.lights = sceneLights_.data();
    scene_.lightFrames = lightFramePointers_.data();
    scene_.frameCount = frameCount_;
    scene_.framesPerSecond = 30.0f;
    scene_.currentFrame = t;
    return &scene_;
}

D3DMATRIX Translation(float x, float y, float z) {
    D3DMATRIX m = IdentityMatrix();
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

D3DMATRIX RotationY(float radians) {
    D3DMATRIX m = IdentityMatrix();
    float c = std::cos(radians), s = std::sin(radians);
    m._11 = c;
    m._13 = -s;
    m._31 = s;
    m._33 = c;
    return m;
}

D3DMATERIAL7 Material(float r, float g, float b, float a) {
    D3DMATERIAL7 material;
    std::memset(&material, 0, sizeof material);
    material.diffuse = {{r}, {g}, {b}, {a}};
    material.ambient = material.diffuse;
    return material;
}

D3DLIGHT7 PointLight(float x, float y, float z, float r, float g, float b, float range) {
    D3DLIGHT7 light;
    std::memset(&light, 0, sizeof light);
    light.dltType = D3DLIGHT_POINT;
    light.dcvDiffuse = {{r}, {g}, {b}, {1.0f}};
    light.dvPosition = {{x}, {y}, {z}};
    light.dvRange = range;
    light.dvAttenuation0 = 1.0f;
    return light;
}

BuilderPart Quad(float h, int32_t drawStyle, float z) {
    BuilderPart part;
    part.drawStyle = drawStyle;
    // Seen from -z with +y up and +x right: top-left, top-right, bottom-right, bottom-left.
    part.vertices = {{-h, h, z, 0, 0, -1, 0, 0}, {h, h, z, 0, 0, -1, 1, 0},
                     {h, -h, z, 0, 0, -1, 1, 1}, {-h, -h, z, 0, 0, -1, 0, 1}};
    part.polygons = {{{0, 3, 2}}, {{0, 2, 1}}};
    return part;
}

BuilderPart Grid(float h, int32_t cells, int32_t drawStyle, float z) {
    BuilderPart part;
    part.drawStyle = drawStyle;
    for (int32_t row = 0; row <= cells; ++row)
        for (int32_t column = 0; column <= cells; ++column) {
            float u = static_cast<float>(column) / cells, v = static_cast<float>(row) / cells;
            part.vertices.push_back({-h + 2 * h * u, h - 2 * h * v, z, 0, 0, -1, u, v});
        }
    for (int32_t row = 0; row < cells; ++row)
        for (int32_t column = 0; column < cells; ++column) {
            uint16_t topLeft = static_cast<uint16_t>(row * (cells + 1) + column);
            uint16_t bottomLeft = static_cast<uint16_t>(topLeft + cells + 1);
            part.polygons.push_back({{topLeft, bottomLeft, static_cast<uint16_t>(bottomLeft + 1)}});
            part.polygons.push_back({{topLeft, static_cast<uint16_t>(bottomLeft + 1), static_cast<uint16_t>(topLeft + 1)}});
        }
    return part;
}

BuilderPart Sphere(float radius, int32_t rings, int32_t segments, int32_t drawStyle) {
    BuilderPart part;
    part.drawStyle = drawStyle;
    const float pi = 3.14159265f;
    for (int32_t r = 0; r <= rings; ++r) {
        float theta = pi * r / rings;
        for (int32_t s = 0; s <= segments; ++s) {
            float phi = 2.0f * pi * s / segments;
            float nx = std::sin(theta) * std::cos(phi), ny = std::cos(theta), nz = std::sin(theta) * std::sin(phi);
            part.vertices.push_back({radius * nx, radius * ny, radius * nz, nx, ny, nz,
                                     static_cast<float>(s) / segments, static_cast<float>(r) / rings});
        }
    }
    for (int32_t r = 0; r < rings; ++r)
        for (int32_t s = 0; s < segments; ++s) {
            uint16_t a = static_cast<uint16_t>(r * (segments + 1) + s);
            uint16_t b = static_cast<uint16_t>(a + segments + 1);
            part.polygons.push_back({{a, b, static_cast<uint16_t>(a + 1)}});
            part.polygons.push_back({{static_cast<uint16_t>(a + 1), b, static_cast<uint16_t>(b + 1)}});
        }
    return part;
}

}  // namespace velmora::tools
