#pragma once
// Moves a value back and forth between two bounds by a fixed step per update,
// turning at the bounds (it can overshoot a bound by up to one step; it never
// clamps). The day/night cycle owns one and sequences it through its phases.

namespace zel {

class ValueFader {
public:
    ValueFader() = default;
    ValueFader(float value, bool increasing, float minimum, float maximum, float step)
        : value_(value), increasing_(increasing), minimum_(minimum), maximum_(maximum), step_(step) {}
    virtual ~ValueFader() = default;

    // One step in the current direction, then turns at or beyond a bound.
    void update();

    float getValue() const { return value_; }
    void setValue(float value) { value_ = value; }
    bool isIncreasing() const { return increasing_; }
    void setIncreasing(bool increasing) { increasing_ = increasing; }
    float getMinimum() const { return minimum_; }
    float getMaximum() const { return maximum_; }
    float getStep() const { return step_; }

private:
    float value_ = 0.0f;
    bool increasing_ = true;
    float minimum_ = 0.0f;
    float maximum_ = 1.0f;
    float step_ = 0.05f;
};

} // namespace zel
