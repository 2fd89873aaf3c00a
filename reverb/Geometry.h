// Positions and sizes in the room, in metres, and the physics they obey.
#pragma once

// x along the room width from the wall x = 0, y along the height from y = 0.
struct SPos {
    double x;
    double y;
};

struct SSize {
    double width;
    double height;
};

// Speed of sound in m/s. The value is a single-precision constant (346.0199890136719 once
// widened): every conversion between arrival time and distance multiplies by it.
constexpr double SpeedOfSound = static_cast<double>(346.02f);

// Horizon of the image-source model and length of the early responses, in seconds.
constexpr double ImpulseLength = 0.075;
