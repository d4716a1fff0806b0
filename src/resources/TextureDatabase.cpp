#include "resources/TextureDatabase.h"

#include "engine/Profiler.h"
#include "resources/DataFile.h"
#include "resources/TextureFactory.h"

#include <cstdio>

namespace zel {

namespace {

const char* const SOURCE = "TextureDatabase";

// The program's registry while it exists. A plain pointer has no destructor,
// so it stays readable while other singletons are destroyed at exit.
TextureDatabase* liveInstance = nullptr;
// Set once the program's registry has been destroyed; it is never recreated.
bool instanceDestroyed = false;

// Names come from data files (models, the catalogue); one that would leave the
// texture directory is refused and the default texture takes its place.
bool acceptName(const std::string& fileName) {
    if (isContainedName(fileName) && fileName.find('\0') == std::string::npos) {
        return true;
    }
    fprintf(stderr, "ERROR: [%s] Texture name \"%s\" leaves the texture directory; the default texture is used.\n",
            SOURCE, fileName.c_str());
    return false;
}

} // namespace

const char* const TextureDatabase::TEXTURE_DIRECTORY = "../data/textures/";
const char* const TextureDatabase::CATALOGUE_PATH = "../textures.xml";

TextureDatabase& TextureDatabase::getInstance() {
    if (instanceDestroyed) {
        // At exit, after the registry's destruction, a late caller gets an empty
        // registry that loads nothing rather than a revived one without a context.
        static TextureDatabase empty;
        return empty;
    }
    // Reading the catalogue counts as catalogue time in the start-up profile
    // (the default texture it loads counts as texture time).
    static TextureDatabase& instance = []() -> TextureDatabase& {
        Profiler::Scope profile(Profiler::Catalogue);
        static TextureDatabase created(TEXTURE_DIRECTORY, CATALOGUE_PATH);
        return created;
    }();
    liveInstance = &instance;
    return instance;
}

void TextureDatabase::releaseInstance() {
    if (liveInstance != nullptr) {
        liveInstance->release();
    }
}

TextureDatabase::TextureDatabase(const std::string& textureDirectory, const std::string& cataloguePath)
    : textureDirectory(textureDirectory),
      catalogue(std::make_unique<TextureResourceFile>(cataloguePath)) {
    defaultTexture = TextureFactory::createTexture(textureDirectory + "default.jpg", "default");
    if (!defaultTexture) {
        printf("WARNING: [%s] Could not load default texture!\n", SOURCE);
    }
}

TextureDatabase::TextureDatabase() : inert(true) {}

TextureDatabase::~TextureDatabase() {
    if (liveInstance == this) {
        liveInstance = nullptr;
        instanceDestroyed = true;
    }
    release();
}

Texture* TextureDatabase::findTexture(const std::string& name) {
    const auto found = byName.find(name);
    return found != byName.end() ? found->second : nullptr;
}

Texture* TextureDatabase::add(std::unique_ptr<Texture> texture) {
    if (!texture) {
        return defaultTexture.get();
    }
    textures.push_back(std::move(texture));
    // The first texture of a name is the one lookups find.
    byName.emplace(textures.back()->getName(), textures.back().get());
    return textures.back().get();
}

Texture* TextureDatabase::getTexture(const std::string& fileName) {
    if (Texture* found = findTexture(fileName)) {
        return found;
    }
    if (inert || !acceptName(fileName)) {
        return defaultTexture.get();
    }
    const std::string path = textureDirectory + fileName;
    if (catalogue && catalogue->hasEntry(fileName)) {
        const TextureEntry entry = catalogue->getEntry(fileName);
        return add(TextureFactory::createTexture(path, fileName, entry.alpha, entry.red, entry.green,
                                                 entry.blue, entry.minFilter, entry.magFilter,
                                                 entry.wrapS, entry.wrapT, entry.mipmaps));
    }
    return add(TextureFactory::createTexture(path, fileName));
}

Texture* TextureDatabase::getAlphaTexture(const std::string& fileName, const std::string& name) {
    if (Texture* found = findTexture(name)) {
        return found;
    }
    if (inert || !acceptName(fileName)) {
        return defaultTexture.get();
    }
    const std::string path = textureDirectory + fileName;
    if (catalogue && catalogue->hasEntry(fileName)) {
        const TextureEntry entry = catalogue->getEntry(fileName);
        return add(TextureFactory::createTexture(path, name, true, entry.red, entry.green, entry.blue,
                                                 entry.minFilter, entry.magFilter, entry.wrapS,
                                                 entry.wrapT, false));
    }
    return add(TextureFactory::createTexture(path, name, true, 0, 0, 0, GL_LINEAR, GL_LINEAR, GL_REPEAT,
                                             GL_REPEAT, false));
}

Texture* TextureDatabase::getClampedTexture(const std::string& name, const std::string& fileName) {
    if (Texture* found = findTexture(name)) {
        return found;
    }
    if (inert || !acceptName(fileName)) {
        return defaultTexture.get();
    }
    return add(TextureFactory::createTexture(textureDirectory + fileName, name, false, 0, 0, 0, GL_NEAREST,
                                             GL_NEAREST, GL_CLAMP, GL_CLAMP, false));
}

Texture* TextureDatabase::getDefaultTexture() {
    return defaultTexture.get();
}

void TextureDatabase::release() {
    // Textures go in creation order, then the default texture, then the catalogue.
    for (std::unique_ptr<Texture>& texture : textures) {
        texture.reset();
    }
    textures.clear();
    byName.clear();
    defaultTexture.reset();
    catalogue.reset();
}

int TextureDatabase::getTextureCount() const {
    return static_cast<int>(textures.size());
}

const TextureResourceFile* TextureDatabase::getCatalogue() const {
    return catalogue.get();
}

} // namespace zel
