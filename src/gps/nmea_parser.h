#pragma once

#include "gps/gps_state.h"
#include "gps/sky_view.h"

namespace horalux {

// Turns one framed NMEA 0183 sentence into updates of GpsState. The reader
// (NmeaReader) hands it the address (e.g. "GPGGA") and the data after the address's comma,
// without '*', checksum, CR or LF. Known types: GGA, GSA, GSV, RMC, ZDA, with any two-character
// talker; everything else only counts as a sign of life.
//
// State: the record holds every result. The parser keeps one piece of state of its own, the run
// of consecutive GSA sentences being counted: receivers that track several constellations send
// one GSA per constellation in a row, and the satellites in use are those of the whole run.
// Given a SkyView, it also hands it every GSV sentence and the satellites of each GSA run, with
// the constellation they belong to (the record's fields stay as they would be without it).
//
// Threads: runs on the user-interface thread. Each sentence is decoded while holding
// GpsState::publishMutex(), so the clock setter, which reads the time fields through
// GpsState::timeSnapshot()/utcSecondNow() on its own thread, sees the hour, minute and ZDA date
// of the same sentence as the second. The sky view gets its part after the lock is released:
// only the user-interface thread reads it.
class NmeaParser {
  public:
    // Size of the field buffer GetField writes: 19 characters and the terminator.
    static constexpr int kFieldSize = 20;
    // The most distinct satellites one run of consecutive GSA sentences can count (the bound of
    // satellitesUsed; real receivers list well under 100).
    static constexpr int kMaxRunSatellites = 128;

    // Given a sky view (which must outlive the parser), also keeps the view of every
    // constellation in it.
    explicit NmeaParser(GpsState& gps, SkyView* sky = nullptr);

    // The sky view given at construction, or null; the reader ages it with its watchdog.
    SkyView* skyView() const { return sky_; }

    // The entry point for every framed sentence: decodes the five known types, then clears the
    // watchdog fields (idleSeconds = 0, stale = 0) whatever the type. A sentence that sets the
    // time fields is recorded as a time sentence arrival at `arrivalNs` (steady clock, when the
    // reader read its end), and wakes the threads waiting for the second to change.
    void Dispatch(const char* address, const char* data, int64_t arrivalNs = 0);

    // The tokenizer: copies field fieldNumber (from 0) of data into out (kFieldSize characters,
    // longer fields are truncated to 19) and returns 0; stores an empty string and returns -1
    // when the field is empty or does not exist.
    static int GetField(const char* data, char* out, int fieldNumber);

    void DecodeGga(const char* data);
    // satellitesUsed and usedInFix cover the run of consecutive GSA sentences this one belongs
    // to: a GSA that follows any other sentence (or a reset of the record) starts a new count;
    // a satellite (PRN, with the GNSS system id when the sentence carries one) listed twice in
    // the run counts once. A receiver that sends one GSA per fix gets that GSA's count alone.
    void DecodeGsa(const char* data);
    void DecodeGsv(const char* data);
    void DecodeRmc(const char* data);
    void DecodeZda(const char* data);

  private:
    bool GsaStartsNewRun() const;
    void NoteGsaInView(const char* talker, const char* data, bool newRun);
    void NoteGsvInView(const char* talker, const char* data);

    GpsState& gps_;
    SkyView* sky_ = nullptr;

    // The run of consecutive GSA sentences: open while the last sentence was a GSA; the
    // distinct satellites counted so far (system id << 16 | PRN).
    bool gsaRunOpen_ = false;
    bool timeStored_ = false;  // the sentence being decoded set the time fields
    int runCount_ = 0;
    uint32_t runSatellites_[kMaxRunSatellites] = {};
};

}  // namespace horalux
