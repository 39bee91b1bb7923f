#pragma once
// glimmer thumbnail: a PNG of a show's first slide at its most telling
// moment, for file managers (the freedesktop thumbnailer runs it).

#include <cstdint>
#include <filesystem>
#include <iostream>

#include "app/commands.h"

namespace glimmer {

// The time a thumbnail shows: the first slide after its fade-in with its
// layers running a while (1.5 s, or half the slide's time when shorter).
double ThumbnailTime(float fadeIn, float duration);

// Writes `out` (a PNG, at most `size` pixels a side, 16:9) of the first slide
// of the show `args` names, at ThumbnailTime. Anything that is no show, or
// takes longer than `limitSeconds`, gives no file and exit code 1; a usage
// error gives 2.
int RunThumbnail(const DocumentArgs& args, const std::filesystem::path& out, uint32_t size,
                 double limitSeconds = 20);

}  // namespace glimmer
