#pragma once
// Binds the world's per-pixel lighting program for a single-textured mesh and
// feeds it three scene lights and the day/night value. Active only while it holds
// exactly three lights; otherwise bind does nothing and the mesh is drawn with the
// fixed-function pipeline. Neither the program nor the lights are owned.

#include <cstddef>
#include <vector>

#include "geometry/Light.h"

namespace zel {

class GPUProgram;

class LightShader {
public:
    // program may be null (no world): the shader then never activates.
    explicit LightShader(GPUProgram* program);
    virtual ~LightShader();

    // Appends a light (not owned) to the list.
    void addLight(const Light* light);
    // With exactly three lights: makes the program current and sets
    // "dayNightCycle", "lightPosition0", "lightColor0", ... "lightColor2" in that
    // order, and "texture" = 0 when the program declares it. Otherwise no-op.
    void bind() const;
    // True when bind activates the program (exactly three lights and a program);
    // the caller then restores program 0 after drawing.
    bool isActive() const;

    GPUProgram* getProgram() const { return program_; }
    const std::vector<const Light*>& getLights() const { return lights_; }
    std::size_t getLightCount() const { return lights_.size(); }

private:
    GPUProgram* program_;                // owned by the World
    std::vector<const Light*> lights_;   // owned by the World
};

} // namespace zel
