#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "gps/gps_state.h"
#include "gps/nmea_parser.h"

namespace horalux::test {

// The data of a GGA sentence (after "GPGGA,") for a UTC time, with a GPS fix and 8 satellites.
inline std::string ggaData(int hour, int minute, int second) {
    char text[96];
    std::snprintf(text, sizeof text,
                  "%02d%02d%02d.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", hour, minute,
                  second);
    return text;
}

// The data of a ZDA sentence (after "GPZDA,").
inline std::string zdaData(int hour, int minute, int second, int day, int month, int year) {
    char text[64];
    std::snprintf(text, sizeof text, "%02d%02d%02d.00,%02d,%02d,%04d,00,00", hour, minute, second,
                  day, month, year);
    return text;
}

// Stands in for the user-interface thread: decodes sentences into the GPS record, either at once
// on the caller's thread or on a thread of its own after given pauses (as a receiver sends them
// once a second). Destroying it stops the thread at once.
class SentenceFeeder {
  public:
    struct Step {
        std::chrono::milliseconds after;  // pause before this sentence
        std::string address;              // e.g. "GPGGA"; empty: the reader's reset of a silent
                                          // receiver instead of a sentence
        std::string data;
    };

    explicit SentenceFeeder(GpsState& gps) : gps_(gps), parser_(gps) {}
    ~SentenceFeeder() { stop(); }

    void dispatch(const std::string& address, const std::string& data) {
        parser_.Dispatch(address.c_str(), data.c_str());
    }

    void start(std::vector<Step> steps) {
        thread_ = std::jthread([this, steps = std::move(steps)](std::stop_token token) {
            for (const Step& step : steps) {
                std::unique_lock lock(mutex_);
                if (wake_.wait_for(lock, token, step.after, [] { return false; }) ||
                    token.stop_requested()) {
                    return;
                }
                lock.unlock();
                if (step.address.empty()) {
                    gps_.Reset();
                    gps_.stale = 1;
                } else {
                    parser_.Dispatch(step.address.c_str(), step.data.c_str());
                }
            }
        });
    }

    void stop() {
        if (thread_.joinable()) {
            thread_.request_stop();
            thread_.join();
        }
    }

  private:
    GpsState& gps_;
    NmeaParser parser_;
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::jthread thread_;
};

}  // namespace horalux::test
