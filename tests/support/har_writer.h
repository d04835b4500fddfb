// A HAR 1.2 file of what a road site received and sent, written as a browser's developer tools
// write it: Qt WebEngine saves no HAR itself, so the tests write one from the site's log.
#pragma once

#include <string>

#include "road_site.h"

namespace verrimo::test {

// Whose developer tools the file is written as: Chrome lists a POST's parameters as sent and
// gives a redirect's resolved address, Firefox decodes the parameters and gives the Location
// header as sent.
enum class HarBrowser { Chrome, Firefox };

// Every request the site saw, with its answer, in order.
std::string harOf(const RoadSite& site, HarBrowser browser);

}  // namespace verrimo::test
