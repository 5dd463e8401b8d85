#include "gps/nmea_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "gps/fake_serial_input.h"
#include "platform/fake_system_clock.h"

namespace horalux {
namespace {

// "$" + body + "*" + checksum (upper case) + CR LF.
std::string sentence(const std::string& body, bool lowerCase = false) {
    unsigned sum = 0;
    for (const char c : body) {
        sum ^= static_cast<unsigned char>(c);
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, lowerCase ? "%02x" : "%02X", sum);
    return "$" + body + "*" + hex + "\r\n";
}

const std::string kGgaSentence = "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";

class NmeaReaderTest : public ::testing::Test {
  protected:
    GpsState gps;
    NmeaParser parser{gps};
    FakeSystemClock clock{{2024, 5, 0, 10, 12, 0, 0, 0}};
    NmeaReader reader{gps, parser, clock};

    void feed(const std::string& bytes) {
        reader.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
};

// ---------------------------------------------------------------------------------------------
// Framing and checksum

TEST_F(NmeaReaderTest, ASentenceWithAGoodChecksumIsDispatchedAtItsSecondDigit) {
    const std::string s = sentence(kGgaSentence);
    feed(s.substr(0, s.size() - 3));  // up to the first checksum digit
    EXPECT_EQ(gps.sentenceCount, 0);
    EXPECT_EQ(gps.readerState, 5);
    feed(s.substr(s.size() - 3, 1));  // the second digit, before CR LF
    EXPECT_EQ(gps.sentenceCount, 1);
    EXPECT_EQ(gps.utcHour, 12);
    EXPECT_EQ(gps.readerState, 1);
    feed("\r\n");
    EXPECT_EQ(gps.sentenceCount, 1);
    EXPECT_EQ(gps.readerState, 1);
}

TEST_F(NmeaReaderTest, ASentenceSplitAnywhereGivesOneDispatch) {
    const std::string s = sentence(kGgaSentence);
    for (size_t cut = 0; cut <= s.size(); ++cut) {
        GpsState state;
        NmeaParser p(state);
        NmeaReader r(state, p, clock);
        const std::string stream = "junk" + s + s;
        r.Feed(reinterpret_cast<const uint8_t*>(stream.data()), cut + 4);
        r.Feed(reinterpret_cast<const uint8_t*>(stream.data()) + cut + 4, stream.size() - cut - 4);
        EXPECT_EQ(state.sentenceCount, 2) << "cut at " << cut;
        EXPECT_NEAR(state.latitude, 48.1173, 1e-9) << "cut at " << cut;
    }
}

TEST_F(NmeaReaderTest, ChecksumDigitsInEitherCaseAreAccepted) {
    // This body's checksum has a letter digit, so the two cases differ.
    const std::string body = "GPGSA,A,1,,,,,,,,,,,,,,,";
    ASSERT_EQ(sentence(body), "$" + body + "*1E\r\n");
    feed(sentence(body));
    feed(sentence(body, true));
    EXPECT_EQ(gps.sentenceCount, 2);
}

TEST_F(NmeaReaderTest, WrongOrMalformedChecksumsDropTheSentence) {
    const std::string good = sentence(kGgaSentence);
    const std::string digits = good.substr(good.size() - 4, 2);
    std::string wrong = good;
    wrong[wrong.size() - 3] = wrong[wrong.size() - 3] == '0' ? '1' : '0';
    feed(wrong);
    feed("$" + kGgaSentence + "*G1\r\n");                           // not hexadecimal
    feed("$" + kGgaSentence + "*" + digits.substr(0, 1) + "\r\n");  // one digit, then CR
    feed("$" + kGgaSentence + "* " + digits.substr(0, 1) + "\r\n");
    feed("$" + kGgaSentence + "*+" + digits.substr(1, 1) + "\r\n");
    EXPECT_EQ(gps.sentenceCount, 0);
    EXPECT_EQ(gps.utcHour, 0);
    EXPECT_EQ(gps.readerState, 1);
    feed(good);  // and the reader is ready for the next one
    EXPECT_EQ(gps.sentenceCount, 1);
}

TEST_F(NmeaReaderTest, TheChecksumCoversAddressAndComma) {
    // Same data, different talker: the checksum of one does not fit the other.
    std::string s = sentence(kGgaSentence);
    s[2] = 'N';  // GNGGA with GPGGA's checksum
    feed(s);
    EXPECT_EQ(gps.sentenceCount, 0);
}

TEST_F(NmeaReaderTest, ASentenceWithoutChecksumIsDispatchedUncheckedAtCarriageReturn) {
    feed("$" + kGgaSentence + "\r");
    EXPECT_EQ(gps.sentenceCount, 1);
    EXPECT_EQ(gps.utcMinute, 35);
    // A line feed alone does not end a sentence: the next "$" is data of this one.
    feed("$GPGGA,010101,,,,,2\n$GPGGA,020202,,,,,3\r");
    EXPECT_EQ(gps.sentenceCount, 2);
    EXPECT_EQ(gps.utcHour, 1);
    EXPECT_EQ(gps.fixQuality, 2);
}

TEST_F(NmeaReaderTest, ANoisyStreamYieldsOnlyItsSentences) {
    const std::string noise = std::string(1, '\0') + "\xff\n\r garbage *12 ,,, \r\n";
    feed(noise + sentence(kGgaSentence) + "\n\n\r\r" + sentence("PGRMZ,93,f,3"));
    EXPECT_EQ(gps.sentenceCount, 2);
    EXPECT_EQ(reader.validSentences(), 2u);
    // What a line at the wrong speed makes: unchecked "sentences" of garbage are dispatched as
    // ever, but show no right speed; a whole one without a checksum does.
    feed("$\x80\x06,\x0f\r$GP\xf8\xc0,1\r$GPGGA,\x01\x02\r");
    EXPECT_EQ(gps.sentenceCount, 5);
    EXPECT_EQ(reader.validSentences(), 2u);
    feed("$GPGGA,010101,,,,,2\r");
    EXPECT_EQ(reader.validSentences(), 3u);
}

TEST_F(NmeaReaderTest, TimeSentencesAreRecordedWithWhenTheirEndWasRead) {
    FakeSerialInput port;
    gps.portHandle = &port;
    const std::string bytes = sentence(kGgaSentence) + sentence("GPRMC,123520,A,4807.038,N") +
                              sentence("GPGSA,A,3,01,02,03,,,,,,,,,,1,1,1");
    port.receive(bytes);
    const auto steadyNs = [] {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    const int64_t before = steadyNs();
    reader.Poll();
    const int64_t after = steadyNs();
    EXPECT_EQ(reader.bytesRead(), bytes.size());
    EXPECT_EQ(reader.validSentences(), 3u);
    // Only the sentence the time is taken from (GGA here) is an arrival.
    std::vector<TimeSentenceArrival> arrivals = gps.ArrivalsAfter(0);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals[0].sequence, 1u);
    EXPECT_GE(arrivals[0].arrivalNs, before);
    EXPECT_LE(arrivals[0].arrivalNs, after);
    EXPECT_EQ(arrivals[0].utcHour * 10000 + arrivals[0].utcMinute * 100 + arrivals[0].utcSecond,
              123519);
    // Another constellation's sentence of the same second: the first one turned it over.
    feed(sentence("GAGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"));
    EXPECT_EQ(gps.LastArrivalSequence(), 1u);

    // The last kArrivalsKept are kept, oldest first; a reader asks for those after its last.
    gps.timeSource = 1;
    for (int i = 0; i < 40; ++i) {
        char body[64];
        std::snprintf(body, sizeof body, "GPRMC,1300%02d,A", i);
        feed(sentence(body));
    }
    EXPECT_EQ(gps.LastArrivalSequence(), 41u);
    arrivals = gps.ArrivalsAfter(0);
    ASSERT_EQ(arrivals.size(), GpsState::kArrivalsKept);
    EXPECT_EQ(arrivals.front().sequence, 41u - GpsState::kArrivalsKept + 1);
    EXPECT_EQ(arrivals.back().utcSecond, 39);
    EXPECT_EQ(gps.ArrivalsAfter(39).size(), 2u);
    EXPECT_TRUE(gps.ArrivalsAfter(41).empty());
}

TEST_F(NmeaReaderTest, AddressesOfSevenCharactersAreAbandoned) {
    feed(sentence("GPGGAXX,010101,,,,,1"));
    EXPECT_EQ(gps.sentenceCount, 0);
    // The rest of the abandoned sentence is skipped up to the next "$".
    feed("$ABCDEFGH" + sentence(kGgaSentence));
    EXPECT_EQ(gps.sentenceCount, 1);
    // Six characters are fine (and an address of no characters too).
    feed(sentence("PGRMZX,1") + sentence(",1"));
    EXPECT_EQ(gps.sentenceCount, 3);
}

TEST_F(NmeaReaderTest, DataOf250CharactersIsAbandoned) {
    const std::string data249(249 - 4, 'x');
    feed(sentence("GPXXX,1234" + data249));  // 249 characters of data
    EXPECT_EQ(gps.sentenceCount, 1);
    feed(sentence("GPXXX,12345" + data249));  // 250
    EXPECT_EQ(gps.sentenceCount, 1);
    feed("$GPXXX," + std::string(5000, 'y') + "\r");
    EXPECT_EQ(gps.sentenceCount, 1);
    feed(sentence(kGgaSentence));
    EXPECT_EQ(gps.sentenceCount, 2);
}

TEST_F(NmeaReaderTest, ADollarInsideASentenceIsAnOrdinaryCharacter) {
    feed(sentence("GPTXT,cost $5"));
    EXPECT_EQ(gps.sentenceCount, 1);
}

// ---------------------------------------------------------------------------------------------
// Poll: port reading and watchdog

TEST_F(NmeaReaderTest, PollReadsFromThePortAndKeepsPartialSentences) {
    FakeSerialInput port;
    gps.portHandle = &port;
    const std::string s = sentence(kGgaSentence);
    port.receive(s.substr(0, 20));
    reader.Poll();
    EXPECT_EQ(gps.sentenceCount, 0);
    port.receive(s.substr(20) + sentence("GPGSA,A,3,01,02,03,,,,,,,,,,1,1,1"));
    reader.Poll();
    EXPECT_EQ(gps.sentenceCount, 2);
    EXPECT_EQ(gps.satellitesUsed, 3);
    EXPECT_LE(port.largestRequest(), NmeaReader::kReadChunk);
}

TEST_F(NmeaReaderTest, PollDrainsABacklogInBoundedChunks) {
    FakeSerialInput port;
    gps.portHandle = &port;
    const std::string s = sentence(kGgaSentence);
    std::string backlog;
    while (backlog.size() < 3 * NmeaReader::kReadChunk * NmeaReader::kMaxChunksPerPoll) {
        backlog += s;
    }
    const int total = static_cast<int>(backlog.size() / s.size());
    port.receive(backlog);
    reader.Poll();
    // One poll takes exactly the bound, far more than one read's worth ...
    EXPECT_EQ(port.reads(), NmeaReader::kMaxChunksPerPoll);
    EXPECT_EQ(port.pending(),
              backlog.size() - NmeaReader::kReadChunk * NmeaReader::kMaxChunksPerPoll);
    // ... and the rest follows in the next polls, nothing lost.
    for (int i = 0; i < 5 && port.pending() > 0; ++i) {
        reader.Poll();
    }
    EXPECT_EQ(port.pending(), 0u);
    EXPECT_EQ(gps.sentenceCount, total);

    // A port that hands out its queue in small pieces is still drained in one poll.
    port.setMaxPerRead(7);
    port.receive(s + s + s);
    reader.Poll();
    EXPECT_EQ(port.pending(), 0u);
    EXPECT_EQ(gps.sentenceCount, total + 3);
}

TEST_F(NmeaReaderTest, WatchdogResetsOnceAfterThreeSecondChangesWithoutSentences) {
    feed(sentence(kGgaSentence));
    gps.satellitesInView = 9;
    ASSERT_EQ(gps.idleSeconds, 0);

    // Many polls within one second count once (the first poll sees second 0 as unchanged:
    // the clock starts at 12:00:00).
    for (int i = 0; i < 10; ++i) {
        reader.Poll();
    }
    EXPECT_EQ(gps.idleSeconds, 0);
    clock.advance(1000);
    for (int i = 0; i < 10; ++i) {
        reader.Poll();
    }
    EXPECT_EQ(gps.idleSeconds, 1);
    clock.advance(1000);
    reader.Poll();
    EXPECT_EQ(gps.idleSeconds, 2);
    EXPECT_EQ(gps.stale, 0);
    EXPECT_NEAR(gps.latitude, 48.1173, 1e-9);

    clock.advance(1000);
    reader.Poll();
    EXPECT_EQ(gps.idleSeconds, 3);
    EXPECT_EQ(gps.stale, 1);
    EXPECT_EQ(gps.latitude, 0.0);
    EXPECT_EQ(gps.utcHour, 0);
    EXPECT_EQ(gps.satellitesInView, 0);
    EXPECT_EQ(gps.sentenceCount, 0);

    // While silent the reset is not repeated.
    gps.fixQuality = 7;
    for (int i = 0; i < 5; ++i) {
        clock.advance(1000);
        reader.Poll();
    }
    EXPECT_EQ(gps.fixQuality, 7);
    EXPECT_EQ(gps.idleSeconds, 3);
    EXPECT_EQ(gps.stale, 1);

    // The first sentence clears stale; silence again resets again.
    FakeSerialInput port;
    gps.portHandle = &port;
    port.receive(sentence(kGgaSentence));
    reader.Poll();
    EXPECT_EQ(gps.stale, 0);
    EXPECT_EQ(gps.idleSeconds, 0);
    EXPECT_EQ(gps.sentenceCount, 1);
    for (int i = 0; i < 3; ++i) {
        clock.advance(1000);
        reader.Poll();
    }
    EXPECT_EQ(gps.stale, 1);
    EXPECT_EQ(gps.fixQuality, 0);
}

TEST_F(NmeaReaderTest, ASteadyReceiverNeverGoesStale) {
    FakeSerialInput port;
    gps.portHandle = &port;
    for (int second = 0; second < 20; ++second) {
        port.receive(sentence(kGgaSentence));
        for (int tick = 0; tick < 20; ++tick) {  // 20 polls of 50 ms
            reader.Poll();
            clock.advance(50);
        }
        EXPECT_EQ(gps.stale, 0);
        EXPECT_LE(gps.idleSeconds, 1);
    }
    EXPECT_EQ(gps.sentenceCount, 20);
}

TEST_F(NmeaReaderTest, WithoutAPortTheRecordGoesStaleWithinThreeSeconds) {
    feed(sentence(kGgaSentence));
    for (int tick = 0; tick < 80; ++tick) {
        reader.Poll();
        if (gps.stale == 1) {
            break;
        }
        clock.advance(50);
    }
    EXPECT_EQ(gps.stale, 1);
    EXPECT_LE(clock.nowMillis() % 60000, 3000);  // reset between two and three seconds
    EXPECT_GE(clock.nowMillis() % 60000, 2000);
}

}  // namespace
}  // namespace horalux
