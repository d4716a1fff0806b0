#include "import/ImportTool.h"

#include <assimp/Importer.hpp>
#include <assimp/importerdesc.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include "geometry/SGFFile.h"
#include "import/CatalogueUpdater.h"
#include "import/SceneConverter.h"
#include "import/TextureExporter.h"

namespace zelimport {

namespace fs = std::filesystem;

namespace {

const char* const PROGRAM = "world-of-ulmera-import";

int usage() {
    std::fprintf(stderr,
                 "usage: %s IN OUT.sgf [--scale S] [--texture-dir DIR] [--catalogue FILE]\n"
                 "       %s --formats\n",
                 PROGRAM, PROGRAM);
    return ImportTool::EXIT_USAGE;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "%s: error: %s\n", PROGRAM, message.c_str());
    return ImportTool::EXIT_FAILED;
}

std::string formatName(const Assimp::Importer& importer, const std::string& path) {
    std::string extension = fs::path(path).extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    const size_t index = importer.GetImporterIndex(extension.c_str());
    const aiImporterDesc* description = index != static_cast<size_t>(-1) ? importer.GetImporterInfo(index) : nullptr;
    return description != nullptr && description->mName != nullptr ? description->mName : "unknown format";
}

// Materials whose meshes have at least one face with three corners or more.
std::vector<bool> materialsInUse(const aiScene& scene, std::size_t slots) {
    std::vector<bool> used(slots, false);
    for (unsigned m = 0; scene.mMeshes != nullptr && m < scene.mNumMeshes; ++m) {
        const aiMesh* mesh = scene.mMeshes[m];
        if (mesh == nullptr || mesh->mFaces == nullptr) continue;
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            if (mesh->mFaces[f].mNumIndices >= 3) {
                used[mesh->mMaterialIndex < slots - 1 ? mesh->mMaterialIndex : slots - 1] = true;
                break;
            }
        }
    }
    return used;
}

void printDropped(const ConversionStats& s, const std::vector<std::string>& notes) {
    const std::pair<std::size_t, const char*> reasons[] = {
        {s.lines, "line segments (SGF models hold triangles only)"},
        {s.points, "points (SGF models hold triangles only)"},
        {s.emptyFaces, "faces without corners"},
        {s.badIndices, "triangles with a vertex index outside their mesh"},
        {s.nonFinite, "triangles with NaN, infinite or out-of-range coordinates"},
        {s.badMeshRefs, "node references to meshes the file does not hold"},
        {s.deepNodes, "nodes nested too deeply (with everything below them)"},
    };
    bool any = false;
    for (const auto& [count, text] : reasons) {
        if (count == 0) continue;
        std::printf("dropped: %zu %s\n", count, text);
        any = true;
    }
    if (s.badMaterials > 0) {
        std::printf("replaced: %zu meshes name a material the file does not hold; they are drawn grey\n",
                    s.badMaterials);
        any = true;
    }
    for (const std::string& note : notes) {
        std::printf("replaced: %s\n", note.c_str());
        any = true;
    }
    if (!any) std::printf("dropped: nothing\n");
}

// Text from the model for a message: printable ASCII, at most 80 characters.
std::string printable(const std::string& text) {
    std::string out;
    for (char c : text.substr(0, 80)) out += (c >= 0x20 && c < 0x7f) ? c : '?';
    return text.size() > 80 ? out + "..." : out;
}

// The input's file name as the document's title, which is written inside an
// XML comment: no "--" may appear there.
std::string title(const std::string& input) {
    std::string name = SceneConverter::sanitiseName(fs::path(input).filename().string(), 80);
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

void removeFiles(const std::string& dir, const std::vector<std::string>& names) {
    std::error_code error;
    for (const std::string& name : names) fs::remove(fs::path(dir) / name, error);
}

} // namespace

