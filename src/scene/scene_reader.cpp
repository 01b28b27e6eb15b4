#include "scene/scene_reader.h"

#include <bit>
#include <cstdlib>
#include <cstring>

#include "data/data_archive.h"
#include "diag/log.h"
#include "diag/memory_counters.h"
#include "math/d3d_structures.h"
#include "scene/normals.h"
#include "scene/visibility.h"
#include "texture/texture_cache.h"

// Numbers are copied straight from the little-endian file into variables.
static_assert(std::endian::native == std::endian::little);

namespace {

// The fewest bytes a node of each kind can take in a sound file, used to
// bound the node counts before anything is made for them.
constexpr int64_t kMatrixRecordBytes = 12 * 4;
constexpr int64_t kGeomNodeMinBytes = 11 + 4 + 1 + kMatrixRecordBytes;
constexpr int64_t kCameraFrameBytes = 4 + kMatrixRecordBytes;
constexpr int64_t kCameraNodeMinBytes = 7;  // plus one frame record per frame
constexpr int64_t kPointFrameBytes = 6 * 4;
constexpr int64_t kSpotFrameBytes = 9 * 4;
constexpr int64_t kLightNodeMinBytes = 12 + 4 + 1 + 4 + 4 + 4 + 1 + kPointFrameBytes;
constexpr int64_t kOtherNodeMinBytes = 1;
constexpr int64_t kDrawStyleMinBytes = 4 * 4;
constexpr int64_t kPartHeaderBytes = 4 * 4;  // the vertex and the polygon block headers
constexpr int64_t kVertexRecordBytes = 5 * 4;
constexpr int64_t kPolygonRecordBytes = 3 * 4;

constexpr float kDefaultFov = 0.7854f;

int64_t BytesLeft(const MemoryFile* file) {
    return static_cast<int64_t>(file->size) - file->position;
}

// Whether count records of at least bytesEach bytes can still follow.
bool CountFits(const MemoryFile* file, int64_t count, int64_t bytesEach) {
    return count >= 0 && count <= BytesLeft(file) / bytesEach;
}

bool ReadRaw(MemoryFile* file, void* out, int32_t count) {
    return MemRead(out, count, file) == count;
}

bool ReadI32(MemoryFile* file, int32_t* value) { return ReadRaw(file, value, 4); }
bool ReadF32(MemoryFile* file, float* value) { return ReadRaw(file, value, 4); }
bool ReadU8(MemoryFile* file, uint8_t* value) { return ReadRaw(file, value, 1); }

// A string of the file; the reader owns it and frees it with free().
char* ReadString(MemoryFile* file) {
    char* text = nullptr;
    MemReadLine(file, &text);
    return text;
}

// Zero-filled memory of the given size, added to the counter.
void* Allocate(int64_t bytes, int32_t* counter) {
    if (bytes < 0) return nullptr;
    void* memory = std::calloc(1, bytes > 0 ? static_cast<size_t>(bytes) : 1);
    if (memory) CountMemory(counter, bytes);
    return memory;
}

template <typename T>
T* AllocateGeneral(int64_t count) {
    return static_cast<T*>(Allocate(count * static_cast<int64_t>(sizeof(T)), &generalMemoryCounter));
}

template <typename T>
T* AllocateAnimation(int64_t count) {
    return static_cast<T*>(
        Allocate(count * static_cast<int64_t>(sizeof(T)), &animationMemoryCounter));
}

// Twelve floats _11 _12 _13 _21 ... _43 completed to a full matrix.
bool ReadMatrixRecord(MemoryFile* file, D3DMATRIX* matrix) {
    float values[12];
    if (!ReadRaw(file, values, sizeof values)) return false;
    matrix->_11 = values[0];
    matrix->_12 = values[1];
    matrix->_13 = values[2];
    matrix->_14 = 0.0f;
    matrix->_21 = values[3];
    matrix->_22 = values[4];
    matrix->_23 = values[5];
    matrix->_24 = 0.0f;
    matrix->_31 = values[6];
    matrix->_32 = values[7];
    matrix->_33 = values[8];
    matrix->_34 = 0.0f;
    matrix->_41 = values[9];
    matrix->_42 = values[10];
    matrix->_43 = values[11];
    matrix->_44 = 1.0f;
    return true;
}

bool ReadVector(MemoryFile* file, D3DVECTOR* vector) {
    return ReadF32(file, &vector->x) && ReadF32(file, &vector->y) && ReadF32(file, &vector->z);
}

void LogAmbient(const Scene* scene, int32_t frame) {
    uint32_t colour = scene->frameAmbient[frame];
    WriteLogFormat("QX3:\t\tframe:%d red:%d green:%d blue:%d\t\tscene ambient light", frame,
                   static_cast<int>((colour >> 16) & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                   static_cast<int>(colour & 0xFF));
}

bool ReadDrawStyle(MemoryFile* file, DrawStyle* style, int32_t index) {
    float red, green, blue, transparency;
    if (!ReadF32(file, &red) || !ReadF32(file, &green) || !ReadF32(file, &blue)) return false;
    WriteLogFormat("QX3:\t\t%f %f %f\tmaterial ambient color", static_cast<double>(red),
                   static_cast<double>(green), static_cast<double>(blue));
    if (!ReadF32(file, &transparency)) return false;
    float alpha = 1.0f - transparency;
    WriteLogFormat("QX3:\t\t%f\tmaterial transparency", static_cast<double>(alpha));

    style->textureName = ReadString(file);
    if (!style->textureName) return false;
    WriteLogFormat("QX3:\t\t%s\tmaterial texture name", style->textureName);
    InitMaterial(&style->material, red, green, blue, alpha);

    StripDataPath(style->textureName);
    bool cached = FindTexture(style->textureName) != nullptr;
    HRESULT created = CreateTexture(style->textureName, 0, 0);
    style->textureCreated = created == 0 && !cached ? 1 : 0;
    style->textureResident = 0;
    style->texturePreloaded = 0;
    style->hasAlpha = 0;
    if (created != 0) {
        WriteLogFormat("ERROR:\t\t%s\tTexture NOT read (Drawstyle\t%d)", style->textureName, index);
    } else {
        WriteLogFormat("Texture:\t%s\tTexture read (Drawstyle\t%d)", style->textureName, index);
        if (TextureHasAlpha(style->textureName) == 1) style->hasAlpha = 1;
        WriteLogFormat("Texture:\t%s\thas alpha source:%d\t(0=false, 1=true)", style->textureName,
                       style->hasAlpha);
    }
    return true;
}

// Makes the cameras with every per-frame array in its load state.
bool MakeCameras(Scene* scene, int32_t count) {
    scene->cameras = AllocateGeneral<SceneCamera>(count);
    scene->cameraOrder = AllocateGeneral<int32_t>(count);
    scene->cameraMatrices = AllocateGeneral<D3DMATRIX*>(count);
    if (!scene->cameras || !scene->cameraOrder || !scene->cameraMatrices) return false;
    scene->cameraCount = count;
    int32_t frames = scene->frameCount;
    for (int32_t c = 0; c < count; ++c) {
        SceneCamera* camera = &scene->cameras[c];
        scene->cameraOrder[c] = c;
        scene->cameraMatrices[c] = AllocateAnimation<D3DMATRIX>(frames);
        camera->frameBlend = AllocateGeneral<float>(frames);
        camera->frameExtraAmbient = AllocateGeneral<int32_t>(frames);
        camera->frameFov = AllocateGeneral<float>(frames);
        if (!scene->cameraMatrices[c] || !camera->frameBlend || !camera->frameExtraAmbient ||
            !camera->frameFov)
            return false;
        for (int32_t f = 0; f < frames; ++f) {
            camera->frameBlend[f] = -1.0f;
            camera->frameFov[f] = kDefaultFov;
        }
    }
    return true;
}

// A node count read from the file: not negative, and the file can still hold
// that many nodes of at least minBytes each.
bool ReadNodeCount(MemoryFile* file, int32_t* count, int64_t minBytes) {
    return ReadI32(file, count) && CountFits(file, *count, minBytes);
}

bool ReadNodes(MemoryFile* file, Scene* scene, int32_t shapeCount, int32_t helperCount) {
    int64_t nodeCount = static_cast<int64_t>(scene->objectCount) + scene->cameraCount +
                        scene->lightCount + shapeCount + helperCount;
    // Each count was bounded by the bytes left on its own; together they must
    // fit as well.
    int64_t cameraBytes = kCameraNodeMinBytes + kCameraFrameBytes * scene->frameCount;
    int64_t leastBytes = kGeomNodeMinBytes * scene->objectCount + cameraBytes * scene->cameraCount +
                         kLightNodeMinBytes * scene->lightCount +
                         kOtherNodeMinBytes * (static_cast<int64_t>(shapeCount) + helperCount);
    if (leastBytes > BytesLeft(file)) return false;

    int32_t objects = 0, cameras = 0, lights = 0;
    for (int64_t n = 0; n < nodeCount; ++n) {
        if (BytesLeft(file) <= 0) return false;  // the file ends before its last node
        char* type = ReadString(file);
        if (!type) return false;
        WriteLogFormat("QX3:\t\t%s, %d\tnode type, node number", type, static_cast<int>(n));
        bool sound = true;
        // Type strings are compared exactly; any other type is a shape or
        // helper node without a body.
        if (std::strcmp(type, "*GEOMOBJECT") == 0)
            sound = objects < scene->objectCount && ReadGeomObject(file, scene, objects++);
        else if (std::strcmp(type, "*CAMERA") == 0)
            sound = cameras < scene->cameraCount && ReadCamera(file, scene, cameras++);
        else if (std::strcmp(type, "*LIGHTOBJECT") == 0)
            sound = lights < scene->lightCount && ReadLight(file, scene, lights++);
        std::free(type);
        if (!sound) return false;
    }
    // Fewer nodes of a kind than its count would leave records unread.
    return objects == scene->objectCount && cameras == scene->cameraCount &&
           lights == scene->lightCount;
}

bool ReadScene(MemoryFile* file, Scene* scene) {
    int32_t lastFrame;
    if (!ReadI32(file, &lastFrame)) return false;
    int64_t frameCount = static_cast<int64_t>(lastFrame) + 1;
    if (frameCount < 1 || !CountFits(file, frameCount, 4)) return false;
    scene->frameCount = static_cast<int32_t>(frameCount);
    scene->framesPerSecond = 30.0f;
    scene->looping = 0;
    scene->currentFrame = -1.0f;
    scene->frameAmbient = AllocateAnimation<uint32_t>(frameCount);
    if (!scene->frameAmbient) return false;
    if (!ReadRaw(file, scene->frameAmbient, static_cast<int32_t>(frameCount * 4))) return false;
    LogAmbient(scene, 0);
    LogAmbient(scene, scene->frameCount - 1);
    WriteLogFormat("QX3:\t\t%d\tscene frame count", scene->frameCount);

    int32_t drawStyleCount;
    if (!ReadI32(file, &drawStyleCount) || !CountFits(file, drawStyleCount, kDrawStyleMinBytes))
        return false;
    WriteLogFormat("QX3:\t\t%d\tdrawstyle count", drawStyleCount);
    scene->drawStyles = AllocateGeneral<DrawStyle>(drawStyleCount);
    if (!scene->drawStyles) return false;
    scene->drawStyleCount = drawStyleCount;
    for (int32_t i = 0; i < drawStyleCount; ++i)
        if (!ReadDrawStyle(file, &scene->drawStyles[i], i)) return false;

    int32_t objectCount;
    if (!ReadNodeCount(file, &objectCount, kGeomNodeMinBytes)) return false;
    scene->objects = AllocateGeneral<SceneObject>(objectCount);
    if (!scene->objects) return false;
    scene->objectCount = objectCount;
    WriteLogFormat("QX3:\t\t%d\tobject count", objectCount);

    int32_t cameraCount;
    int64_t cameraBytes = kCameraNodeMinBytes + kCameraFrameBytes * scene->frameCount;
    if (!ReadNodeCount(file, &cameraCount, cameraBytes)) return false;
    if (!MakeCameras(scene, cameraCount)) return false;
    WriteLogFormat("QX3:\t\t%d\tcamera count", cameraCount);

    int32_t lightCount;
    if (!ReadNodeCount(file, &lightCount, kLightNodeMinBytes)) return false;
    scene->lights = AllocateGeneral<SceneLight>(lightCount);
    scene->lightFrames = AllocateGeneral<D3DLIGHT7*>(lightCount);
    if (!scene->lights || !scene->lightFrames) return false;
    scene->lightCount = lightCount;
    WriteLogFormat("QX3:\t\t%d\tlight count", lightCount);

    int32_t shapeCount, helperCount;
    if (!ReadNodeCount(file, &shapeCount, kOtherNodeMinBytes)) return false;
    WriteLogFormat("QX3:\t\t%d\tshape count", shapeCount);
    if (!ReadNodeCount(file, &helperCount, kOtherNodeMinBytes)) return false;
    WriteLogFormat("QX3:\t\t%d\thelper count", helperCount);

    return ReadNodes(file, scene, shapeCount, helperCount);
}

// The draw style index of a vertex or polygon block, checked against the list.
bool ReadDrawStyleIndex(MemoryFile* file, const Scene* scene, DrawStyle** style) {
    int32_t index;
    if (!ReadI32(file, &index) || index < 0 || index >= scene->drawStyleCount) return false;
    *style = &scene->drawStyles[index];
    return true;
}

bool ReadVertexBlock(MemoryFile* file, Scene* scene, SceneObject* object, int32_t part) {
    if (!ReadDrawStyleIndex(file, scene, &object->partDrawStyles[part])) return false;
    if (object->partDrawStyles[part]->material.diffuse.a != 1.0f) object->cullBackfaces = 0;
    int32_t count;
    if (!ReadI32(file, &count) || !CountFits(file, count, kVertexRecordBytes)) return false;
    Vertex* vertices = AllocateGeneral<Vertex>(count);
    if (!vertices) return false;
    object->partVertices[part] = vertices;
    object->partVertexCounts[part] = count;
    for (int32_t v = 0; v < count; ++v) {
        float record[5];
        if (!ReadRaw(file, record, sizeof record)) return false;
        vertices[v].x = record[0];
        vertices[v].y = record[1];
        vertices[v].z = record[2];
        vertices[v].tu = record[3];
        vertices[v].tv = record[4];
    }
    WriteLogFormat("QX3:\t\t%d\tvertexen read", count);
    return true;
}

bool ReadPolygonBlock(MemoryFile* file, Scene* scene, SceneObject* object, int32_t part) {
    if (!ReadDrawStyleIndex(file, scene, &object->partDrawStyles[part])) return false;
    int32_t count;
    if (!ReadI32(file, &count) || !CountFits(file, count, kPolygonRecordBytes)) return false;
    // One polygon more than the count, as the memory figures have always shown.
    Polygon* polygons = AllocateGeneral<Polygon>(static_cast<int64_t>(count) + 1);
    if (!polygons) return false;
    object->partPolygons[part] = polygons;
    object->partPolygonCounts[part] = count;
    int32_t vertexCount = object->partVertexCounts[part];
    for (int32_t i = 0; i < count; ++i) {
        int32_t record[3];
        if (!ReadRaw(file, record, sizeof record)) return false;
        for (int corner = 0; corner < 3; ++corner) {
            // Only the low 16 bits are kept, and they must name a vertex of the part.
            uint16_t index = static_cast<uint16_t>(record[corner] & 0xFFFF);
            if (index >= vertexCount) return false;
            polygons[i].index[corner] = index;
        }
    }
    WriteLogFormat("QX3:\t\t%d\tpolys read", count);
    return true;
}

}  // namespace

int ReadGeomObject(MemoryFile* file, Scene* scene, int32_t index) {
    SceneObject* object = &scene->objects[index];
    object->overlay = 0;
    object->shadeMode = 2;
    object->cullBackfaces = 1;

    object->name = ReadString(file);
    object->parentName = ReadString(file);
    if (!object->name || !object->parentName) return 0;
    WriteLogFormat("QX3:\t\t%s\tobject name", object->name);
    WriteLogFormat("QX3:\t\t%s\tobject parent name", object->parentName);

    int32_t partCount;
    if (!ReadI32(file, &partCount) || !CountFits(file, partCount, kPartHeaderBytes)) return 0;
    object->partVertexCounts = AllocateGeneral<int32_t>(partCount);
    object->partVertices = AllocateGeneral<Vertex*>(partCount);
    object->partPolygonCounts = AllocateGeneral<int32_t>(partCount);
    object->partPolygons = AllocateGeneral<Polygon*>(partCount);
    object->partDrawStyles = AllocateGeneral<DrawStyle*>(partCount);
    if (!object->partVertexCounts || !object->partVertices || !object->partPolygonCounts ||
        !object->partPolygons || !object->partDrawStyles)
        return 0;
    object->partCount = partCount;

    for (int32_t p = 0; p < partCount; ++p)
        if (!ReadVertexBlock(file, scene, object, p)) return 0;
    for (int32_t p = 0; p < partCount; ++p)
        if (!ReadPolygonBlock(file, scene, object, p)) return 0;
    // The file carries no normals; the renderer lights every vertex by one,
    // facing the side it draws.
    for (int32_t p = 0; p < partCount; ++p) ComputeDrawnSideNormals(object, p);

    uint8_t animated;
    if (!ReadU8(file, &animated)) return 0;
    object->animated = animated != 0;
    int32_t matrixCount = object->animated ? scene->frameCount : 1;
    if (!CountFits(file, matrixCount, kMatrixRecordBytes)) return 0;
    object->matrices = AllocateAnimation<D3DMATRIX>(matrixCount);
    if (!object->matrices) return 0;
    for (int32_t f = 0; f < matrixCount; ++f)
        if (!ReadMatrixRecord(file, &object->matrices[f])) return 0;
    WriteLogFormat("QX3:\t\t%d\t0: object isn't animated, 1: object is animated ",
                   object->animated);
    WriteLogFormat("QX3:\t\t%d\trotation matrixen read", scene->frameCount);
    return 1;
}

int ReadCamera(MemoryFile* file, Scene* scene, int32_t index) {
    SceneCamera* camera = &scene->cameras[index];
    camera->blurFrames = 1;
    camera->name = ReadString(file);
    if (!camera->name) return 0;
    WriteLogFormat("QX3:\t\t%s\tcamera name", camera->name);
    for (int32_t f = 0; f < scene->frameCount; ++f) {
        if (!ReadF32(file, &camera->frameFov[f])) return 0;
        D3DMATRIX* matrix = &scene->cameraMatrices[index][f];
        SetIdentityMatrix(matrix);
        if (!ReadMatrixRecord(file, matrix)) return 0;
    }
    WriteLog("QX3:\t\t\tcamera read");
    return 1;
}

int ReadLight(MemoryFile* file, Scene* scene, int32_t index) {
    SceneLight* light = &scene->lights[index];
    light->name = ReadString(file);
    char* secondName = ReadString(file);  // not used by the engine
    std::free(secondName);
    if (!light->name || !secondName) return 0;
    WriteLogFormat("QX3:\t\t%s\tlight name", light->name);

    float intensity, range, multiplier;
    uint8_t spot, animated;
    int32_t attenuation;
    if (!ReadF32(file, &intensity) || !ReadU8(file, &spot) || !ReadF32(file, &range)) return 0;
    if (spot == 1) {
        float angles[2];  // the exporter's cone angles; the engine uses fixed ones
        if (!ReadRaw(file, angles, sizeof angles)) return 0;
    }
    if (!ReadI32(file, &attenuation) || !ReadF32(file, &multiplier)) return 0;
    light->intensity = 2.0f * intensity;
    if (!ReadU8(file, &animated)) return 0;
    light->animated = animated != 0;

    int32_t frameCount = light->animated ? scene->frameCount : 1;
    if (!CountFits(file, frameCount, spot == 1 ? kSpotFrameBytes : kPointFrameBytes)) return 0;
    D3DLIGHT7* frames = AllocateAnimation<D3DLIGHT7>(frameCount);
    if (!frames) return 0;
    scene->lightFrames[index] = frames;

    for (int32_t f = 0; f < frameCount; ++f) {
        float red, green, blue;
        if (!ReadF32(file, &red) || !ReadF32(file, &green) || !ReadF32(file, &blue)) return 0;
        D3DLIGHT7* frame = &frames[f];
        std::memset(frame, 0, sizeof *frame);
        frame->dltType = spot == 1 ? D3DLIGHT_SPOT : D3DLIGHT_POINT;
        frame->dvRange = range;
        switch (attenuation) {
            case 0:
                // Constant attenuation ignores the colour multiplier.
                frame->dvAttenuation0 = 1.0f;
                multiplier = 1.0f;
                break;
            case 1:
                frame->dvAttenuation1 = 0.5f;
                break;
            case 2:
                frame->dvAttenuation2 = 0.1f;
                break;
            default:
                break;
        }
        frame->dcvDiffuse.r = frame->dcvAmbient.r = red * multiplier * light->intensity;
        frame->dcvDiffuse.g = frame->dcvAmbient.g = green * multiplier * light->intensity;
        frame->dcvDiffuse.b = frame->dcvAmbient.b = blue * multiplier * light->intensity;
        if (!ReadVector(file, &frame->dvPosition)) return 0;
        if (spot == 1) {
            if (!ReadVector(file, &frame->dvDirection)) return 0;
            frame->dvTheta = 2.8274333f;
            frame->dvPhi = 3.1415927f;
        }
        frame->dvFalloff = 1.0f;
    }
    WriteLog("QX3:\t\t\tlight read");
    return 1;
}

int ReadSceneData(MemoryFile* file, Scene* scene) {
    if (ReadScene(file, scene) && VisibilityFitsSceneFile(scene, file->size)) return 1;
    DeleteCreatedTextures(scene);
    DiscardSceneData(scene);
    return 0;
}

void ReadSceneFile(char* fileName, Scene* scene) {
    StripDataPath(fileName);
    MemoryFile* file = OpenDataFile(fileName);
    if (!file) {
        WriteLogFormat("ERROR:\t\t%s\tQX3file NOT opend", fileName);
        return;
    }
    WriteLogFormat("QX3:\t\t%s\tQX3file opend", fileName);
    if (!ReadSceneData(file, scene))
        WriteLogFormat("ERROR:\t\t%s\tQX3file damaged, scene left empty", fileName);
    MemClose(file);
    WriteLogFormat("QX3:\t\t%s\tQX3file closed", fileName);
    WriteLog("");
}
