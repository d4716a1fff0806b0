// The model importer and viewer: real models (pictures in files and inside the model)
// against Assimp's triangle counts and the SGF checker; the conversion of a hand-built
// scene; catalogue updates; texture paths kept inside the model's folder; broken
// pictures; hostile files; misused command lines; the viewer's frame of an imported model.
#include <gtest/gtest.h>

#include <SDL/SDL_image.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "assetgen/ImageWriter.h"
#include "geometry/SGFChecker.h"
#include "geometry/SGFFile.h"
#include "import/CatalogueUpdater.h"
#include "import/SceneConverter.h"
#include "import/TextureExporter.h"
#include "support/GLContext.h"

namespace fs = std::filesystem;

namespace {

using zeltest::runCommand;

const std::string MODELS = "/usr/share/assimp/models/";

fs::path scratch(const std::string& name) {
    return zeltest::scratchDir("import-" + name);
}

void writeText(const fs::path& path, const std::string& text) {
    zeltest::writeFile(path.parent_path().string(), path.filename().string(), text);
}

std::string importer() {
    return std::string(ZEL_RUN_BIN) + "/world-of-ulmera-import";
}

long summaryValue(const std::string& out, const std::string& key) {
    const std::size_t at = out.find("\n" + key + ": ");
    return at == std::string::npos ? -1 : std::atol(out.c_str() + at + key.size() + 3);
}

std::set<std::string> filesUnder(const fs::path& dir) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            files.insert(fs::relative(entry.path(), dir).string());
    return files;
}

} // namespace

