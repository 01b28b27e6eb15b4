#include "scene_writer/scene_writer.h"

#include <cstring>
#include <fstream>

namespace velmora::tools {

namespace {

class ByteWriter {
public:
    void U8(uint8_t value) { bytes.push_back(value); }
    void I32(int32_t value) { Raw(&value, 4); }
    void U32(uint32_t value) { Raw(&value, 4); }
    void F32(float value) { Raw(&value, 4); }
    void String(const std::string& text) {
        Raw(text.data(), text.size());
        U8('\r');
        U8('\n');
    }
    void Vector(const D3DVECTOR& v) {
        F32(v.x);
        F32(v.y);
        F32(v.z);
    }
    void Matrix(const D3DMATRIX& m) {
        for (float value : {m._11, m._12, m._13, m._21, m._22, m._23, m._31, m._32, m._33, m._41,
                            m._42, m._43})
            F32(value);
    }
    std::vector<uint8_t> bytes;

private:
    // Little-endian, as the files are and as the hosts we build for are.
    void Raw(const void* data, size_t size) {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
    }
};

void WriteObject(ByteWriter& out, const WriterObject& object) {
    out.String("*GEOMOBJECT");
    out.String(object.name);
    out.String(object.parentName);
    out.I32(static_cast<int32_t>(object.parts.size()));
    for (const WriterPart& part : object.parts) {
        out.I32(part.drawStyle);
        out.I32(static_cast<int32_t>(part.vertices.size()));
        for (const WriterVertex& v : part.vertices) {
            out.F32(v.x);
            out.F32(v.y);
            out.F32(v.z);
            out.F32(v.tu);
            out.F32(v.tv);
        }
    }
    for (const WriterPart& part : object.parts) {
        out.I32(part.polygonDrawStyle >= 0 ? part.polygonDrawStyle : part.drawStyle);
        out.I32(static_cast<int32_t>(part.polygons.size()));
        for (const auto& polygon : part.polygons)
            for (int32_t index : polygon) out.I32(index);
    }
    out.U8(object.animated ? 1 : 0);
    for (const D3DMATRIX& matrix : object.matrices) out.Matrix(matrix);
}

void WriteCamera(ByteWriter& out, const WriterCamera& camera) {
    out.String("*CAMERA");
    out.String(camera.name);
    for (size_t f = 0; f < camera.fov.size() || f < camera.matrices.size(); ++f) {
        if (f < camera.fov.size()) out.F32(camera.fov[f]);
        if (f < camera.matrices.size()) out.Matrix(camera.matrices[f]);
    }
}

void WriteLight(ByteWriter& out, const WriterLight& light) {
    out.String("*LIGHTOBJECT");
    out.String(light.name);
    out.String(light.secondName);
    out.F32(light.intensity);
    out.U8(light.spot ? 1 : 0);
    out.F32(light.range);
    if (light.spot) {
        out.F32(light.hotspot);
        out.F32(light.falloff);
    }
    out.I32(light.attenuation);
    out.F32(light.colourMultiplier);
    out.U8(light.animated ? 1 : 0);
    for (const WriterLightFrame& frame : light.frames) {
        out.F32(frame.red);
        out.F32(frame.green);
        out.F32(frame.blue);
        out.Vector(frame.position);
        if (light.spot) out.Vector(frame.direction);
    }
}

std::vector<NodeRef> NodeOrder(const SceneDescription& scene) {
    if (!scene.nodeOrder.empty()) return scene.nodeOrder;
    std::vector<NodeRef> order;
    auto add = [&order](NodeKind kind, size_t count) {
        for (size_t i = 0; i < count; ++i) order.push_back({kind, static_cast<int32_t>(i)});
    };
    add(NodeKind::Object, scene.objects.size());
    add(NodeKind::Camera, scene.cameras.size());
    add(NodeKind::Light, scene.lights.size());
    add(NodeKind::Shape, scene.shapes.size());
    add(NodeKind::Helper, scene.helpers.size());
    return order;
}

bool StringFits(const std::string& text) {
    for (char c : text)
        if (c == '\0' || c == '\n' || c == '\r' || static_cast<uint8_t>(c) == 0xFF) return false;
    return true;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        if (error) *error = path + ": cannot be written";
        return false;
    }
    return true;
}

}  // namespace

