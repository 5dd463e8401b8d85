#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nmea_replay/nmea_replay_script.h"

namespace horalux::replay {

// A receiver of our own making: standing at a fixed place with a GPS fix, it sees ten
// satellites that move slowly across the sky. Each second it sends GGA, GSA, a GSV group, RMC
// and ZDA, all with valid checksums and CR LF endings.
class SyntheticReceiver {
  public:
    struct Satellite {
        int prn;
        int elevation;  // degrees, 5 to 85
        int azimuth;    // degrees, 0 to 359
        int snr;        // dB-Hz
        bool used;      // listed in GSA (elevation of 15 degrees and more)
    };

    static constexpr int kSatellites = 10;
    static constexpr double kLatitude = 47.3769;  // degrees north
    static constexpr double kLongitude = 8.5417;  // degrees east
    static constexpr double kAltitude = 408.0;    // metres above mean sea level

    // The sky at a UTC second.
    static std::vector<Satellite> sky(int64_t unixSecond);
    // What the receiver sends during that second.
    static std::string burst(int64_t unixSecond);
};

// "$" + body + "*" + checksum + CR LF.
std::string nmeaSentence(const std::string& body);

}  // namespace horalux::replay