TEST(ImportTest, RealModelsPassTheCheckerWithAssimpsTriangleCount) {
    if (!fs::is_directory(MODELS))
        GTEST_SKIP() << "assimp-testmodels is not installed";
    const struct {
        const char* file;
        long triangles;
        long textures;
    } cases[] = {
        {"OBJ/spider.obj", 1368, 4},
        {"STL/Spider_ascii.stl", 1368, 1},
        // Pictures inside the model: by index, compressed and raw; by name, raw and compressed.
        {"glTF2/BoxTextured-glTF-Binary/BoxTextured.glb", 12, 1},
        {"MDL/MDL3 (3DGS A4)/minigun.MDL", 576, 1},
        {"MDL/MDL (HL1)/man.mdl", 190, 3},
        {"FBX/box_orphant_embedded_texture.fbx", 12, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const fs::path dir = scratch("real");
        std::string out, err;
        ASSERT_EQ(runCommand(importer() + " '" + MODELS + c.file + "' " + (dir / "model.sgf").string() +
                                 " --texture-dir " + (dir / "textures").string(),
                             out, err, dir),
                  0)
            << err;
        EXPECT_EQ(summaryValue(out, "triangles"), c.triangles);
        EXPECT_EQ(summaryValue(out, "textures written"), c.textures);

        const zel::SGFReport report =
            zel::SGFChecker((dir / "textures").string()).inspect((dir / "model.sgf").string());
        EXPECT_TRUE(report.isClean()) << zel::SGFChecker::format(report);
        EXPECT_EQ(static_cast<long>(report.totalFaces()), c.triangles);
    }
}

TEST(ImportTest, ConversionBakesTransformsTurnsAxesFlipsVAndLeavesOutBadParts) {
    aiScene scene;
    scene.mNumMaterials = 1;
    scene.mMaterials = new aiMaterial* [1] { new aiMaterial() };
    auto* mesh = new aiMesh();
    mesh->mNumVertices = 5;
    mesh->mVertices = new aiVector3D[5]{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {NAN, 0, 0}};
    mesh->mTextureCoords[0] = new aiVector3D[5]{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 0}};
    const std::vector<std::vector<unsigned>> faces = {{0, 1, 2, 3}, {0, 1}, {2}, {0, 1, 4}, {0, 1, 9}};
    mesh->mNumFaces = static_cast<unsigned>(faces.size());
    mesh->mFaces = new aiFace[faces.size()];
    for (std::size_t f = 0; f < faces.size(); ++f) {
        mesh->mFaces[f].mNumIndices = static_cast<unsigned>(faces[f].size());
        mesh->mFaces[f].mIndices = new unsigned[faces[f].size()];
        std::copy(faces[f].begin(), faces[f].end(), mesh->mFaces[f].mIndices);
    }
    scene.mNumMeshes = 1;
    scene.mMeshes = new aiMesh* [1] { mesh };
    // The root moves by (0, 0, 5); its child mirrors x and refers to the mesh
    // and to a mesh the scene does not hold. The file states z up.
    scene.mRootNode = new aiNode("root");
    aiMatrix4x4::Translation(aiVector3D(0, 0, 5), scene.mRootNode->mTransformation);
    auto* child = new aiNode("child");
    aiMatrix4x4::Scaling(aiVector3D(-1, 1, 1), child->mTransformation);
    child->mNumMeshes = 2;
    child->mMeshes = new unsigned[2]{0, 7};
    scene.mRootNode->mNumChildren = 1;
    scene.mRootNode->mChildren = new aiNode* [1] { child };
    scene.mMetaData = aiMetadata::Alloc(1);
    scene.mMetaData->Set(0, "UpAxis", int32_t(2));

    const auto materials = zelimport::SceneConverter::describeMaterials(scene);
    ASSERT_EQ(materials.size(), 2u); // the scene's one and the grey stand-in
    zelimport::ConversionStats stats;
    const auto document =
        zelimport::SceneConverter::convert(scene, "t", materials, {"m.jpg", "grey.bmp"}, 2.0, stats);
    const std::vector<std::size_t> counts = {stats.triangles, stats.lines,      stats.points,
                                             stats.nonFinite, stats.badIndices, stats.badMeshRefs,
                                             stats.meshes,    stats.vertices};
    EXPECT_EQ(counts, (std::vector<std::size_t>{2, 1, 1, 1, 1, 1, 1, 4}));

    const fs::path dir = scratch("convert");
    writeText(dir / "t.sgf", document.toXml());
    const zel::SGFFile file((dir / "t.sgf").string());
    ASSERT_EQ(file.getMeshes().size(), 1u);
    const zel::SGFMesh& out = file.getMeshes()[0];
    ASSERT_EQ(out.faces.size(), 2u);
    // (x, y, z) -> (-x, y, z + 5) scaled by 2, then z up -> y up: (x, z, -y).
    const zel::Vector3 expected[] = {{0, 10, 0}, {-2, 10, 0}, {-2, 10, -2}};
    const zel::Vector2 expectedUv[] = {{0, 1}, {1, 1}, {1, 0}};
    // The mirror reverses the corner order: face 0 is (0, 2, 1) of the quad's fan.
    const int order[] = {0, 2, 1};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(out.vertices[out.faces[0].indices[c]], expected[order[c]]) << c;
        EXPECT_EQ(out.faces[0].texCoords[c], expectedUv[order[c]]) << c;
    }
    EXPECT_EQ(out.faces[1].texture, "m.jpg");
}

TEST(ImportTest, CatalogueGainsOnlyNewEntriesAndKeepsItsText) {
    const std::string existing =
        "<?xml version=\"1.0\"?>\n<!-- kept -->\n<textures>\n  <texture><filename>a.jpg</filename>"
        "<alpha enabled=\"true\"/></texture>\n</textures>\n";
    std::string updated, reason;
    std::size_t added = 0;
    ASSERT_TRUE(zelimport::CatalogueUpdater::addEntries(existing, {"a.jpg", "b.tga", "b.tga"}, updated, added,
                                                        reason));
    EXPECT_EQ(added, 1u);
    EXPECT_EQ(updated.substr(0, existing.rfind("</textures>")),
              existing.substr(0, existing.rfind("</textures>")));

    for (const char* broken : {"<textures>", "<other/>", "not xml"})
        EXPECT_FALSE(zelimport::CatalogueUpdater::addEntries(broken, {"c.jpg"}, updated, added, reason))
            << broken;
}

