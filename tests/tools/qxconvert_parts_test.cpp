// The converter's pieces on made-up input: large parts split, the ASCII
// scene reader on damaged and odd files, names the player can use, the
// starter script's times, texture paths from other machines, and textures
// written again where the player would take them otherwise than meant.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "qxconvert/ase_scene.h"
#include "qxconvert/conversion.h"
#include "qxconvert/export_names.h"
#include "qxconvert/starter_script.h"
#include "qxconvert/texture_export.h"
#include "data/memory_file.h"
#include "show/script_reader.h"
#include "support/temp_files.h"
#include "texture/texture_container.h"

using namespace velmora::tools;

namespace {

// A flat grid of cells x cells squares, two triangles each, as the import
// library would hand it over: one node, one mesh, one material.
std::unique_ptr<aiScene> Grid(unsigned cells) {
    auto scene = std::make_unique<aiScene>();
    unsigned side = cells + 1;
    auto* mesh = new aiMesh();
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mNumVertices = side * side;
    mesh->mVertices = new aiVector3D[mesh->mNumVertices];
    for (unsigned y = 0; y < side; ++y)
        for (unsigned x = 0; x < side; ++x) mesh->mVertices[y * side + x] = aiVector3D(float(x), float(y), 0.0f);
    mesh->mNumFaces = cells * cells * 2;
    mesh->mFaces = new aiFace[mesh->mNumFaces];
    unsigned f = 0;
    for (unsigned y = 0; y < cells; ++y)
        for (unsigned x = 0; x < cells; ++x) {
            unsigned a = y * side + x, b = a + 1, c = a + side, d = c + 1;
            for (auto corners : {std::array<unsigned, 3>{a, b, d}, std::array<unsigned, 3>{a, d, c}}) {
                aiFace& face = mesh->mFaces[f++];
                face.mNumIndices = 3;
                face.mIndices = new unsigned[3]{corners[0], corners[1], corners[2]};
            }
        }
    scene->mNumMeshes = 1;
    scene->mMeshes = new aiMesh*[1]{mesh};
    scene->mNumMaterials = 1;
    scene->mMaterials = new aiMaterial*[1]{new aiMaterial()};
    scene->mRootNode = new aiNode("Grid");
    scene->mRootNode->mNumMeshes = 1;
    scene->mRootNode->mMeshes = new unsigned[1]{0};
    return scene;
}

using Triangle = std::tuple<float, float, float, float, float, float>;  // two corners' x and y, z is 0

TEST(QxconvertSplit, PartsBeyond65535VerticesAreSplitLosingNoTriangle) {
    ImportedScene source;
    source.ownScene = Grid(300);  // 90,601 vertices, 180,000 triangles
    source.scene = source.ownScene.get();
    ConvertedScene converted;
    std::string why;
    ASSERT_TRUE(ConvertScene(source, {}, converted, why)) << why;
    ASSERT_EQ(CheckScene(converted.description), "");
    ASSERT_EQ(converted.description.objects.size(), 1u);
    const WriterObject& grid = converted.description.objects[0];
    EXPECT_GE(grid.parts.size(), 2u);
    EXPECT_TRUE(converted.notes.Has("parts of more than 65,535 vertices are split"));

    // Every source triangle once, with its corners in their order.
    std::set<std::tuple<float, float, float, float, float, float, float, float>> seen;
    size_t triangles = 0;
    for (const WriterPart& part : grid.parts) {
        EXPECT_LE(part.vertices.size(), 65535u);
        EXPECT_EQ(part.drawStyle, grid.parts[0].drawStyle);
        for (const auto& polygon : part.polygons) {
            const WriterVertex& a = part.vertices[static_cast<size_t>(polygon[0])];
            const WriterVertex& b = part.vertices[static_cast<size_t>(polygon[1])];
            const WriterVertex& c = part.vertices[static_cast<size_t>(polygon[2])];
            EXPECT_TRUE(seen.emplace(a.x, a.y, b.x, b.y, c.x, c.y, a.z, b.z + c.z).second);
            ++triangles;
        }
    }
    EXPECT_EQ(triangles, 180000u);
    for (unsigned y = 0; y < 300; y += 37)
        for (unsigned x = 0; x < 300; x += 41) {
            float fx = float(x), fy = float(y);
            EXPECT_TRUE(seen.count({fx, fy, fx + 1, fy, fx + 1, fy + 1, 0.0f, 0.0f})) << x << " " << y;
            EXPECT_TRUE(seen.count({fx, fy, fx + 1, fy + 1, fx, fy + 1, 0.0f, 0.0f})) << x << " " << y;
        }

    // Under the limit nothing is split.
    ImportedScene small;
    small.ownScene = Grid(100);
    small.scene = small.ownScene.get();
    ConvertedScene whole;
    ASSERT_TRUE(ConvertScene(small, {}, whole, why)) << why;
    EXPECT_EQ(whole.description.objects[0].parts.size(), 1u);
    EXPECT_FALSE(whole.notes.Has("parts of more than 65,535 vertices are split"));
}

bool ReadAse(const std::string& text, ImportedScene& scene, std::string& why) {
    AseBlock document;
    return ParseAseDocument(text, document, why) && BuildAseScene(document, scene, why);
}

// One object of one triangle, with the given extra lines in its body.
std::string OneTriangle(const std::string& extra = "", const std::string& faces = "*MESH_FACE 0: A: 0 B: 1 C: 2") {
    return "*3DSMAX_ASCIIEXPORT 200\n"
           "*GEOMOBJECT {\n *NODE_NAME \"Tri angle\"\n" + extra +
           " *MESH {\n  *MESH_NUMVERTEX 3\n  *MESH_NUMFACES 1\n"
           "  *MESH_VERTEX_LIST {\n   *MESH_VERTEX 0 0 0 0\n   *MESH_VERTEX 1 1 0 0\n   *MESH_VERTEX 2 0 1 0\n  }\n"
           "  *MESH_FACE_LIST {\n   " + faces + "\n  }\n }\n}\n";
}

TEST(QxconvertAseReader, DamagedFilesAreRefusedWithTheLineAtFault) {
    struct Case {
        std::string text;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"", "empty"},
        {"*GEOMOBJECT {\n}\n", "does not start with *3DSMAX_ASCIIEXPORT"},
        {"*3DSMAX_ASCIIEXPORT 200\n*SCENE {\n", "'}' is missing"},
        {"*3DSMAX_ASCIIEXPORT 200\n}\n", "line 2: a '}' closes no block"},
        {"*3DSMAX_ASCIIEXPORT 200\n*COMMENT \"no end\n", "quoted name runs to the end"},
        {"*3DSMAX_ASCIIEXPORT 200\n" + std::string(40, '{') + std::string(40, '}'), "nested deeper than 32"},
        {"*3DSMAX_ASCIIEXPORT 200\n*SCENE {\n *SCENE_FRAMESPEED 0\n}\n", "frame speed"},
        {"*3DSMAX_ASCIIEXPORT 200\n*SCENE {\n *SCENE_LASTFRAME 1e99\n}\n", "needs a number"},
        {"*3DSMAX_ASCIIEXPORT 200\n", "no object with faces"},
        {OneTriangle("", "*MESH_FACE 0: A: 0 B: 1 C: 3"), "line 13: a face needs"},
        {OneTriangle("", "*MESH_FACE 0: A: 0 B: 1 C: -1"), "a face needs"},
        {OneTriangle("", "*MESH_FACE 0: A: 0 B: 1"), "a face needs"},
        {OneTriangle(" *MATERIAL_REF 0\n"), "names no material"},
        {OneTriangle(" *NODE_TM {\n  *TM_ROW0 1 0 x\n }\n"), "line 5: a matrix row needs three numbers"},
        {OneTriangle(" *TM_ANIMATION {\n  *CONTROL_ROT_TRACK {\n   *CONTROL_ROT_SAMPLE 0 1 0\n  }\n }\n"),
         "a rotation key needs an axis and an angle"},
    };
    for (const Case& c : cases) {
        ImportedScene scene;
        std::string why;
        EXPECT_FALSE(ReadAse(c.text, scene, why)) << c.message;
        EXPECT_NE(why.find(c.message), std::string::npos) << "expected \"" << c.message << "\", got: " << why;
        EXPECT_EQ(scene.scene, nullptr);
    }
    // Counts beyond the lists are refused before anything is made for them.
    std::string huge = OneTriangle();
    huge.replace(huge.find("*MESH_NUMVERTEX 3"), 17, "*MESH_NUMVERTEX 2000000000");
    ImportedScene scene;
    std::string why;
    EXPECT_FALSE(ReadAse(huge, scene, why));
    EXPECT_NE(why.find("fewer vertices or faces than it counts"), std::string::npos) << why;
}

