#pragma once

#include <array>
#include <cstdint>
#include <random>

namespace protmon::lmsim {

using PlantRng = std::mt19937_64;

// Parameters of the sample description set (Para0001) that the plant's drives serve.
constexpr std::uint16_t kOutputFrequency = 0x0080;     // 0.01 Hz
constexpr std::uint16_t kOutputCurrent = 0x0084;       // 0.01 A
constexpr std::uint16_t kHeatsinkTemperature = 0x0087; // degrees C + 40
constexpr std::uint16_t kStatusWord = 0x0100;          // bits of plain text 1
constexpr std::uint16_t kFrequencySetpoint = 0x0180;   // 0.01 Hz

// What sets one drive apart: how fast it answers, how often it fails to, and its load.
struct DriveProfile {
    std::uint8_t address;
    // From the end of a request to the start of the answer, in microseconds; with tailPermille
    // the drive is busy with internal work and answers later (tailMinUs to tailMaxUs).
    int answerMinUs;
    int answerMaxUs;
    int tailPermille;
    int tailMinUs;
    int tailMaxUs;
    int silentPermille; // requests left without answer
    int refusePermille; // setpoint writes refused with "inverter busy"
    double rampHzPerS;
    double amperesPerHz;
    double ambientC;
};

// Three quick drives and a slow one (03); 04 answers in two modes.
constexpr std::array<DriveProfile, 4> kPlantDrives = {{
    {0x01, 300, 700, 0, 0, 0, 2, 0, 5.0, 0.16, 31.0},
    {0x02, 1000, 2200, 20, 3000, 4500, 2, 0, 3.0, 0.22, 33.0},
    {0x03, 13000, 28000, 0, 0, 0, 8, 0, 2.0, 0.35, 30.0},
    {0x04, 600, 1400, 150, 2500, 4000, 3, 250, 8.0, 0.10, 35.0},
}};

// One frequency converter: the output frequency ramps linearly to the setpoint, the current
// follows the frequency (with a step while accelerating) through a short lag, the heatsink warms
// with the current through a long one.
class PlantDrive {
public:
    explicit PlantDrive(const DriveProfile& profile);

    const DriveProfile& Profile() const { return *profile_; }
    double SetpointHz() const { return setpointHz_; }
    void SetSetpoint(double hz) { setpointHz_ = hz; }
    // Moves the physics on to the given plant time (microseconds).
    void Advance(double nowUs);
    // The raw telegram value of a parameter at the present state; 0 for one the drive lacks.
    std::int32_t Raw(std::uint16_t address, PlantRng& rng) const;
    // Time to the start of the answer to a request, in microseconds.
    double AnswerDelayUs(PlantRng& rng) const;

private:
    std::uint16_t StatusWord() const;

    const DriveProfile* profile_;
    double lastUs_ = 0;
    double setpointHz_ = 0;
    double frequencyHz_ = 0;
    double currentA_ = 0;
    double heatsinkC_;
};

} // namespace protmon::lmsim
