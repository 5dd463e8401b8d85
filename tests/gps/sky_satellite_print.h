#pragma once

#include <ostream>

#include "gps/sky_view.h"

namespace horalux {

// How GoogleTest shows a satellite of the sky view: "G05 40/083 snr 31 used".
inline void PrintTo(const SkySatellite& s, std::ostream* os) {
    *os << s.Label() << " " << s.elevation << "/" << s.azimuth << " snr " << s.snr
        << (s.used ? " used" : "");
}

}  // namespace horalux
