#include "demo/DemoFlight.h"

#include <cmath>

namespace zel {

namespace {

constexpr float PI = 3.14159265358979f;

// Keys on a full circle round (0, 0) at radius and height, looking at lookAt;
// the first key is repeated at the end so the circle closes.
std::vector<FlightPath::Key> circle(float radius, float height, const Vector3& lookAt, int steps, float startDeg) {
    std::vector<FlightPath::Key> keys;
    for (int i = 0; i <= steps; ++i) {
        const float a = (startDeg + 360.0f * static_cast<float>(i) / static_cast<float>(steps)) * PI / 180.0f;
        keys.push_back({Vector3(radius * std::sin(a), height, radius * std::cos(a)), lookAt});
    }
    return keys;
}

} // namespace

FlightPath demoFlightPath(float h) {
    FlightPath path;
    const Vector3 village(0.0f, h + 3.0f, 0.0f);
    const Vector3 fire(20.5f, -0.5f + 0.6f, 5.7f);
    const Vector3 fountain(-10.0f, h + 1.5f, 20.0f);

    FlightPath::Segment day;
    day.name = "day";
    day.legs.push_back({"village circle", 240, circle(55.0f, h + 9.0f, village, 8, 90.0f)});
    day.legs.push_back({"sea pass",
                        160,
                        {{Vector3(55.0f, h + 9.0f, 0.0f), Vector3(300.0f, h + 5.0f, 20.0f)},
                         {Vector3(200.0f, h + 14.0f, 40.0f), Vector3(600.0f, h, 60.0f)},
                         {Vector3(450.0f, h + 18.0f, 60.0f), Vector3(900.0f, h - 5.0f, 40.0f)},
                         {Vector3(650.0f, h + 25.0f, 0.0f), Vector3(600.0f, h, -400.0f)},
                         {Vector3(450.0f, h + 20.0f, -80.0f), Vector3(0.0f, h, 0.0f)},
                         {Vector3(200.0f, h + 12.0f, -40.0f), Vector3(0.0f, h, 0.0f)},
                         {Vector3(45.0f, h + 8.0f, 10.0f), village}}});
    day.legs.push_back({"fire and fountain",
                        120,
                        {{Vector3(34.0f, h + 5.0f, 14.0f), fire},
                         {Vector3(26.0f, h + 2.5f, 10.0f), fire},
                         {Vector3(24.0f, h + 2.0f, 8.5f), fire},
                         {Vector3(8.0f, h + 4.0f, 14.0f), fountain},
                         {Vector3(-4.0f, h + 3.0f, 14.0f), fountain},
                         {Vector3(-5.0f, h + 3.0f, 25.0f), fountain}}});
    path.addSegment(day);

    FlightPath::Segment night;
    night.name = "night";
    night.legs.push_back({"night circle", 160, circle(40.0f, h + 7.0f, village, 8, 0.0f)});
    night.legs.push_back({"between the houses",
                          80,
                          {{Vector3(0.0f, h + 4.0f, 40.0f), Vector3(0.0f, h + 2.0f, 0.0f)},
                           {Vector3(-5.0f, h + 3.5f, 10.0f), Vector3(-15.0f, h + 2.0f, -20.0f)},
                           {Vector3(-8.0f, h + 3.5f, -10.0f), Vector3(20.0f, h + 2.0f, -30.0f)},
                           {Vector3(15.0f, h + 4.0f, -20.0f), Vector3(30.0f, h + 5.0f, -30.0f)}}});
    path.addSegment(night);
    return path;
}

} // namespace zel
