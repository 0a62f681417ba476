#pragma once

#include "bus_telegram.h"
#include "plant_drive.h"
#include "service_templates.h"

#include <deque>

namespace protmon::lmsim {

// A small plant on the bus: a master polls four drives every cycle for their actual values,
// writes a new frequency setpoint to one now and then, and meets the faults of a real line
// (a drive that stays silent, an answer with a damaged block check that the master asks again
// for, a request the monitor sees damaged although the drive heard and answered it).
// Reproducible for a seed; the idle times carry the drives' answer delays, so the line
// monitor's time stamps show them.
class PlantTraffic : public ITelegramSource {
public:
    explicit PlantTraffic(std::uint64_t seed);
    bool Next(BusTelegram& out) override;

private:
    struct Poll {
        std::uint16_t address = 0;
        bool write = false;
        std::int32_t value = 0;
        std::uint8_t error = 0; // a write the drive refuses with this code
    };
    struct Outcome {
        double endUs = 0; // when the master may send again
        bool acknowledged = false;
    };
    enum class Fault { None, DamagedRequest, Silent, DamagedAnswer };

    void RunCycle();
    // The setpoint write when due and the cyclic reads of one drive from time t; returns the
    // time after them.
    double PollDrive(std::size_t index, double t);
    // One request and its answer from startUs; a repeat meets no fault.
    Outcome Exchange(PlantDrive& drive, const Poll& poll, double startUs, bool repeat);
    Fault RollFault(const PlantDrive& drive);
    std::int32_t NewSetpoint(const PlantDrive& drive);
    // Queues a telegram that starts on the line at startUs (or as soon as the line is free);
    // returns when it ends.
    double Emit(std::vector<std::uint8_t> bytes, double startUs, bool damaged);
    double MasterGapUs();
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    PlantRng rng_;
    std::vector<PlantDrive> drives_;
    std::vector<double> nextSetpointUs_;
    std::deque<BusTelegram> queue_;
    double lineFreeUs_ = 0; // plant time at the end of the last telegram
    double nextSendUs_ = 0; // when the master may send its next request
    double cycleStartUs_ = 0;
    std::uint64_t cycle_ = 0;
};

} // namespace protmon::lmsim
