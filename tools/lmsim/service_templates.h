#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace protmon::lmsim {

// A request and the drive's answer; an empty response means the drive stayed silent.
struct Transaction {
    std::vector<std::uint8_t> request;
    std::vector<std::uint8_t> response;
};

// State the service templates share: the random source, the drive's parameter values and the
// addresses worth asking for.
struct DriveModel {
    std::mt19937_64 rng;
    std::vector<std::uint16_t> paramAddresses;
    std::map<std::uint16_t, std::int32_t> values;
    int errorPermille = 30;
    std::int32_t speedSetpoint = 0;
    std::int32_t speedActual = 0;

    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool Chance(int permille) { return Uniform(0, 999) < permille; }
    std::uint16_t PickAddress();
    std::int32_t ValueOf(std::uint16_t address);
    // A drive error code (1 to 14) now and then, 0 otherwise.
    std::uint8_t MaybeError();
    std::string PickName();
};

// One builder per family of services; each returns a request of the given service and the answer
// the drive model gives to it. The address byte of the answer is set by the caller.
Transaction ParameterRead(DriveModel& m, std::uint8_t id, int service);
Transaction ParameterWrite(DriveModel& m, std::uint8_t id, int service);
Transaction AttributeRead(DriveModel& m, std::uint8_t id, int service);
Transaction TextRead(DriveModel& m, std::uint8_t id, int service);
Transaction TextWrite(DriveModel& m, std::uint8_t id, int service);
Transaction DefaultValue(DriveModel& m, std::uint8_t id, int service, bool set);
Transaction ScopeRead(DriveModel& m, std::uint8_t id, int service);
Transaction ProcessData(DriveModel& m, std::uint8_t id, int service, bool write);

// The plain parameter exchange of a polling master (service 0, active set): a read answered with
// the given value, and a write acknowledged or, with a non-zero error, refused.
Transaction ValueRead(std::uint8_t id, std::uint16_t address, std::int32_t value);
Transaction ValueWrite(std::uint8_t id, std::uint16_t address, std::int32_t value,
                       std::uint8_t error);

// The 4-byte write-response form a drive uses to refuse a request of any class.
std::vector<std::uint8_t> ErrorAnswer(std::uint8_t id, int service, std::uint8_t error);

} // namespace protmon::lmsim
