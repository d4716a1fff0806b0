#include "assetgen/TextureSet.h"

#include "assetgen/Catalogue.h"
#include "assetgen/CubeFaces.h"
#include "assetgen/EffectPainter.h"
#include "assetgen/HeightmapPainter.h"
#include "assetgen/ImageWriter.h"
#include "assetgen/MaterialPainter.h"
#include "assetgen/SkyPainter.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <system_error>

namespace assetgen {

namespace {

enum class Format { Jpeg, Bmp, Tga };

struct Job {
    std::string fileName;
    Format format;
    std::function<Raster()> paint;
};

std::vector<Job> jobs() {
    // The sky faces fill the screen with nearest filtering and keep their
    // detail; the sea's reflection is bent by the waves and needs less.
    const int SKY_FACE = 512;
    const int REFLECTION_FACE = 256;
    std::vector<Job> list;
    list.push_back({"default.jpg", Format::Jpeg, [] { return EffectPainter::missingTexture(256); }});
    list.push_back({"font.bmp", Format::Bmp, [] {
                        const CatalogueEntry* e = Catalogue::find("font.bmp");
                        return EffectPainter::fontAtlas(e ? e->keyRed : 0, e ? e->keyGreen : 0,
                                                        e ? e->keyBlue : 0);
                    }});
    for (int reflection = 0; reflection < 2; ++reflection) {
        for (int f = 0; f < CubeFaces::FACE_COUNT; ++f) {
            const CubeFace face = CubeFaces::face(f);
            const std::string prefix = reflection ? "water_" : "sky_";
            const CubeLayout layout = reflection ? CubeLayout::CubeMap : CubeLayout::SkyBox;
            list.push_back({prefix + CubeFaces::name(face) + ".jpg", Format::Jpeg,
                            [=] { return SkyPainter().paintFace(layout, face, reflection ? REFLECTION_FACE : SKY_FACE, reflection != 0); }});
        }
    }
    list.push_back({"noise_0.jpg", Format::Jpeg, [] { return EffectPainter::waterNoise(256); }});
    list.push_back({"firecolor.jpg", Format::Jpeg, [] { return EffectPainter::fireColourRamp(256, 32); }});
    list.push_back({"firemask.bmp", Format::Bmp, [] { return EffectPainter::flameMask(256); }});
    list.push_back({"firenoise.jpg", Format::Jpeg, [] { return EffectPainter::fireNoise(256); }});
    list.push_back({"heightmap.tga", Format::Tga, [] { return HeightmapPainter::paint(256); }});
    list.push_back({"gras_4_dl.tga", Format::Tga, [] { return MaterialPainter::grass(512); }});
    list.push_back({"waterparticle_0.tga", Format::Tga, [] { return EffectPainter::glowDroplet(256); }});
    list.push_back({"stone_wall.jpg", Format::Jpeg, [] { return MaterialPainter::stoneWall(256); }});
    list.push_back({"plaster.jpg", Format::Jpeg, [] { return MaterialPainter::plaster(256); }});
    list.push_back({"timber.jpg", Format::Jpeg, [] { return MaterialPainter::timber(256); }});
    list.push_back({"roof_tiles.jpg", Format::Jpeg, [] { return MaterialPainter::roofTiles(256); }});
    list.push_back({"door.jpg", Format::Jpeg, [] { return MaterialPainter::door(256, 512); }});
    list.push_back({"window.jpg", Format::Jpeg, [] { return MaterialPainter::window(256); }});
    list.push_back({"cobbles.jpg", Format::Jpeg, [] { return MaterialPainter::cobbles(256); }});
    list.push_back({"well_stone.jpg", Format::Jpeg, [] { return MaterialPainter::wellStone(256); }});
    list.push_back({"fountain_water.jpg", Format::Jpeg, [] { return MaterialPainter::fountainWater(256); }});
    list.push_back({"wood.jpg", Format::Jpeg, [] { return MaterialPainter::wood(256); }});
    return list;
}

} // namespace

std::vector<std::string> TextureSet::fileNames() {
    std::vector<std::string> names;
    for (const Job& job : jobs()) names.push_back(job.fileName);
    return names;
}

std::string TextureSet::textureDir(const std::string& runDir) { return runDir + "/data/textures/"; }

bool TextureSet::writeAll(const std::string& runDir) {
    const std::string dir = textureDir(runDir);
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "assetgen: cannot create %s: %s\n", dir.c_str(), error.message().c_str());
        return false;
    }
    bool ok = true;
    for (const Job& job : jobs()) {
        const Raster raster = job.paint();
        if (raster.width() == 0 || raster.height() == 0) {
            std::fprintf(stderr, "assetgen: could not paint %s\n", job.fileName.c_str());
            ok = false;
            continue;
        }
        const std::string path = dir + job.fileName;
        switch (job.format) {
        case Format::Jpeg: ok = ImageWriter::writeJpeg(path, raster) && ok; break;
        case Format::Bmp: ok = ImageWriter::writeBmp(path, raster) && ok; break;
        case Format::Tga: ok = ImageWriter::writeTga(path, raster) && ok; break;
        }
    }
    return ok;
}

} // namespace assetgen