std::string CheckScene(const SceneDescription& scene) {
    const size_t frames = scene.frameCount > 0 ? static_cast<size_t>(scene.frameCount) : 0;
    if (scene.frameCount < 1) return "the frame count must be at least 1";
    if (scene.ambient.size() != frames) return "one ambient colour per frame is needed";
    for (size_t i = 0; i < scene.drawStyles.size(); ++i)
        if (!StringFits(scene.drawStyles[i].textureName))
            return "draw style " + std::to_string(i) + ": the texture name holds a line end";
    for (const WriterObject& object : scene.objects) {
        const std::string where = "object " + object.name + ": ";
        if (!StringFits(object.name) || !StringFits(object.parentName))
            return where + "a name holds a line end";
        if (object.matrices.size() != (object.animated ? frames : 1))
            return where + "one matrix per frame when animated, else one, is needed";
        for (const WriterPart& part : object.parts) {
            int32_t polygonStyle = part.polygonDrawStyle >= 0 ? part.polygonDrawStyle : part.drawStyle;
            for (int32_t style : {part.drawStyle, polygonStyle})
                if (style < 0 || static_cast<size_t>(style) >= scene.drawStyles.size())
                    return where + "a part's draw style is not in the list";
            for (const auto& polygon : part.polygons)
                for (int32_t index : polygon)
                    if (static_cast<size_t>(index & 0xFFFF) >= part.vertices.size())
                        return where + "a polygon names a vertex the part does not have";
        }
    }
    for (const WriterCamera& camera : scene.cameras) {
        if (!StringFits(camera.name)) return "camera " + camera.name + ": the name holds a line end";
        if (camera.fov.size() != frames || camera.matrices.size() != frames)
            return "camera " + camera.name + ": one field of view and one matrix per frame are needed";
    }
    for (const WriterLight& light : scene.lights) {
        if (!StringFits(light.name) || !StringFits(light.secondName))
            return "light " + light.name + ": a name holds a line end";
        if (light.frames.size() != (light.animated ? frames : 1))
            return "light " + light.name + ": one frame per frame when animated, else one, is needed";
        if (light.attenuation < 0 || light.attenuation > 2)
            return "light " + light.name + ": the attenuation kind must be 0, 1 or 2";
    }
    for (const std::string& type : scene.shapes)
        if (type.empty() || !StringFits(type) || type == "*GEOMOBJECT" || type == "*CAMERA" ||
            type == "*LIGHTOBJECT")
            return "a shape node needs a type string of its own";
    for (const std::string& type : scene.helpers)
        if (type.empty() || !StringFits(type) || type == "*GEOMOBJECT" || type == "*CAMERA" ||
            type == "*LIGHTOBJECT")
            return "a helper node needs a type string of its own";
    if (!scene.nodeOrder.empty()) {
        size_t nodeCount = scene.objects.size() + scene.cameras.size() + scene.lights.size() +
                           scene.shapes.size() + scene.helpers.size();
        if (scene.nodeOrder.size() != nodeCount) return "the node order must name every node once";
        std::vector<std::vector<int>> seen(5);
        seen[0].resize(scene.objects.size());
        seen[1].resize(scene.cameras.size());
        seen[2].resize(scene.lights.size());
        seen[3].resize(scene.shapes.size());
        seen[4].resize(scene.helpers.size());
        for (const NodeRef& node : scene.nodeOrder) {
            auto& marks = seen[static_cast<int>(node.kind)];
            if (node.index < 0 || static_cast<size_t>(node.index) >= marks.size() ||
                marks[node.index]++)
                return "the node order must name every node once";
        }
    }
    return "";
}

std::vector<uint8_t> SceneBytes(const SceneDescription& scene) {
    ByteWriter out;
    out.I32(scene.frameCount - 1);
    for (uint32_t colour : scene.ambient) out.U32(colour);
    out.I32(static_cast<int32_t>(scene.drawStyles.size()));
    for (const WriterDrawStyle& style : scene.drawStyles) {
        out.F32(style.red);
        out.F32(style.green);
        out.F32(style.blue);
        out.F32(style.transparency);
        out.String(style.textureName);
    }
    out.I32(static_cast<int32_t>(scene.objects.size()));
    out.I32(static_cast<int32_t>(scene.cameras.size()));
    out.I32(static_cast<int32_t>(scene.lights.size()));
    out.I32(static_cast<int32_t>(scene.shapes.size()));
    out.I32(static_cast<int32_t>(scene.helpers.size()));
    for (const NodeRef& node : NodeOrder(scene)) {
        size_t i = static_cast<size_t>(node.index);
        switch (node.kind) {
            case NodeKind::Object:
                if (i < scene.objects.size()) WriteObject(out, scene.objects[i]);
                break;
            case NodeKind::Camera:
                if (i < scene.cameras.size()) WriteCamera(out, scene.cameras[i]);
                break;
            case NodeKind::Light:
                if (i < scene.lights.size()) WriteLight(out, scene.lights[i]);
                break;
            case NodeKind::Shape:
                if (i < scene.shapes.size()) out.String(scene.shapes[i]);
                break;
            case NodeKind::Helper:
                if (i < scene.helpers.size()) out.String(scene.helpers[i]);
                break;
        }
    }
    return out.bytes;
}

