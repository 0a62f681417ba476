#include "plant_traffic.h"

#include <algorithm>
#include <cmath>

namespace protmon::lmsim {

namespace {

constexpr double kCycleUs = 200000;
constexpr double kReplyTimeoutUs = 50000;
constexpr int kMasterGapMinUs = 300;
constexpr int kMasterGapMaxUs = 900;
// The plant's clock counts bus time at the monitor's default rate: 11 bits a character at
// 38,400 Bd. The box stamps frames by the rate the monitor set.
constexpr double kByteUs = 11.0 * 1e6 / 38400.0;

constexpr int kDamagedRequestPermille = 3;
constexpr int kDamagedAnswerPermille = 3;
constexpr std::uint8_t kInverterBusy = 6;

// The first setpoint goes out within the first two seconds, the next ones every 8 to 20 s; a
// write that was not acknowledged is repeated after a second.
constexpr int kFirstSetpointMinUs = 300000;
constexpr int kFirstSetpointMaxUs = 2000000;
constexpr int kSetpointMinUs = 8000000;
constexpr int kSetpointMaxUs = 20000000;
constexpr double kSetpointRetryUs = 1e6;
constexpr std::array<int, 5> kSetpointsCentiHz = {1000, 2000, 3000, 4000, 5000};
constexpr int kStopPermille = 200;

struct CyclicRead {
    std::uint16_t address;
    std::uint64_t everyNthCycle;
};

constexpr std::array<CyclicRead, 4> kCyclicReads = {
    {{kOutputFrequency, 1}, {kOutputCurrent, 1}, {kStatusWord, 1}, {kHeatsinkTemperature, 5}}};

} // namespace

PlantTraffic::PlantTraffic(std::uint64_t seed) : rng_(seed) {
    for (const DriveProfile& profile : kPlantDrives) {
        drives_.emplace_back(profile);
        nextSetpointUs_.push_back(Uniform(kFirstSetpointMinUs, kFirstSetpointMaxUs));
    }
}

bool PlantTraffic::Next(BusTelegram& out) {
    while (queue_.empty())
        RunCycle();
    out = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

void PlantTraffic::RunCycle() {
    double t = std::max(cycleStartUs_, nextSendUs_);
    for (std::size_t i = 0; i < drives_.size(); ++i)
        t = PollDrive(i, t);
    nextSendUs_ = t;
    ++cycle_;
    // A cycle that overran (timeouts, repeats, the slow drive) delays the next one.
    cycleStartUs_ = std::max(cycleStartUs_ + kCycleUs, t);
}

double PlantTraffic::PollDrive(std::size_t index, double t) {
    PlantDrive& drive = drives_[index];
    if (t >= nextSetpointUs_[index]) {
        Poll write{kFrequencySetpoint, true, NewSetpoint(drive), 0};
        if (Uniform(0, 999) < drive.Profile().refusePermille)
            write.error = kInverterBusy;
        const Outcome o = Exchange(drive, write, t, false);
        nextSetpointUs_[index] =
            t + (o.acknowledged ? Uniform(kSetpointMinUs, kSetpointMaxUs) : kSetpointRetryUs);
        t = o.endUs + MasterGapUs();
    }
    for (const CyclicRead& read : kCyclicReads) {
        if (cycle_ % read.everyNthCycle == 0)
            t = Exchange(drive, Poll{read.address, false, 0, 0}, t, false).endUs + MasterGapUs();
    }
    return t;
}

PlantTraffic::Outcome PlantTraffic::Exchange(PlantDrive& drive, const Poll& poll, double startUs,
                                             bool repeat) {
    drive.Advance(startUs);
    const std::uint8_t id = drive.Profile().address;
    const Fault fault = repeat ? Fault::None : RollFault(drive);
    Transaction t = poll.write ? ValueWrite(id, poll.address, poll.value, poll.error)
                               : ValueRead(id, poll.address, drive.Raw(poll.address, rng_));
    const double requestEnd = Emit(std::move(t.request), startUs, fault == Fault::DamagedRequest);
    if (fault == Fault::Silent)
        return {requestEnd + kReplyTimeoutUs, false};
    if (poll.write && poll.error == 0)
        drive.SetSetpoint(poll.value / 100.0);
    const double answerStart = requestEnd + drive.AnswerDelayUs(rng_);
    const double answerEnd =
        Emit(std::move(t.response), answerStart, fault == Fault::DamagedAnswer);
    // The master cannot trust a damaged answer and asks once more at once.
    if (fault == Fault::DamagedAnswer)
        return Exchange(drive, poll, answerEnd + MasterGapUs(), true);
    return {answerEnd, poll.error == 0};
}

PlantTraffic::Fault PlantTraffic::RollFault(const PlantDrive& drive) {
    int roll = Uniform(0, 999);
    if (roll < kDamagedRequestPermille)
        return Fault::DamagedRequest;
    roll -= kDamagedRequestPermille;
    if (roll < drive.Profile().silentPermille)
        return Fault::Silent;
    roll -= drive.Profile().silentPermille;
    return roll < kDamagedAnswerPermille ? Fault::DamagedAnswer : Fault::None;
}

std::int32_t PlantTraffic::NewSetpoint(const PlantDrive& drive) {
    const auto now = static_cast<int>(std::lround(drive.SetpointHz() * 100));
    if (now != 0 && Uniform(0, 999) < kStopPermille)
        return 0;
    int next = now;
    while (next == now)
        next = kSetpointsCentiHz[static_cast<std::size_t>(
            Uniform(0, static_cast<int>(kSetpointsCentiHz.size()) - 1))];
    return next;
}

double PlantTraffic::Emit(std::vector<std::uint8_t> bytes, double startUs, bool damaged) {
    BusTelegram t;
    t.bytes = std::move(bytes);
    ClassifyTelegram(t);
    if (damaged)
        t.bytes.back() ^= static_cast<std::uint8_t>(Uniform(1, 255));
    t.idleUs = static_cast<std::uint32_t>(std::lround(std::max(0.0, startUs - lineFreeUs_)));
    lineFreeUs_ += t.idleUs + static_cast<double>(t.bytes.size()) * kByteUs;
    queue_.push_back(std::move(t));
    return lineFreeUs_;
}

double PlantTraffic::MasterGapUs() {
    return Uniform(kMasterGapMinUs, kMasterGapMaxUs);
}

} // namespace protmon::lmsim
