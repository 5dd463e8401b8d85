#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace horalux {

// The satellite systems a receiver reports, in the order the sky view lists them.
enum class GnssSystem { Gps, Glonass, Galileo, BeiDou, Qzss, NavIc, Sbas };
inline constexpr int kGnssSystemCount = 7;

// The system's name as horalux-diag prints it: "GPS", "GLONASS", "Galileo", "BeiDou", "QZSS",
// "NavIC", "SBAS".
const char* GnssSystemName(GnssSystem system);
// The letter of the system in satellite labels: G, R, E, C, J, I, S.
char GnssSystemLetter(GnssSystem system);

// Whose numbering a GSV or GSA sentence's satellite numbers follow: one constellation's (its
// talker GP, GL, GA, GB or BD, GQ or QZ, GI, or the system id 1 to 6 of NMEA 4.10 and later),
// or the combined one of the GN talker. The GPS numbering also covers the other satellites
// NMEA numbers beside GPS: 33 to 64 SBAS, 65 to 96 GLONASS, 120 to 158 SBAS by PRN, 193 to
// 202 QZSS.
enum class GnssSource { Gps, Glonass, Galileo, BeiDou, Qzss, NavIc, Combined };
inline constexpr int kGnssSourceCount = 7;

// The source of a two-letter talker; none for any other talker (proprietary P..., GN is
// Combined).
std::optional<GnssSource> SourceOfTalker(std::string_view talker);
// The source of an NMEA system id (1 GPS, 2 GLONASS, 3 Galileo, 4 BeiDou, 5 QZSS, 6 NavIC).
std::optional<GnssSource> SourceOfSystemId(int id);

// One satellite, whatever number it was sent under: its system and its number within the
// system (GPS and GLONASS as sent, SBAS by PRN, Galileo 1-36, BeiDou 1-63, QZSS 1-10, NavIC
// 1-14), so that BeiDou 208 in a GSA and BeiDou 08 in a GSV are the same satellite.
struct SatelliteId {
    GnssSystem system = GnssSystem::Gps;
    int number = 0;
    friend auto operator<=>(const SatelliteId&, const SatelliteId&) = default;
};

// The satellite that `number` stands for in the source's numbering; none for a number the
// numbering has no satellite for (0, negative, out of its ranges). Combined takes the ranges
// of NMEA's own numbering only (1-32 GPS, 33-64 and 120-158 SBAS, 65-96 GLONASS, 193-202
// QZSS), since receivers number the other systems each in their own way there.
std::optional<SatelliteId> IdentifySatellite(GnssSource source, int number);

// The label a display shows for a satellite: the system's letter and the number as sent, at
// least two digits (G05, R65, E33, C08, C201, J193, I05); for SBAS the letter S and the
// satellite's PRN, the NMEA numbers 33 to 64 standing for PRNs 120 to 151 (46 gives S133).
std::string SatelliteLabel(GnssSystem system, int number);

}  // namespace horalux