std::vector<int32_t> NodesInFileOrder(const SceneDescription& scene, NodeKind kind) {
    std::vector<int32_t> indices;
    for (const NodeRef& node : NodeOrder(scene))
        if (node.kind == kind) indices.push_back(node.index);
    return indices;
}

std::vector<uint8_t> VisibilityBytes(const SceneDescription& scene, const VisibilityTest& visible) {
    const std::vector<int32_t> cameras = NodesInFileOrder(scene, NodeKind::Camera);
    const std::vector<int32_t> objects = NodesInFileOrder(scene, NodeKind::Object);
    std::vector<uint8_t> bytes;
    for (int32_t c : cameras) {
        for (int32_t f = 0; f < scene.frameCount; ++f) {
            for (int32_t o : objects) {
                size_t parts = o >= 0 && static_cast<size_t>(o) < scene.objects.size()
                                   ? scene.objects[o].parts.size()
                                   : 0;
                size_t first = bytes.size();
                bytes.resize(first + (parts + 7) / 8, 0);
                for (size_t p = 0; p < parts; ++p)
                    if (visible(c, f, o, static_cast<int32_t>(p)))
                        bytes[first + p / 8] |= static_cast<uint8_t>(1u << (p % 8));
            }
        }
    }
    return bytes;
}

bool WriteSceneFile(const std::string& path, const SceneDescription& scene, std::string* error) {
    std::string fault = CheckScene(scene);
    if (!fault.empty()) {
        if (error) *error = fault;
        return false;
    }
    return WriteBytes(path, SceneBytes(scene), error);
}

bool WriteVisibilityFile(const std::string& path, const SceneDescription& scene,
                         const VisibilityTest& visible, std::string* error) {
    std::string fault = CheckScene(scene);
    if (!fault.empty()) {
        if (error) *error = fault;
        return false;
    }
    return WriteBytes(path, VisibilityBytes(scene, visible), error);
}

D3DMATRIX TranslationMatrix(float x, float y, float z) {
    D3DMATRIX m = IdentityMatrix();
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

WriterObject CubeObject(const std::string& name, float edge, int32_t drawStyle) {
    const float h = edge / 2.0f;
    // Each face: its four corners counter-clockwise as seen from outside, so
    // that the engine's clockwise back-face culling keeps the outside and
    // drops the inside; (p1 - p0) x (p2 - p0) then points inwards, and the
    // normals loading gives point outwards.
    struct Face {
        float corners[4][3];
    };
    const Face faces[6] = {
        {{{h, -h, -h}, {h, -h, h}, {h, h, h}, {h, h, -h}}},       // +x
        {{{-h, -h, -h}, {-h, h, -h}, {-h, h, h}, {-h, -h, h}}},   // -x
        {{{-h, h, -h}, {h, h, -h}, {h, h, h}, {-h, h, h}}},       // +y
        {{{-h, -h, -h}, {-h, -h, h}, {h, -h, h}, {h, -h, -h}}},   // -y
        {{{-h, -h, h}, {-h, h, h}, {h, h, h}, {h, -h, h}}},       // +z
        {{{-h, -h, -h}, {h, -h, -h}, {h, h, -h}, {-h, h, -h}}},   // -z
    };
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    WriterPart part;
    part.drawStyle = drawStyle;
    for (const Face& face : faces) {
        int32_t first = static_cast<int32_t>(part.vertices.size());
        for (int k = 0; k < 4; ++k)
            part.vertices.push_back({face.corners[k][0], face.corners[k][1], face.corners[k][2],
                                     uv[k][0], uv[k][1]});
        part.polygons.push_back({first, first + 1, first + 2});
        part.polygons.push_back({first, first + 2, first + 3});
    }
    WriterObject object;
    object.name = name;
    object.parentName = "";
    object.parts.push_back(part);
    object.matrices.push_back(IdentityMatrix());
    return object;
}

}  // namespace velmora::tools
