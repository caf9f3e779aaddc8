// The play field's size in pixels: the device's client area, every frame
// the game draws, and the unscaled window's drawing. Header only.
#pragma once

inline constexpr int kPlayFieldWidth = 640;
inline constexpr int kPlayFieldHeight = 480;
