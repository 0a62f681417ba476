#include "service_templates.h"

#include "telegram_writer.h"

#include <array>

namespace protmon::lmsim {

namespace {

constexpr std::uint8_t kReadRequest = 0x00;
constexpr std::uint8_t kWriteRequest = 0x40;
constexpr std::uint8_t kReadResponse = 0x80;
constexpr std::uint8_t kWriteResponse = 0xC0;

constexpr std::array<const char*, 12> kNames = {
    "Speed setpoint",  "Ramp up time", "Ramp down time", "Motor current",
    "DC link voltage", "Output freq",  "Torque limit",   "Fault memory",
    "Control mode",    "Rated power",  "Brake chopper",  "Fieldbus timeout"};
constexpr std::array<const char*, 6> kPlainTexts = {"Off",   "On",    "Ready",
                                                    "Fault", "Local", "Remote"};

std::uint8_t Svc(std::uint8_t cls, int service) {
    return static_cast<std::uint8_t>(cls | (service & 0x3F));
}

std::uint32_t U(std::int32_t v) {
    return static_cast<std::uint32_t>(v);
}

// A response whose error byte is set carries no data; a refusal may also come in the short
// write-response form.
std::vector<std::uint8_t> WithError(TelegramWriter& w, std::size_t errorPos, std::uint8_t id,
                                    int service, std::uint8_t error, DriveModel& m) {
    if (error != 0 && m.Chance(500))
        return ErrorAnswer(id, service, error);
    if (error != 0) {
        TelegramWriter bare(id, Svc(kReadResponse, service));
        return bare.Byte(errorPos, error).Finish();
    }
    return w.Finish();
}

std::uint16_t Word16(int v) {
    return static_cast<std::uint16_t>(v);
}

// Set selector of services 1 and 33: masters address the active or the indirect set; now and
// then one selects a set that does not exist.
std::uint8_t SetSelector(DriveModel& m) {
    return static_cast<std::uint8_t>(m.Chance(50) ? m.Uniform(2, 3) : m.Uniform(0, 1));
}

} // namespace

std::uint16_t DriveModel::PickAddress() {
    if (paramAddresses.empty())
        return Word16(Uniform(0, 0x3FFF));
    return paramAddresses[static_cast<std::size_t>(
        Uniform(0, static_cast<int>(paramAddresses.size()) - 1))];
}

std::int32_t DriveModel::ValueOf(std::uint16_t address) {
    auto it = values.find(address);
    if (it == values.end())
        it = values.emplace(address, Chance(150) ? -Uniform(1, 500) : Uniform(0, 3000)).first;
    return it->second;
}

std::uint8_t DriveModel::MaybeError() {
    return Chance(errorPermille) ? static_cast<std::uint8_t>(Uniform(1, 14)) : 0;
}

std::string DriveModel::PickName() {
    return kNames[static_cast<std::size_t>(Uniform(0, 11))];
}

std::vector<std::uint8_t> ErrorAnswer(std::uint8_t id, int service, std::uint8_t error) {
    TelegramWriter w(id, Svc(kWriteResponse, service));
    if (!w.Valid())
        return {};
    return w.Byte(2, error).Finish();
}

Transaction ParameterRead(DriveModel& m, std::uint8_t id, int service) {
    const std::uint16_t address = m.PickAddress();
    const std::uint8_t set =
        service == 1 ? SetSelector(m) : static_cast<std::uint8_t>(1u << m.Uniform(0, 3));
    Transaction t;
    t.request =
        TelegramWriter(id, Svc(kReadRequest, service)).Word(2, address).Byte(4, set).Finish();
    TelegramWriter r(id, Svc(kReadResponse, service));
    r.Long(2, U(m.ValueOf(address)));
    t.response = WithError(r, 6, id, service, m.MaybeError(), m);
    return t;
}

Transaction ParameterWrite(DriveModel& m, std::uint8_t id, int service) {
    const std::uint16_t address = m.PickAddress();
    const std::int32_t value = m.ValueOf(address) + m.Uniform(-50, 50);
    Transaction t;
    t.request = TelegramWriter(id, Svc(kWriteRequest, service))
                    .Word(2, address)
                    .Long(4, U(value))
                    .Byte(8, service == 1 ? SetSelector(m) : std::uint8_t{1})
                    .Finish();
    const std::uint8_t error = m.MaybeError();
    if (error == 0)
        m.values[address] = value;
    t.response = ErrorAnswer(id, service, error);
    return t;
}

Transaction ValueRead(std::uint8_t id, std::uint16_t address, std::int32_t value) {
    Transaction t;
    t.request = TelegramWriter(id, Svc(kReadRequest, 0)).Word(2, address).Byte(4, 1).Finish();
    t.response = TelegramWriter(id, Svc(kReadResponse, 0)).Long(2, U(value)).Finish();
    return t;
}

Transaction ValueWrite(std::uint8_t id, std::uint16_t address, std::int32_t value,
                       std::uint8_t error) {
    Transaction t;
    t.request = TelegramWriter(id, Svc(kWriteRequest, 0))
                    .Word(2, address)
                    .Long(4, U(value))
                    .Byte(8, 1)
                    .Finish();
    t.response = ErrorAnswer(id, 0, error);
    return t;
}

Transaction AttributeRead(DriveModel& m, std::uint8_t id, int service) {
    const std::uint16_t address = m.PickAddress();
    const std::int32_t value = m.ValueOf(address);
    Transaction t;
    t.request = TelegramWriter(id, Svc(kReadRequest, service)).Word(2, address).Finish();
    TelegramWriter r(id, Svc(kReadResponse, service));
    std::size_t errorPos = 10;
    switch (service) {
    case 2: // limits
        r.Long(2, U(value < 0 ? -1000 : 0)).Long(6, U(value + 10000));
        break;
    case 3: // default value
        r.Long(2, U(value / 2));
        errorPos = 6;
        break;
    case 4: // properties
        r.Long(2, 0x00010203u + (address & 0xFF)).Long(6, 0x00000400u);
        break;
    case 5: // scaling
        r.Word(2, 10).Word(4, 1).Word(6, 0).Word(8, 0x0001);
        break;
    case 7: // plaintext index
        r.Word(2, Word16(address & 0x0FFF)).Word(4, 4).Word(6, 0).Word(8, 0);
        break;
    default: // 10: group properties
        r.Byte(2, static_cast<std::uint8_t>(address & 0x1F)).Chars(3, "GRP").Word(6, 0x0100);
        r.Byte(8, 1).Byte(9, static_cast<std::uint8_t>(m.Uniform(1, 40)));
        break;
    }
    t.response = WithError(r, errorPos, id, service, m.MaybeError(), m);
    return t;
}

Transaction TextRead(DriveModel& m, std::uint8_t id, int service) {
    const std::uint16_t address = m.PickAddress();
    const auto language = static_cast<std::uint8_t>(m.Uniform(0, 2));
    const std::string text = service == 6 || service == 11
                                 ? m.PickName()
                                 : kPlainTexts[static_cast<std::size_t>(m.Uniform(0, 5))];
    const auto n = static_cast<std::uint8_t>(text.size());
    Transaction t;
    TelegramWriter q(id, Svc(kReadRequest, service));
    TelegramWriter r(id, Svc(kReadResponse, service), n);
    // Position of the error byte in an answer without text (count 0).
    std::size_t errorPos = 0;
    if (service == 6 || service == 11) {
        q.Word(2, address).Byte(4, language);
        r.Chars(3, text);
        errorPos = 3;
    } else if (service == 8) {
        q.Word(2, Word16(address & 0x0FFF)).Word(4, Word16(m.Uniform(0, 5))).Byte(6, language);
        r.Long(2, U(m.Uniform(0, 5))).Byte(6, 1).Chars(7, text.substr(0, 5));
        errorPos = 12;
    } else if (service == 9) {
        q.Word(2, Word16(address & 0x0FFF)).Byte(4, 0).Byte(5, 1).Byte(6, language);
        r.Long(2, U(m.Uniform(0, 5))).Byte(6, 1).Chars(8, text);
        errorPos = 8;
    } else { // 12: bus plaintext definition
        q.Word(2, Word16(address & 0x0FFF)).Byte(4, 0).Byte(5, language);
        r.Long(2, 0x0000000Fu).Byte(6, 4).Chars(8, text);
        errorPos = 8;
    }
    t.request = q.Finish();
    t.response = WithError(r, errorPos, id, service, m.MaybeError(), m);
    return t;
}

Transaction TextWrite(DriveModel& m, std::uint8_t id, int service) {
    const std::string text = m.PickName();
    Transaction t;
    t.request =
        TelegramWriter(id, Svc(kWriteRequest, service), static_cast<std::uint8_t>(text.size()))
            .Word(2, m.PickAddress())
            .Byte(4, static_cast<std::uint8_t>(m.Uniform(0, 2)))
            .Chars(6, text)
            .Finish();
    t.response = ErrorAnswer(id, service, m.MaybeError());
    return t;
}

Transaction DefaultValue(DriveModel& m, std::uint8_t id, int service, bool set) {
    Transaction t;
    t.request = TelegramWriter(id, Svc(set ? kWriteRequest : kReadRequest, service))
                    .Word(2, m.PickAddress())
                    .Byte(4, service == 33 ? SetSelector(m) : std::uint8_t{1})
                    .Finish();
    t.response = TelegramWriter(id, Svc(set ? kWriteResponse : kReadResponse, service))
                     .Byte(2, m.MaybeError())
                     .Finish();
    return t;
}

Transaction ScopeRead(DriveModel& m, std::uint8_t id, int service) {
    Transaction t;
    TelegramWriter q(id, Svc(kReadRequest, service));
    TelegramWriter r(id, Svc(kReadResponse, service));
    const auto time = Word16(m.Uniform(0, 0xFFFF));
    r.Word(2, time).Long(4, U(m.speedActual)).Long(8, U(m.Uniform(0, 4000)));
    if (service == 21) {
        q.Byte(2, 1).Word(3, Word16(m.Uniform(0, 255)));
        r.Long(12, U(m.Uniform(500, 600))).Long(16, U(m.Uniform(0, 100)));
    } else {
        r.Word(12, Word16(m.Uniform(500, 600))).Word(14, Word16(m.Uniform(0, 100)));
    }
    t.request = q.Finish();
    t.response = WithError(r, service == 21 ? 20 : 16, id, service, m.MaybeError(), m);
    return t;
}

namespace {

// Control word and set point out, status word and actual value back, as a drive runs to speed.
void FillProcessData(TelegramWriter& w, DriveModel& m, bool fromDrive, bool words) {
    m.speedActual += (m.speedSetpoint - m.speedActual) / 8;
    const std::uint16_t status = fromDrive ? 0x0637 : 0x047F;
    const std::int32_t speed = fromDrive ? m.speedActual : m.speedSetpoint;
    if (words)
        w.Word(2, status).Word(4, Word16(speed)).Word(6, Word16(m.Uniform(0, 200))).Word(8, 0);
    else
        w.Long(2, status).Long(6, U(speed));
}

} // namespace

Transaction ProcessData(DriveModel& m, std::uint8_t id, int service, bool write) {
    if (m.Chance(20))
        m.speedSetpoint = m.Uniform(-1500, 3000);
    const bool words = service == 17 || service == 20 || service == 49 || service == 52;
    Transaction t;
    TelegramWriter q(id, Svc(write ? kWriteRequest : kReadRequest, service));
    TelegramWriter r(id, Svc(write ? kWriteResponse : kReadResponse, service));
    if (service >= 16 && service <= 20) {
        if (write)
            FillProcessData(q, m, false, words);
        FillProcessData(r, m, true, words);
        const std::uint8_t error = m.MaybeError();
        r.Byte(write ? 2 : (service == 18 ? 16 : 10), error);
    } else if (service == 50 || service == 53) {
        const std::uint16_t address = m.PickAddress();
        const int op = m.Uniform(0, 2); // none, read, write
        q.Long(2, 0x047F).Word(6, Word16(m.speedSetpoint)).Word(8, 0);
        q.Word(10, op == 0 ? 0 : Word16(address | (op == 2 ? 0x8000 : 0)));
        q.Long(12, op == 2 ? U(m.ValueOf(address)) : 0);
        r.Long(2, 0x0637).Word(6, Word16(m.speedActual)).Word(8, 0);
        r.Long(10, op == 1 ? U(m.ValueOf(address)) : 0).Byte(14, m.MaybeError());
    } else if (service == 54 || service == 55) {
        FillProcessData(q, m, false, true);
        FillProcessData(r, m, true, true);
        q.Byte(10, 0x21).Long(11, 0x00010000u).Long(15, 0);
        r.Byte(10, 0x21).Long(11, U(m.Uniform(0, 1000))).Long(15, 0);
    } else if (service == 56) {
        const std::uint16_t address = m.PickAddress();
        FillProcessData(q, m, false, false);
        FillProcessData(r, m, true, false);
        q.Byte(22, 0x01).Word(23, address).Byte(25, 1).Long(26, 0);
        r.Byte(22, 0x01).Long(23, U(m.ValueOf(address))).Byte(27, 20).Byte(28, m.MaybeError());
    } else { // 48, 49, 51, 52
        FillProcessData(q, m, false, words);
        FillProcessData(r, m, true, words);
        r.Byte(10, m.MaybeError());
    }
    t.request = q.Finish();
    t.response = r.Finish();
    return t;
}

} // namespace protmon::lmsim