TEST(QxconvertAseReader, SubMaterialsParentLoopsAndWideText) {
    // Face material ids pick sub-materials, wrapping round their number.
    std::string materials =
        "*MATERIAL_LIST {\n *MATERIAL_COUNT 1\n *MATERIAL 0 {\n  *MATERIAL_NAME \"Multi\"\n  *NUMSUBMTLS 2\n"
        "  *SUBMATERIAL 0 {\n   *MATERIAL_DIFFUSE 1 0 0\n  }\n"
        "  *SUBMATERIAL 1 {\n   *MATERIAL_DIFFUSE 0 0 1\n   *MATERIAL_TRANSPARENCY 0.25\n"
        "   *MAP_DIFFUSE {\n    *BITMAP \"C:\\maps\\glass.tga\"\n   }\n  }\n }\n}\n";
    std::string text = OneTriangle(" *MATERIAL_REF 0\n", "*MESH_FACE 0: A: 0 B: 1 C: 2 *MESH_SMOOTHING 1 *MESH_MTLID 3");
    text.insert(text.find("*GEOMOBJECT"), materials);
    ImportedScene scene;
    std::string why;
    ASSERT_TRUE(ReadAse(text, scene, why)) << why;
    ASSERT_EQ(scene.scene->mNumMeshes, 1u);
    const aiMaterial& material = *scene.scene->mMaterials[scene.scene->mMeshes[0]->mMaterialIndex];
    aiColor3D colour;
    float opacity = 0;
    aiString bitmap;
    material.Get(AI_MATKEY_COLOR_DIFFUSE, colour);
    material.Get(AI_MATKEY_OPACITY, opacity);
    material.GetTexture(aiTextureType_DIFFUSE, 0, &bitmap);
    EXPECT_EQ(colour, aiColor3D(0, 0, 1));  // id 3 of 2 sub-materials is the second
    EXPECT_FLOAT_EQ(opacity, 0.75f);
    EXPECT_STREQ(bitmap.C_Str(), "C:\\maps\\glass.tga");

    // Two nodes naming each other as parents both hang from the root.
    std::string loop = OneTriangle(" *NODE_PARENT \"B\"\n");
    loop += "*HELPEROBJECT {\n *NODE_NAME \"B\"\n *NODE_PARENT \"Tri angle\"\n}\n";
    ImportedScene looped;
    ASSERT_TRUE(ReadAse(loop, looped, why)) << why;
    EXPECT_EQ(looped.scene->mRootNode->mNumChildren, 2u);

    // A node transform that flattens everything leaves the vertices where
    // they are rather than making them infinite.
    ImportedScene flat;
    ASSERT_TRUE(ReadAse(OneTriangle(" *NODE_TM {\n  *TM_ROW0 0 0 0\n }\n"), flat, why)) << why;
    const aiVector3D& corner = flat.scene->mMeshes[0]->mVertices[1];
    EXPECT_EQ(corner, aiVector3D(1, 0, 0));

    // UTF-16 text with its byte-order mark reads as the same scene.
    std::string plain = OneTriangle(), wide = "\xFF\xFE";
    for (char c : plain) wide += std::string{c, '\0'};
    ImportedScene narrow, widened;
    ASSERT_TRUE(ReadAse(plain, narrow, why)) << why;
    ASSERT_TRUE(ReadAse(wide, widened, why)) << why;
    EXPECT_EQ(widened.scene->mMeshes[0]->mNumVertices, narrow.scene->mMeshes[0]->mNumVertices);
    EXPECT_STREQ(widened.scene->mRootNode->mChildren[0]->mName.C_Str(), "Tri angle");
}

