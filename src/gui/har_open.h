// A HAR file read into the road it records, off the window thread, and its pages as the
// requests of a definition take them.
#pragma once

#include <memory>
#include <string>

#include "har_road.h"
#include "road_pages.h"

namespace verrimo {

// The road, its lines in the program's code page. A file that cannot be opened, that is no whole
// HAR file or that holds no form submission throws a UserError that says so.
HarRoad readHarRoad(const std::string& path);

// The page as the road keeps it: its bytes, and its forms as the request builder takes them.
std::shared_ptr<const RoadPage> roadPageOf(const HarPage& page);

}  // namespace verrimo
