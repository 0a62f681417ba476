#include "plant_drive.h"

#include <algorithm>
#include <cmath>

namespace protmon::lmsim {

namespace {

constexpr double kMagnetizingA = 1.8;
constexpr double kAccelerationA = 1.5; // extra current while ramping up
constexpr double kCurrentLagS = 0.4;
constexpr double kHeatsinkLagS = 60.0;
constexpr double kHeatsinkCPerA = 1.2;
constexpr double kCurrentNoiseA = 0.06;
constexpr double kRunningHz = 0.05;
constexpr double kWarningC = 45.0;

// Status word bits and ramp states (plain text 1 of the sample set).
constexpr std::uint16_t kReady = 0x0001;
constexpr std::uint16_t kRun = 0x0002;
constexpr std::uint16_t kWarning = 0x0008;
constexpr std::uint16_t kForward = 0x0010;
constexpr std::uint16_t kStateStopped = 0x0100;
constexpr std::uint16_t kStateAccelerating = 0x0200;
constexpr std::uint16_t kStateAtSpeed = 0x0300;
constexpr std::uint16_t kStateDecelerating = 0x0400;

// A first-order lag moved on by dt seconds.
double Lag(double value, double target, double dt, double lagS) {
    return value + (target - value) * (1.0 - std::exp(-dt / lagS));
}

double Uniform(PlantRng& rng, double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
}

} // namespace

PlantDrive::PlantDrive(const DriveProfile& profile)
    : profile_(&profile), heatsinkC_(profile.ambientC) {}

void PlantDrive::Advance(double nowUs) {
    const double dt = (nowUs - lastUs_) / 1e6;
    if (dt <= 0)
        return;
    lastUs_ = nowUs;
    const double step = profile_->rampHzPerS * dt;
    const double before = frequencyHz_;
    frequencyHz_ = setpointHz_ > frequencyHz_ ? std::min(setpointHz_, frequencyHz_ + step)
                                              : std::max(setpointHz_, frequencyHz_ - step);
    double target = 0;
    if (frequencyHz_ > kRunningHz) {
        target = kMagnetizingA + profile_->amperesPerHz * frequencyHz_;
        if (frequencyHz_ > before)
            target += kAccelerationA;
    }
    currentA_ = Lag(currentA_, target, dt, kCurrentLagS);
    heatsinkC_ =
        Lag(heatsinkC_, profile_->ambientC + kHeatsinkCPerA * currentA_, dt, kHeatsinkLagS);
}

std::uint16_t PlantDrive::StatusWord() const {
    std::uint16_t status = kReady;
    if (heatsinkC_ > kWarningC)
        status |= kWarning;
    if (frequencyHz_ <= kRunningHz && setpointHz_ <= kRunningHz)
        return status | kStateStopped;
    status |= kRun | kForward;
    if (frequencyHz_ < setpointHz_)
        return status | kStateAccelerating;
    if (frequencyHz_ > setpointHz_)
        return status | kStateDecelerating;
    return status | kStateAtSpeed;
}

std::int32_t PlantDrive::Raw(std::uint16_t address, PlantRng& rng) const {
    switch (address) {
    case kOutputFrequency:
        return static_cast<std::int32_t>(std::lround(frequencyHz_ * 100));
    case kOutputCurrent: {
        const double noise =
            currentA_ > 0.1 ? std::normal_distribution<double>(0, kCurrentNoiseA)(rng) : 0;
        return static_cast<std::int32_t>(std::lround(std::max(0.0, currentA_ + noise) * 100));
    }
    case kHeatsinkTemperature:
        return static_cast<std::int32_t>(std::lround(heatsinkC_)) + 40;
    case kStatusWord:
        return StatusWord();
    case kFrequencySetpoint:
        return static_cast<std::int32_t>(std::lround(setpointHz_ * 100));
    default:
        return 0;
    }
}

double PlantDrive::AnswerDelayUs(PlantRng& rng) const {
    const DriveProfile& p = *profile_;
    if (p.tailPermille > 0 && std::uniform_int_distribution<int>(0, 999)(rng) < p.tailPermille)
        return Uniform(rng, p.tailMinUs, p.tailMaxUs);
    return Uniform(rng, p.answerMinUs, p.answerMaxUs);
}

} // namespace protmon::lmsim
