#pragma once

#include <QString>

#include "platform/settings_store.h"

namespace horalux {

// The texts of the Position page's Latitude, Longitude and Altitude boxes. "PositionFormat"
// (0 hemisphere, degrees and decimal minutes; 1 hemisphere, degrees, minutes and decimal
// seconds; 2 hemisphere and decimal degrees) and "Units" (1 feet, anything else metres) are read
// from the store at every call, so a change shows at the next refresh.
//
//   FormatLatitude(48.1173)   format 0 "N 48° 07.0380", 1 "N 48° 07' 02.280", 2 "N 48.1173000000°"
//   FormatLongitude(-0.1)     format 0 "W 000° 06.0000"
//   FormatAltitude(545.4)     Units 1 "1789.37  ft       ", otherwise "545.40   m       "
//
// Minutes that round up to 60 carry into the degrees (45.9999999 gives "N 46° 00.0000"). Any
// other "PositionFormat" gives "ERROR" for the latitude and an empty longitude. A value that is
// not a finite number below 10^15 degrees (a malformed sentence can give one) reads "ERROR" in
// both boxes.
QString FormatLatitude(const SettingsStore& store, double latitude);
QString FormatLongitude(const SettingsStore& store, double longitude);
QString FormatAltitude(const SettingsStore& store, double altitude);

}  // namespace horalux