TEST(QxconvertAseReader, AnimatedFieldOfViewAndLightColourFollowTheirKeys) {
    // Ticks of 160 a frame at 30 frames a second: tick 4800 is frame 30.
    std::string text = OneTriangle() +
                       "*CAMERAOBJECT {\n *NODE_NAME \"Lens\"\n"
                       " *CAMERA_SETTINGS {\n  *TIMEVALUE 0\n  *CAMERA_FOV 0.5\n }\n"
                       " *CAMERA_ANIMATION {\n  *CAMERA_SETTINGS {\n   *TIMEVALUE 4800\n   *CAMERA_FOV 1.0\n  }\n }\n}\n"
                       "*LIGHTOBJECT {\n *NODE_NAME \"Bulb\"\n *LIGHT_TYPE Omni\n"
                       " *LIGHT_SETTINGS {\n  *TIMEVALUE 0\n  *LIGHT_COLOR 1 0 0\n  *LIGHT_INTENS 1\n }\n"
                       " *LIGHT_ANIMATION {\n  *LIGHT_SETTINGS {\n   *TIMEVALUE 4800\n   *LIGHT_COLOR 0 0 1\n"
                       "   *LIGHT_INTENS 1\n  }\n }\n}\n";
    text.insert(text.find("*GEOMOBJECT"), "*SCENE {\n *SCENE_LASTFRAME 30\n *SCENE_FRAMESPEED 30\n"
                                          " *SCENE_TICKSPERFRAME 160\n}\n");
    ImportedScene scene;
    std::string why;
    ASSERT_TRUE(ReadAse(text, scene, why)) << why;
    ConvertedScene converted;
    ASSERT_TRUE(ConvertScene(scene, {}, converted, why)) << why;
    const SceneDescription& d = converted.description;
    EXPECT_EQ(d.frameCount, 31);
    ASSERT_EQ(d.cameras.size(), 1u);
    EXPECT_FLOAT_EQ(d.cameras[0].fov[0], 0.5f);
    EXPECT_NEAR(d.cameras[0].fov[15], 0.75f, 1e-5f);
    EXPECT_FLOAT_EQ(d.cameras[0].fov[30], 1.0f);
    ASSERT_EQ(d.lights.size(), 1u);
    const WriterLight& bulb = d.lights[0];
    EXPECT_EQ(bulb.attenuation, 0);  // the modeller's lights do not fade unless told to
    ASSERT_TRUE(bulb.animated);
    ASSERT_EQ(bulb.frames.size(), 31u);
    EXPECT_FLOAT_EQ(bulb.frames[0].red, 1.0f);
    EXPECT_FLOAT_EQ(bulb.frames[0].blue, 0.0f);
    EXPECT_NEAR(bulb.frames[15].red, 0.5f, 1e-5f);
    EXPECT_NEAR(bulb.frames[15].blue, 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(bulb.frames[30].blue, 1.0f);
}

TEST(QxconvertNames, WordsThePlayerAndItsScriptCanUse) {
    NameSet names;
    EXPECT_EQ(names.Take("Tri angle", "Object", kMaxNodeName), "Tri_angle");
    EXPECT_EQ(names.Take("tri_ANGLE", "Object", kMaxNodeName), "tri_ANGLE_2");  // case does not tell apart
    EXPECT_EQ(names.Take("\xC3\xA9t\xC3\xA9", "Object", kMaxNodeName), "__t__");
    EXPECT_EQ(names.Take("///", "Object", kMaxNodeName), "Object");
    EXPECT_EQ(names.Take("", "", kMaxNodeName), "x");
    std::string texture = names.Take(std::string(200, 'w'), "texture", kMaxTextureName, ".png");
    EXPECT_EQ(texture.size(), kMaxTextureName);
    EXPECT_EQ(texture.substr(texture.size() - 4), ".png");
    std::string again = names.Take(std::string(200, 'w'), "texture", kMaxTextureName, ".png");
    EXPECT_EQ(again.size(), kMaxTextureName);
    EXPECT_EQ(again.substr(again.size() - 6), "_2.png");
}

TEST(QxconvertStarterScript, TimesReadBackExactlyAndCamerasTakeTurns) {
    for (int64_t ms = 0; ms < 200000; ms += 7) {
        std::string text = ScriptSeconds(ms);
        ASSERT_EQ(ScriptTimeToMilliseconds(text.c_str()), ms) << text;
    }
    StarterShow show;
    show.sourceName = "my scene.glb";
    show.sceneFile = "my_scene.QX3";
    show.frameCount = 150;
    show.framesPerSecond = 30;
    show.cameras = {"Front", "Side"};
    show.twoSidedObjects = {"Leaf"};
    std::string script = StarterScript(show);
    EXPECT_EQ(script.find('\n'), script.find("\r\n") + 1);
    EXPECT_NE(script.find("[QX3][00] 2\r\n"), std::string::npos);
    EXPECT_NE(script.find("[QX3][01][Camera] 0 150 Front 0 0 100 0 FALSE\r\n"), std::string::npos);
    EXPECT_NE(script.find("[QX3][02][Camera] 0 150 Side 0 0 100 0 FALSE\r\n"), std::string::npos);
    EXPECT_NE(script.find("[QX3][02][Backface] Leaf FALSE\r\n"), std::string::npos);
    EXPECT_NE(script.find("[QX3][01][Play] 0.000 FALSE\r\n"), std::string::npos);
    EXPECT_NE(script.find("[QX3][02][Play] 5.000 FALSE\r\n"), std::string::npos);
    EXPECT_EQ(script.find("[Unload]"), std::string::npos);

    // One frame loops for five seconds a camera.
    show.frameCount = 1;
    script = StarterScript(show);
    EXPECT_NE(script.find("[QX3][01][Play] 0.000 TRUE\r\n"), std::string::npos);
    EXPECT_NE(script.find("[QX3][01][Stop] 5.000\r\n"), std::string::npos);
    EXPECT_NE(script.find("[QX3][02][Play] 5.000 TRUE\r\n"), std::string::npos);
}

TEST(QxconvertTextures, PathsFromTheModellingMachineAreFoundBesideTheSource) {
    std::string folder = velmora::testing::MakeTempDirectory();
    ASSERT_EQ(mkdir((folder + "/Maps").c_str(), 0755), 0);
    std::ofstream(folder + "/Maps/Wall.JPG") << "x";
    std::ofstream(folder + "/floor.tga") << "x";
    EXPECT_EQ(FindTextureFile("maps/wall.jpg", folder), folder + "/Maps/Wall.JPG");
    EXPECT_EQ(FindTextureFile("maps\\WALL.jpg", folder), folder + "/Maps/Wall.JPG");
    EXPECT_EQ(FindTextureFile("C:\\3dsmax\\maps\\FLOOR.TGA", folder), folder + "/floor.tga");
    EXPECT_EQ(FindTextureFile("/somewhere/else/floor.tga", folder), folder + "/floor.tga");
    EXPECT_EQ(FindTextureFile("missing.png", folder), "");
    EXPECT_EQ(FindTextureFile("Maps", folder), "");  // a folder is no texture
}

// The file as the player's texture loader decodes it: stored row 0 first, one
// 0xRRGGBBAA word a pixel; empty when it is refused.
std::vector<uint32_t> PlayerPixels(const TextureFile& file, ImageFormat format, uint32_t* width) {
    std::vector<uint8_t> bytes = file.bytes;
    MemoryFile memory{const_cast<char*>("texture"), int32_t(bytes.size()), 0, bytes.data()};
    auto* texture = new TextureContainer("texture", 0);
    std::vector<uint32_t> pixels;
    if (DecodeImageFile(texture, &memory, format) == 0) {
        pixels.assign(texture->pPixels, texture->pPixels + texture->dwWidth * texture->dwHeight);
        *width = texture->dwWidth;
    }
    delete texture;
    return pixels;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

TEST(QxconvertTextures, TgaStoredFromTheTopIsWrittenFromTheBottomAndLongSidesAreShortened) {
    std::string folder = velmora::testing::MakeTempDirectory();
    // 1 x 2 at 24 bits: red stored first, blue second. From the top, red is
    // the top of the picture; from the bottom, its bottom.
    auto tga = [](uint8_t descriptor) {
        return std::vector<uint8_t>{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0, 24, descriptor,
                                    0, 0, 255, 255, 0, 0};
    };
    WriteBytes(folder + "/top.tga", tga(0x20));
    WriteBytes(folder + "/bottom.tga", tga(0x00));
    // 9000 x 2 at 24 bits, wider than the player takes.
    std::vector<uint8_t> wide(54 + 2 * 27000, 0x50);
    std::fill(wide.begin(), wide.begin() + 54, 0);
    auto put = [&](size_t at, uint32_t value) { std::memcpy(wide.data() + at, &value, 4); };
    wide[0] = 'B';
    wide[1] = 'M';
    put(2, uint32_t(wide.size()));
    put(10, 54);
    put(14, 40);
    put(18, 9000);
    put(22, 2);
    put(26, 1 | 24 << 16);
    WriteBytes(folder + "/wide.bmp", wide);

    ImportedScene scene;
    scene.ownScene = std::make_unique<aiScene>();
    scene.scene = scene.ownScene.get();
    scene.directory = folder;
    ConversionNotes notes;
    TextureExport textures(scene, notes);
    EXPECT_EQ(textures.Use("top.tga", false), "top.tga");
    EXPECT_EQ(textures.Use("bottom.tga", false), "bottom.tga");
    EXPECT_EQ(textures.Use("wide.bmp", false), "wide.png");
    ASSERT_EQ(textures.Files().size(), 3u);

    uint32_t width = 0;
    std::vector<uint32_t> top = PlayerPixels(textures.Files()[0], ImageFormat::Tga, &width);
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top[0], 0x0000FFFFu);  // the bottom of the picture is blue
    EXPECT_EQ(top[1], 0xFF0000FFu);
    EXPECT_FALSE(TgaStoredFromTheTop(textures.Files()[0].bytes.data(), int64_t(textures.Files()[0].bytes.size())));
    // A file stored from the bottom is copied as it is.
    EXPECT_EQ(textures.Files()[1].bytes, tga(0x00));

    std::vector<uint32_t> shortened = PlayerPixels(textures.Files()[2], ImageFormat::Png, &width);
    ASSERT_FALSE(shortened.empty());
    EXPECT_EQ(width, 8192u);
    EXPECT_EQ(shortened[0], 0x505050FFu);
    EXPECT_TRUE(notes.Has("textures above 16 M pixels or 8192 pixels on a side are scaled down to fit"));
    while (textureList) delete textureList;
}

}  // namespace