int ImportTool::run(int argc, const char* const* argv) {
    std::vector<std::string> positional;
    double scale = 1.0;
    std::string textureDir, catalogue;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--formats" && argc == 2) {
            Assimp::Importer importer;
            std::string list;
            importer.GetExtensionList(list);
            std::printf("%s\n", list.c_str());
            return EXIT_OK;
        }
        if ((arg == "--scale" || arg == "--texture-dir" || arg == "--catalogue") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--texture-dir") {
                textureDir = value;
            } else if (arg == "--catalogue") {
                catalogue = value;
            } else {
                char* end = nullptr;
                scale = std::strtod(value.c_str(), &end);
                if (end == value.c_str() || *end != '\0' || !(scale > 0.0) || scale > 1.0e6)
                    return fail("--scale needs a positive number, not '" + value + "'");
            }
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            return usage();
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2) return usage();
    const std::string input = positional[0];
    const std::string output = positional[1];

    std::error_code error;
    if (!fs::is_regular_file(input, error)) return fail("cannot read " + input + ": no such file");
    if (fs::file_size(input, error) > static_cast<std::uintmax_t>(MAX_INPUT_BYTES))
        return fail("cannot read " + input + ": larger than " + std::to_string(MAX_INPUT_BYTES >> 20) + " MB");
    const fs::path outPath(output);
    if (outPath.filename().empty() || fs::is_directory(outPath, error))
        return fail(output + " is not a file name");
    if (textureDir.empty()) textureDir = outPath.parent_path().empty() ? "." : outPath.parent_path().string();

    Assimp::Importer importer;
    // Assimp's structure validation is left off: it rejects whole files for
    // parts the conversion leaves out anyway (an empty mesh beside good ones,
    // a light without a node), and the conversion checks what it uses itself.
    const aiScene* scene =
        importer.ReadFile(input, aiProcess_Triangulate | aiProcess_GenUVCoords | aiProcess_TransformUVCoords);
    if (scene == nullptr) {
        std::string why = importer.GetErrorString();
        while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
        if (why.find("bad_alloc") != std::string::npos)
            why = "it states sizes that need more memory than the importer may use";
        return fail("cannot read " + input + ": " + (why.empty() ? "Assimp gives no reason" : why));
    }
    const std::string format = formatName(importer, input);

    const std::vector<MaterialInfo> materials = SceneConverter::describeMaterials(*scene);
    const std::vector<bool> used = materialsInUse(*scene, materials.size());
    if (std::find(used.begin(), used.end(), true) == used.end())
        return fail(input + " (" + format + ") holds no triangles to import");

    fs::create_directories(textureDir, error);
    if (!fs::is_directory(textureDir, error)) return fail("cannot create the texture folder " + textureDir);
    const std::string prefix = SceneConverter::sanitiseName(outPath.stem().string(), 32);
    TextureExporter exporter(*scene, fs::path(input).parent_path().string(), textureDir, prefix);
    std::vector<std::string> textureOfMaterial(materials.size());
    std::vector<std::string> notes;
    for (std::size_t m = 0; m < materials.size(); ++m) {
        if (!used[m]) continue;
        std::string reason;
        const MaterialInfo& material = materials[m];
        if (!material.diffuseTexture.empty()) {
            textureOfMaterial[m] = exporter.exportTexture(material.diffuseTexture, reason);
            if (textureOfMaterial[m].empty())
                notes.push_back("texture '" + printable(material.diffuseTexture) +
                                "' of material " + material.name + " " + reason +
                                "; a one-colour texture stands in");
        }
        if (textureOfMaterial[m].empty()) textureOfMaterial[m] = exporter.exportColour(material.rgb, reason);
        if (textureOfMaterial[m].empty()) {
            removeFiles(textureDir, exporter.written());
            return fail("texture of material " + material.name + " " + reason);
        }
    }

    ConversionStats stats;
    const assetgen::sgf::Document document =
        SceneConverter::convert(*scene, "Imported from " + title(input),
                                materials, textureOfMaterial, scale, stats);
    std::string problem;
    if (stats.overLimit > 0)
        problem = input + " has more than " + std::to_string(SceneConverter::MAX_TRIANGLES) +
                  " triangles, more than the engine's model reader takes";
    else if (stats.triangles == 0)
        problem = input + " (" + format + ") yields no usable triangles";
    std::string xml;
    if (problem.empty()) {
        xml = document.toXml();
        if (static_cast<long long>(xml.size()) > zel::SGFFile::MAX_FILE_BYTES)
            problem = "the model makes a " + std::to_string(xml.size() >> 20) + " MB SGF file; the engine reads up to " +
                      std::to_string(zel::SGFFile::MAX_FILE_BYTES >> 20) + " MB (" +
                      std::to_string(stats.triangles) + " triangles)";
    }
    if (!problem.empty()) {
        removeFiles(textureDir, exporter.written());
        return fail(problem);
    }

    const std::string temporary = output + ".importing." + std::to_string(getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(xml.data(), static_cast<std::streamsize>(xml.size()));
        out.close();
        if (!out.good() || std::rename(temporary.c_str(), output.c_str()) != 0) {
            std::remove(temporary.c_str());
            removeFiles(textureDir, exporter.written());
            return fail("cannot write " + output);
        }
    }

    std::printf("imported: %s (%s)\n", input.c_str(), format.c_str());
    std::printf("written: %s\n", output.c_str());
    std::printf("meshes: %zu\n", stats.meshes);
    std::printf("vertices: %zu\n", stats.vertices);
    std::printf("triangles: %zu\n", stats.triangles);
    std::string names;
    for (const std::string& name : exporter.written()) names += (names.empty() ? "" : ", ") + name;
    std::printf("textures written: %zu%s%s (in %s)\n", exporter.written().size(), names.empty() ? "" : ": ",
                names.c_str(), textureDir.c_str());
    printDropped(stats, notes);

    if (!catalogue.empty()) {
        std::size_t added = 0;
        std::string reason;
        if (!CatalogueUpdater::update(catalogue, exporter.written(), added, reason))
            return fail("catalogue " + catalogue + " " + reason + "; the model and its textures are written");
        std::printf("catalogue: %zu entries added to %s\n", added, catalogue.c_str());
    }
    return EXIT_OK;
}

} // namespace zelimport
