#pragma once
// The kind of object the world draws as its sky: a renderable installed with
// World::setSky and drawn first in the main pass, before every other child.
// It adds nothing to IRenderableObject; it exists so the world holds exactly one
// sky of a distinct type.

#include "engine/IRenderableObject.h"

namespace zel {

class ISky : public IRenderableObject {
public:
    ~ISky() override = default;
};

} // namespace zel
