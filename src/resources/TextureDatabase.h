#pragma once
// The texture registry: every object that draws with a texture asks it for one
// by name. Each name is loaded at most once (settings from the catalogue
// "../textures.xml" where it has an entry) and kept until release; a texture
// that cannot be loaded is replaced by the default texture "default.jpg".
// The registry owns every Texture; callers keep plain pointers.
//
// getInstance() is the program's registry with the fixed run layout paths; it
// needs a current OpenGL context on first use. Tests construct their own
// registry with other paths.

#include "resources/Texture.h"
#include "resources/TextureResourceFile.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace zel {

class TextureDatabase {
public:
    static const char* const TEXTURE_DIRECTORY; // "../data/textures/"
    static const char* const CATALOGUE_PATH;    // "../textures.xml"

    // The program's registry, created on the first call (reads the catalogue and
    // loads the default texture). Once it has been destroyed at exit, later
    // calls get an empty registry that loads nothing and hands out null.
    static TextureDatabase& getInstance();

    // Releases the program's registry if it exists and has not been destroyed
    // yet; never creates it. Safe from other singletons' destructors at exit.
    static void releaseInstance();

    // A registry reading textures from textureDirectory (which ends in "/") and
    // the catalogue at cataloguePath.
    TextureDatabase(const std::string& textureDirectory, const std::string& cataloguePath);
    virtual ~TextureDatabase();

    TextureDatabase(const TextureDatabase&) = delete;
    TextureDatabase& operator=(const TextureDatabase&) = delete;

    // Names that are absolute or contain a ".." component are refused with an
    // ERROR line on standard error and answered with the default texture.
    // Standard lookup under the file name; catalogue settings or trilinear,
    // repeating defaults. Returns the default texture when loading fails (null
    // when that failed too).
    Texture* getTexture(const std::string& fileName);
    // Colour key always on, no mipmaps; black key unless the catalogue says
    // otherwise.
    Texture* getAlphaTexture(const std::string& fileName, const std::string& name);
    // Nearest filtering, clamped, no mipmaps, no key; catalogue not consulted.
    Texture* getClampedTexture(const std::string& name, const std::string& fileName);
    // Pure lookup by registry name: no loading, never the default texture.
    Texture* findTexture(const std::string& name);
    Texture* getDefaultTexture();

    // Deletes every texture, the default texture and the catalogue. A second
    // call does nothing.
    void release();

    // Number of textures created through the lookups (the default not counted).
    int getTextureCount() const;
    // The catalogue, or null after release.
    const TextureResourceFile* getCatalogue() const;

private:
    // The empty registry handed out after the program's one is destroyed.
    TextureDatabase();
    Texture* add(std::unique_ptr<Texture> texture);

    std::string textureDirectory;
    std::vector<std::unique_ptr<Texture>> textures;
    std::unordered_map<std::string, Texture*> byName; // first texture per name, in textures
    std::unique_ptr<TextureResourceFile> catalogue;
    std::unique_ptr<Texture> defaultTexture;
    bool inert = false;
};

} // namespace zel
