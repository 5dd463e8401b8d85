#include "gps/gnss_system.h"

#include <cstdio>
#include <initializer_list>

namespace horalux {

namespace {

// NMEA numbers 33 to 64 stand for the SBAS PRNs 120 to 151.
constexpr int kSbasNmeaFirst = 33;
constexpr int kSbasNmeaLast = 64;
constexpr int kSbasNmeaToPrn = 120 - kSbasNmeaFirst;

bool within(int number, int first, int last) {
    return number >= first && number <= last;
}

// The satellite of `number` in NMEA's own numbering, which the GPS talker and the combined
// one use.
std::optional<SatelliteId> identifyNmeaNumber(int number) {
    if (within(number, 1, 32)) {
        return SatelliteId{GnssSystem::Gps, number};
    }
    if (within(number, kSbasNmeaFirst, kSbasNmeaLast)) {
        return SatelliteId{GnssSystem::Sbas, number + kSbasNmeaToPrn};
    }
    if (within(number, 65, 96)) {
        return SatelliteId{GnssSystem::Glonass, number};
    }
    if (within(number, 120, 158)) {
        return SatelliteId{GnssSystem::Sbas, number};
    }
    if (within(number, 193, 202)) {
        return SatelliteId{GnssSystem::Qzss, number - 192};
    }
    return std::nullopt;
}

// A constellation's own numbers 1..count, or the same with an offset some receivers add
// (BeiDou 201-263 or 401-463, Galileo 301-336, QZSS 193-202).
std::optional<SatelliteId> identifyOwnNumber(GnssSystem system, int number, int count,
                                             std::initializer_list<int> offsets) {
    if (within(number, 1, count)) {
        return SatelliteId{system, number};
    }
    for (const int offset : offsets) {
        if (within(number, offset + 1, offset + count)) {
            return SatelliteId{system, number - offset};
        }
    }
    return std::nullopt;
}

}  // namespace

const char* GnssSystemName(GnssSystem system) {
    switch (system) {
        case GnssSystem::Gps:
            return "GPS";
        case GnssSystem::Glonass:
            return "GLONASS";
        case GnssSystem::Galileo:
            return "Galileo";
        case GnssSystem::BeiDou:
            return "BeiDou";
        case GnssSystem::Qzss:
            return "QZSS";
        case GnssSystem::NavIc:
            return "NavIC";
        case GnssSystem::Sbas:
            return "SBAS";
    }
    return "";
}

char GnssSystemLetter(GnssSystem system) {
    switch (system) {
        case GnssSystem::Gps:
            return 'G';
        case GnssSystem::Glonass:
            return 'R';
        case GnssSystem::Galileo:
            return 'E';
        case GnssSystem::BeiDou:
            return 'C';
        case GnssSystem::Qzss:
            return 'J';
        case GnssSystem::NavIc:
            return 'I';
        case GnssSystem::Sbas:
            return 'S';
    }
    return '?';
}

std::optional<GnssSource> SourceOfTalker(std::string_view talker) {
    struct Talker {
        const char* name;
        GnssSource source;
    };
    static constexpr Talker kTalkers[] = {
        {"GP", GnssSource::Gps},    {"GL", GnssSource::Glonass}, {"GA", GnssSource::Galileo},
        {"GB", GnssSource::BeiDou}, {"BD", GnssSource::BeiDou},  {"GQ", GnssSource::Qzss},
        {"QZ", GnssSource::Qzss},   {"GI", GnssSource::NavIc},   {"GN", GnssSource::Combined},
    };
    for (const Talker& t : kTalkers) {
        if (talker == t.name) {
            return t.source;
        }
    }
    return std::nullopt;
}

std::optional<GnssSource> SourceOfSystemId(int id) {
    static constexpr GnssSource kBySystemId[] = {GnssSource::Gps,     GnssSource::Glonass,
                                                 GnssSource::Galileo, GnssSource::BeiDou,
                                                 GnssSource::Qzss,    GnssSource::NavIc};
    if (!within(id, 1, 6)) {
        return std::nullopt;
    }
    return kBySystemId[id - 1];
}

std::optional<SatelliteId> IdentifySatellite(GnssSource source, int number) {
    switch (source) {
        case GnssSource::Gps:
        case GnssSource::Combined:
            return identifyNmeaNumber(number);
        case GnssSource::Glonass:
            return identifyOwnNumber(GnssSystem::Glonass, number, 99, {});
        case GnssSource::Galileo:
            return identifyOwnNumber(GnssSystem::Galileo, number, 36, {300});
        case GnssSource::BeiDou:
            return identifyOwnNumber(GnssSystem::BeiDou, number, 63, {200, 400});
        case GnssSource::Qzss:
            return identifyOwnNumber(GnssSystem::Qzss, number, 10, {192});
        case GnssSource::NavIc:
            return identifyOwnNumber(GnssSystem::NavIc, number, 14, {});
    }
    return std::nullopt;
}

std::string SatelliteLabel(GnssSystem system, int number) {
    if (system == GnssSystem::Sbas && within(number, kSbasNmeaFirst, kSbasNmeaLast)) {
        number += kSbasNmeaToPrn;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%c%02d", GnssSystemLetter(system), number);
    return text;
}

}  // namespace horalux
