// Clipping of one pre-transformed triangle against a square guard band
// around the origin, for triangles with vertices too far out for the
// rasteriser's fixed-point edge arithmetic. Any thread; works on the
// caller's arrays, allocates nothing.
#pragma once

#include "platform/d3d9/rasterizer.h"

// Clipping a triangle by four sides yields at most seven vertices.
inline constexpr int kMaxClippedVertices = 7;

// Clips the triangle (v0, v1, v2) to |X| <= band and |Y| <= band; writes the
// clipped polygon, in the triangle's winding, to out and returns its vertex
// count (0 when nothing is left or a coordinate is not finite). New vertices
// get Z and RHW interpolated linearly on screen, as the rasteriser does, and
// colour and texture coordinates perspective-correctly when RHW differs.
int ClipToGuardBand(const TRasterVertex& v0, const TRasterVertex& v1, const TRasterVertex& v2, double band,
                    TRasterVertex (&out)[kMaxClippedVertices]);
