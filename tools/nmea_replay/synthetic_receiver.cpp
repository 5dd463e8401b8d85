#include "nmea_replay/synthetic_receiver.h"

#include <cmath>
#include <cstdio>
#include <numbers>

#include "gps/nmea_checksum.h"

namespace horalux::replay {

namespace {

struct Orbit {
    int prn;
    double phase;    // where in its pass the satellite is at the epoch, radians
    double azimuth;  // degrees at the epoch
};

constexpr Orbit kOrbits[SyntheticReceiver::kSatellites] = {
    {2, 0.0, 40.0},    {5, 0.63, 95.0},  {7, 1.26, 150.0},  {9, 1.88, 205.0},  {13, 2.51, 260.0},
    {15, 3.14, 315.0}, {18, 3.77, 10.0}, {21, 4.40, 120.0}, {26, 5.03, 230.0}, {30, 5.65, 290.0},
};

constexpr double kPassSeconds = 6 * 3600.0;   // one rise and set
constexpr double kTurnSeconds = 12 * 3600.0;  // the azimuth goes once round

// ddmm.mmmm / dddmm.mmmm with hemisphere.
std::string angle(double degrees, int degreeDigits, char positive, char negative) {
    const char hemisphere = degrees < 0 ? negative : positive;
    degrees = std::fabs(degrees);
    const int whole = static_cast<int>(degrees);
    const double minutes = (degrees - whole) * 60.0;
    char text[32];
    std::snprintf(text, sizeof text, "%0*d%07.4f,%c", degreeDigits, whole, minutes, hemisphere);
    return text;
}

std::string format(const char* pattern, auto... values) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

}  // namespace

std::string nmeaSentence(const std::string& body) {
    return format("$%s*%02X\r\n", body.c_str(), nmeaChecksum(body));
}

std::vector<SyntheticReceiver::Satellite> SyntheticReceiver::sky(int64_t unixSecond) {
    std::vector<Satellite> satellites;
    const double t = static_cast<double>(unixSecond % (7 * 24 * 3600));
    for (const Orbit& orbit : kOrbits) {
        const double pass = orbit.phase + 2 * std::numbers::pi * t / kPassSeconds;
        const int elevation = static_cast<int>(std::lround(45.0 + 40.0 * std::sin(pass)));
        const int azimuth =
            static_cast<int>(std::lround(orbit.azimuth + 360.0 * t / kTurnSeconds)) % 360;
        const int snr = 20 + elevation / 3;
        satellites.push_back({orbit.prn, elevation, azimuth, snr, elevation >= 15});
    }
    return satellites;
}

std::string SyntheticReceiver::burst(int64_t unixSecond) {
    const UtcSecond at = utcSecondFromUnix(unixSecond);
    const std::vector<Satellite> satellites = sky(unixSecond);
    int used = 0;
    std::string prns;
    for (const Satellite& s : satellites) {
        if (s.used) {
            ++used;
            prns += format("%02d,", s.prn);
        }
    }
    for (int slot = used; slot < 12; ++slot) {
        prns += ',';
    }

    const std::string time = format("%02d%02d%02d.00", at.hour, at.minute, at.second);
    const std::string lat = angle(kLatitude, 2, 'N', 'S');
    const std::string lon = angle(kLongitude, 3, 'E', 'W');

    std::string out;
    out += nmeaSentence(format("GPGGA,%s,%s,%s,1,%02d,0.9,%.1f,M,47.4,M,,", time.c_str(),
                               lat.c_str(), lon.c_str(), used, kAltitude));
    out += nmeaSentence("GPGSA,A,3," + prns + "1.6,0.9,1.3");
    const int messages = (kSatellites + 3) / 4;
    for (int m = 0; m < messages; ++m) {
        std::string body = format("GPGSV,%d,%d,%02d", messages, m + 1, kSatellites);
        for (int k = 4 * m; k < 4 * m + 4 && k < kSatellites; ++k) {
            const Satellite& s = satellites[static_cast<size_t>(k)];
            body += format(",%02d,%02d,%03d,%02d", s.prn, s.elevation, s.azimuth, s.snr);
        }
        out += nmeaSentence(body);
    }
    out += nmeaSentence(format("GPRMC,%s,A,%s,%s,0.0,0.0,%02d%02d%02d,,,A", time.c_str(),
                               lat.c_str(), lon.c_str(), at.day, at.month, at.year % 100));
    out += nmeaSentence(
        format("GPZDA,%s,%02d,%02d,%04d,00,00", time.c_str(), at.day, at.month, at.year));
    return out;
}

}  // namespace horalux::replay