TEST(ImportTest, TexturePathsResolveOnlyInsideTheModelsFolder) {
    const fs::path dir = scratch("resolve");
    fs::create_directories(dir / "model" / "sub");
    writeText(dir / "model" / "wood.png", "x");
    writeText(dir / "model" / "sub" / "stone.png", "x");
    writeText(dir / "secret.png", "x");
    const std::string model = (dir / "model").string();
    const struct {
        const char* path;
        const char* found; // relative to the model's folder, or empty
        const char* reason;
    } cases[] = {
        {"wood.png", "wood.png", ""},          {"sub\\stone.png", "sub/stone.png", ""},
        {"SUB\\STONE.PNG", "", "not found"},   {"sub\\STONE.PNG", "sub/stone.png", ""},
        {"C:\\art\\wood.png", "wood.png", ""}, {"../secret.png", "", "outside"},
        {"/etc/passwd", "", "outside"},        {"missing.png", "", "not found"},
    };
    for (const auto& c : cases) {
        std::string reason;
        const std::string found = zelimport::TextureExporter::resolve(model, c.path, reason);
        if (*c.found != '\0') {
            EXPECT_EQ(found, fs::weakly_canonical(dir / "model" / c.found).string()) << c.path;
        } else {
            EXPECT_EQ(found, "") << c.path;
            EXPECT_NE(reason.find(c.reason), std::string::npos) << c.path << ": " << reason;
        }
    }
}

// Texture sources as a model names them: usable pictures are written once
// each under names that do not collide, broken or oversized ones are refused
// with the reason (the importer then puts a one-colour texture in their place).
TEST(ImportTest, TextureExportWritesUsablePicturesOnceAndRefusesBrokenOnes) {
    const fs::path dir = scratch("export");
    fs::create_directories(dir / "sub");
    fs::create_directories(dir / "out");
    assetgen::Raster clear(2, 2, 4); // translucent: kept as a TGA with alpha
    clear.fill([](int x, int) { return assetgen::Colour{1.0f, 0.0f, 0.0f, x * 0.5f}; });
    ASSERT_TRUE(assetgen::ImageWriter::writeTga((dir / "glass.tga").string(), clear, true));
    ASSERT_TRUE(assetgen::ImageWriter::writeTga((dir / "sub" / "glass.tga").string(), clear, true));
    writeText(dir / "empty.png", "");
    writeText(dir / "huge.gif", std::string("GIF89a\xff\xff\xff\xff", 10));
    // A BMP header whose height is INT32_MIN, which has no positive counterpart.
    writeText(dir / "huge.bmp",
              "BM" + std::string(12, '\0') + std::string("\x28\0\0\0\4\0\0\0\0\0\0\x80", 12));
    writeText(dir / "os2.bmp",
              "BM" + std::string(12, '\0') + std::string("\x0c\0\0\0\x29\x23\1\0", 8) + std::string(4, '\0'));
    writeText(dir / "junk.jpg", "not a picture");
    writeText(dir / "big.png", "");
    fs::resize_file(dir / "big.png", zelimport::TextureExporter::MAX_SOURCE_BYTES + 1);
    const aiScene scene;
    zelimport::TextureExporter exporter(scene, dir.string(), (dir / "out").string(), "m");
    const struct {
        const char* path;
        const char* result; // the file written, or the start of the reason
    } cases[] = {
        {"glass.tga", "m_glass.tga"},
        {"sub/glass.tga", "m_glass_2.tga"},
        {"glass.tga", "m_glass.tga"},
        {"empty.png", "is empty"},
        {"huge.gif", "is too large (65535 x 65535, at most 8192)"},
        {"huge.bmp", "is too large (4 x 2147483647, at most 8192)"},
        {"os2.bmp", "is too large (9001 x 1, at most 8192)"},
        {"junk.jpg", "cannot be decoded ("},
        {"big.png", "is larger than 64 MB"},
        {"*5", "names an embedded picture the model does not hold"},
    };
    for (const auto& c : cases) {
        std::string reason;
        const std::string name = exporter.exportTexture(c.path, reason);
        EXPECT_EQ(name.empty() ? reason.substr(0, std::strlen(c.result)) : name, c.result) << c.path;
    }
    EXPECT_EQ(exporter.written(), (std::vector<std::string>{"m_glass.tga", "m_glass_2.tga"}));
    EXPECT_EQ(zeltest::readFile((dir / "out" / "m_glass.tga").string()),
              zeltest::readFile((dir / "glass.tga").string()));
}

