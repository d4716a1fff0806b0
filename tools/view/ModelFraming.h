#pragma once
// Where the model viewer puts its camera: a view from above the south-east
// that fits a model's whole bounding box into the engine's 45-degree view.
// Plain arithmetic, so that it is tested without a window.

#include "math/BoundingBox.h"
#include "math/Vector3.h"

namespace zelview {

struct Framing {
    zel::Vector3 eye;
    zel::Vector3 target;
};

// The eye looks at the box's centre from a distance at which the sphere
// around the box fills the view; never closer than 2 units.
Framing frameBox(const zel::BoundingBox& box);

} // namespace zelview
