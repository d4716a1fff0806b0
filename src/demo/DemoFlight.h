#pragma once
// The benchmark's scripted flight through the demonstration scene, in two
// segments. "day": a circle round the village at roof height, a pass out over
// the sea and back, a close look at the fire and then the fountain. "night"
// (flown once the day/night cycle has reached night): a lower circle and a
// glide between the houses, where the coloured lights wander. Heights are given
// above ground, the terrain height the village stands on.

#include "engine/FlightPath.h"

namespace zel {

// Frames of the full flight: day 520, night 240 (one 15 ms tick each).
FlightPath demoFlightPath(float groundHeight);

} // namespace zel