TEST(ImportTest, HostileFilesFailCleanlyOrLoseOnlyTheBadPartsAndWriteNothingElsewhere) {
    const struct {
        const char* name;
        std::string content;
        int status;
        long triangles;
        const char* message;
    } cases[] = {
        {"truncated.stl", std::string(80, ' ') + std::string("\xff\xff\xff\x0f", 4) + std::string(50, '\0'),
         1, -1, "cannot read"},
        {"huge.ply",
         "ply\nformat ascii 1.0\nelement vertex 4000000000\nproperty float x\nproperty float y\nproperty "
         "float z\n"
         "element face 1\nproperty list uchar int vertex_indices\nend_header\n0 0 0\n",
         1, -1, "error"},
        {"empty.obj", "", 1, -1, "cannot read"},
        {"lines.obj", "v 0 0 0\nv 1 0 0\nl 1 2\n", 1, -1, "no triangles"},
        {"nan.obj", "v nan nan nan\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 2 3 4\nf 1 2 3\nl 2 3\n", 0, 1,
         "1 triangles with NaN"},
        {"escape.obj",
         "mtllib escape.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nusemtl out\nf 1 2 3\nusemtl gone\nf 2 4 3\n",
         0, 2, "outside the model's folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path dir = scratch("hostile");
        fs::create_directories(dir / "model");
        writeText(dir / "model" / c.name, c.content);
        writeText(dir / "model" / "escape.mtl",
                  "newmtl out\nKd 1 0 0\nmap_Kd ../outside.bmp\nnewmtl gone\nKd 0 1 0\n"
                  "map_Kd missing.bmp\n");
        assetgen::Raster picture(4, 4, 3);
        ASSERT_TRUE(assetgen::ImageWriter::writeBmp((dir / "outside.bmp").string(), picture));
        const std::set<std::string> before = filesUnder(dir);

        std::string out, err;
        const int status = runCommand("timeout 60 " + importer() + " " + (dir / "model" / c.name).string() +
                                          " " + (dir / "out" / "model.sgf").string() + " --texture-dir " +
                                          (dir / "out" / "textures").string(),
                                      out, err, dir);
        ASSERT_EQ(status, c.status) << out << err;
        EXPECT_NE((status == 0 ? out : err).find(c.message), std::string::npos) << out << err;
        EXPECT_EQ(summaryValue(out, "triangles"), c.triangles);
        for (const std::string& file : filesUnder(dir)) {
            if (before.count(file) != 0 || file == "stdout" || file == "stderr")
                continue;
            EXPECT_TRUE(status == 0 && (file == "out/model.sgf" || file.rfind("out/textures/", 0) == 0))
                << file;
            EXPECT_EQ(file.find("outside"), std::string::npos) << file;
        }
        if (status == 0) {
            EXPECT_TRUE(zel::SGFChecker((dir / "out" / "textures").string())
                            .inspect((dir / "out" / "model.sgf").string())
                            .isClean());
        }
    }
}

// Misused command lines, and a catalogue that cannot be updated after the model is written.
TEST(ImportTest, CommandLinesAndCataloguesAreChecked) {
    const fs::path dir = scratch("usage");
    writeText(dir / "tri.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    writeText(dir / "empty.xml", "");
    const struct {
        std::string args;
        int status;
        std::string message;
    } cases[] = {
        {"--formats", 0, "*.obj;"},
        {"--bogus in.obj out.sgf", 2, "usage: world-of-ulmera-import IN OUT.sgf [--scale S]"},
        {"in.obj out.sgf --scale 1e7", 1, "error: --scale needs a positive number, not '1e7'"},
        {importer() + " " + dir.string(), 1, "error: " + dir.string() + " is not a file name"},
        {(dir / "tri.obj").string() + " " + (dir / "tri.sgf").string() + " --catalogue " +
             (dir / "empty.xml").string(),
         1, "empty.xml is empty; the model and its textures are written"},
    };
    for (const auto& c : cases) {
        std::string out, err;
        EXPECT_EQ(runCommand(importer() + " " + c.args, out, err, dir), c.status) << c.args;
        EXPECT_NE((c.status == 0 ? out : err).find(c.message), std::string::npos) << out << err;
    }
    EXPECT_TRUE(fs::is_regular_file(dir / "tri.sgf"));
}

TEST(ImportTest, ViewerFramesAnImportedModelAndNeedsADisplay) {
    const fs::path dir = scratch("view");
    // A private run layout: the generated data and catalogue, with a texture
    // folder of its own for the imported model.
    const fs::path run = fs::path(ZEL_RUN_BIN).parent_path();
    fs::create_directories(dir / "layout" / "bin");
    fs::create_directories(dir / "layout" / "data" / "textures");
    for (const auto& entry : fs::directory_iterator(run / "data"))
        if (entry.path().filename() != "textures")
            fs::create_symlink(entry.path(), dir / "layout" / "data" / entry.path().filename());
    for (const auto& entry : fs::directory_iterator(run / "data" / "textures"))
        fs::create_symlink(entry.path(), dir / "layout" / "data" / "textures" / entry.path().filename());
    fs::copy_file(run / "textures.xml", dir / "layout" / "textures.xml");
    // A magenta cube without a texture: it gets a one-colour texture.
    writeText(dir / "cube.obj",
              "mtllib cube.mtl\nusemtl pink\nv -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\nv -1 -1 1\n"
              "v 1 -1 1\nv 1 1 1\nv -1 1 1\nf 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\n"
              "f 4 1 5 8\n");
    writeText(dir / "cube.mtl", "newmtl pink\nKd 1 0 1\n");
    const std::string bin = (dir / "layout" / "bin").string();
    std::string out, err;
    ASSERT_EQ(runCommand("cd " + bin + " && " + importer() +
                             " ../../cube.obj ../cube.sgf --texture-dir ../data/textures "
                             "--catalogue ../textures.xml",
                         out, err, dir),
              0)
        << err;

    const std::string viewer = std::string(ZEL_RUN_BIN) + "/world-of-ulmera-view";
    ASSERT_EQ(
        runCommand("cd " + bin + " && " + viewer + " ../cube.sgf --screenshot ../cube.png", out, err, dir), 0)
        << err;
    EXPECT_NE(err.find("cube, 12 triangles"), std::string::npos) << err;
    // The framed model fills the middle of the frame with its magenta.
    SDL_Surface* picture = IMG_Load((dir / "layout" / "cube.png").string().c_str());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(std::to_string(picture->w) + " x " + std::to_string(picture->h), "800 x 600");
    const Uint8 bytes = picture->format->BytesPerPixel;
    Uint32 value = 0;
    std::memcpy(&value, static_cast<const Uint8*>(picture->pixels) + 300 * picture->pitch + 400 * bytes,
                bytes);
    Uint8 r = 0, g = 0, b = 0;
    SDL_GetRGB(value, picture->format, &r, &g, &b);
    SDL_FreeSurface(picture);
    EXPECT_GT(std::min(r, b), g + 40) << int(r) << " " << int(g) << " " << int(b);

    ASSERT_EQ(runCommand("cd " + bin + " && env -u DISPLAY " + viewer + " ../cube.sgf", out, err, dir), 0)
        << err;
    EXPECT_EQ(out, "Could not create the window.");
}
