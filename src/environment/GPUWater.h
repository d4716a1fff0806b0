#pragma once
// The scene's sea: one large horizontal quad whose whole look (waves,
// reflection of the surroundings, noise distortion, camera light, darkening at
// night) comes from the water shader pair. The object owns the quad's corners,
// a reflection cube map and the program, borrows a noise texture from the
// texture database, keeps an animation clock and feeds the shader its uniforms
// at every draw. It is an ordinary child of the world, drawn under the camera
// transform, so its corners are world coordinates.

#include <GL/glew.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "engine/IRenderableObject.h"
#include "math/Vector3.h"

namespace zel {

class GPUProgram;
class Texture;

class GPUWater : public IRenderableObject {
public:
    // Clock advance per update and the value at which it restarts at 0.
    static constexpr float TIME_STEP = 0.01f;
    static constexpr float TIME_WRAP = 99999.0f;

    // A quad at height position.y covering x .. x + width and z .. z + depth.
    // Needs a current GL context: builds the cube map, the noise texture and
    // the program.
    GPUWater(const Vector3& position, float width, float depth);
    // The same with another shader pair (tools and tests try other shaders).
    GPUWater(const Vector3& position, float width, float depth, const std::string& vertexShaderPath,
             const std::string& fragmentShaderPath);
    ~GPUWater() override;
    GPUWater(const GPUWater&) = delete;
    GPUWater& operator=(const GPUWater&) = delete;

    bool init() override;
    void render() override;
    // Advances the clock by one fixed step; the elapsed time is ignored.
    void update(std::uint32_t elapsedMs) override;

    // The clock after one update from time.
    static float advanceClock(float time);

    float getTime() const { return time_; }
    const Vector3& getCorner(int index) const { return corners_[index]; }
    float getWidth() const { return width_; }
    float getDepth() const { return depth_; }
    GLuint getCubeMap() const { return cubeMap_.id(); }
    Texture* getNoiseTexture() const { return noise_; }
    GPUProgram* getProgram() const { return program_.get(); }

private:
    // A cube-map texture name that deletes itself; move-only.
    class CubeMapName {
    public:
        explicit CubeMapName(GLuint id = 0) : id_(id) {}
        ~CubeMapName();
        CubeMapName(const CubeMapName&) = delete;
        CubeMapName& operator=(const CubeMapName&) = delete;
        CubeMapName(CubeMapName&& other) noexcept : id_(std::exchange(other.id_, 0)) {}
        CubeMapName& operator=(CubeMapName&& other) noexcept;
        GLuint id() const { return id_; }

    private:
        GLuint id_;
    };

    std::array<Vector3, 4> corners_;
    float width_;
    float depth_;
    // Declared before the cube map so that the cube map is deleted first.
    std::unique_ptr<GPUProgram> program_;
    CubeMapName cubeMap_;
    Texture* noise_ = nullptr; // not owned; held by the texture database
    float time_ = 0.0f;
};

} // namespace zel
