#include "device/protocol.h"
#include "device/serial_port.h"
#include "pages/configuration/core/configuration_check.h"
#include "pages/configuration/core/configuration_file.h"
#include "pages/configuration/core/configuration_record.h"
#include "pages/configuration/core/configuration_service.h"
#include "pages/configuration/core/field_availability.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "support/simulator.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace trgui::pages::configuration;
using trgui::device::Family;
using trgui::device::encodeFloatBE;

namespace {

void putFloat(Block& b, std::size_t at, float v)
{
    encodeFloatBE(v, &b[at]);
}

// A family 0 / 2 block as a device of that family might hold it.
Block block02(Family family)
{
    Block b(family == Family::Standard ? 63 : 65, 0);
    b[0] = 12;  // language 1
    b[1] = 23;  // sensor 2
    b[2] = 20;
    putFloat(b, 3, 0.7f);
    putFloat(b, 7, 50.0f);
    b[11] = 91;   // m/s
    b[12] = 101;  // °F
    b[13] = 113;
    b[14] = 122;
    b[15] = 140;
    b[16] = 151;
    b[17] = 1;
    b[18] = 0;
    putFloat(b, 19, 0.0f);
    putFloat(b, 23, 3.5f);
    b[27] = 1;
    putFloat(b, 28, -40.0f);
    putFloat(b, 32, 266.0f);
    b[36] = 191;
    putFloat(b, 37, 10.0f);
    putFloat(b, 41, 9.0f);
    putFloat(b, 45, 2.8f);
    putFloat(b, 49, 2.5f);
    b[53] = 1;
    putFloat(b, 54, 12.5f);
    b[58] = 10;
    putFloat(b, 59, 1.0f);
    if (family == Family::Wt) {
        b[63] = 31;
        b[64] = 40;
    }
    return b;
}

Block block1()
{
    Block b(71, 0);
    b[0] = 11;
    b[1] = 23;
    b[2] = 0x01;  // C-value 300
    b[3] = 0x2C;
    b[4] = 0xFF;  // T-value -2
    b[5] = 0xFE;
    putFloat(b, 7, 1234.5f);
    b[11] = 151;
    b[12] = 155;
    b[13] = 170;
    b[14] = 179;
    b[15] = 182;
    b[16] = 185;
    b[36] = 203;
    putFloat(b, 37, 25.0f);
    putFloat(b, 41, 24.0f);
    putFloat(b, 45, 30.0f);
    putFloat(b, 49, 29.0f);
    b[58] = 30;
    b[63] = 142;
    b[64] = 134;  // 135 - 1: no selection
    b[65] = 37;   // hydrogen
    putFloat(b, 66, 4.5f);
    b[70] = 1;
    return b;
}

// A form that passes the check for the code: every field filled within range.
ConfigurationForm validForm(int code)
{
    const Family family = trgui::device::familyOf(code);
    ConfigurationForm f;
    f.hwVersion = code;
    for (Field x : {Field::Language, Field::SensorType, Field::VelocityUnit, Field::TemperatureUnit,
                    Field::VolumeFlowUnit, Field::TotaliserUnit, Field::DisplayLine1, Field::DisplayLine2,
                    Field::LimitAssignment, Field::TeeFitting, Field::ValveFitting, Field::Medium,
                    Field::OperatingMode})
        f.index(x) = 0;
    f.index(Field::VelocityUnit) = 1;  // m/s
    f.textOf(Field::TValue) = "20";
    f.textOf(Field::CValue) = family == Family::Dr ? "100" : "1000";
    f.textOf(Field::PipeSize) = "50.0";
    f.textOf(Field::AnalogFlowStart) = "0.00";
    f.textOf(Field::AnalogFlowEnd) = "3.00";
    f.textOf(Field::AnalogTempStart) = "0.00";
    f.textOf(Field::AnalogTempEnd) = "100.00";
    f.textOf(Field::Limit1On) = "3.00";
    f.textOf(Field::Limit1Off) = "2.80";
    f.textOf(Field::Limit2On) = "3.50";
    f.textOf(Field::Limit2Off) = "3.20";
    f.textOf(Field::PulseValue) = "1.0";
    f.textOf(Field::MeasuringTime) = "10";
    f.textOf(Field::MultiplicationFactor) = "1.00";
    f.textOf(Field::Pressure) = "1.00";
    return f;
}

CheckOutcome check(ConfigurationForm f)
{
    Limits limits;
    return checkConfiguration(f, limits);
}

} // namespace

TEST(ConfigurationBlock, decodesEveryEncodingOfEachFamily)
{
    const auto d0 = decodeBlock(Family::Standard, block02(Family::Standard));
    ASSERT_TRUE(d0);
    const auto& f0 = d0->form;
    EXPECT_EQ(f0.index(Field::Language), 1);
    EXPECT_EQ(f0.index(Field::SensorType), 2);
    EXPECT_EQ(f0.textOf(Field::TValue), "20");
    EXPECT_EQ(f0.textOf(Field::CValue), "700") << "0.7 in single precision lies below 0.7";
    EXPECT_EQ(f0.textOf(Field::PipeSize), " 50.0");
    EXPECT_EQ(f0.index(Field::VelocityUnit), 1);
    EXPECT_EQ(f0.index(Field::TemperatureUnit), 1);
    EXPECT_EQ(f0.index(Field::VolumeFlowUnit), 3);
    EXPECT_EQ(f0.index(Field::DisplayLine2), 1);
    EXPECT_EQ(f0.index(Field::Backlight), 1);
    EXPECT_EQ(f0.textOf(Field::AnalogFlowEnd), "  3.50");
    EXPECT_EQ(f0.textOf(Field::AnalogTempStart), "-40.00");
    EXPECT_EQ(f0.index(Field::LimitAssignment), 1);
    EXPECT_EQ(f0.textOf(Field::PulseValue), " 12.5");
    EXPECT_EQ(f0.textOf(Field::MeasuringTime), "10");
    EXPECT_EQ(f0.textOf(Field::MultiplicationFactor), "1.00");
    EXPECT_EQ(d0->configuration[Field::CValue], 700.0f);
    EXPECT_EQ(d0->configuration[Field::PipeSize], 50.0f);
    EXPECT_FALSE(d0->configuration.known[indexOf(Field::TeeFitting)]) << "family 0 carries no fittings";

    const auto d2 = decodeBlock(Family::Wt, block02(Family::Wt));
    ASSERT_TRUE(d2);
    EXPECT_EQ(d2->form.index(Field::TeeFitting), 1);
    EXPECT_EQ(d2->form.index(Field::ValveFitting), 0);
    EXPECT_FALSE(d2->configuration.known[indexOf(Field::Medium)]);

    const auto d1 = decodeBlock(Family::Dr, block1());
    ASSERT_TRUE(d1);
    const auto& f1 = d1->form;
    EXPECT_EQ(f1.textOf(Field::CValue), "300");
    EXPECT_EQ(f1.textOf(Field::TValue), " -2");
    EXPECT_EQ(f1.textOf(Field::PipeSize), "1234.5");
    EXPECT_EQ(f1.index(Field::VelocityUnit), 1) << "151 in family 1 is m/s";
    EXPECT_EQ(f1.index(Field::VolumeFlowUnit), 10);
    EXPECT_EQ(f1.index(Field::TotaliserUnit), 4);
    EXPECT_EQ(f1.index(Field::LimitAssignment), 3);
    EXPECT_EQ(f1.index(Field::TeeFitting), 2);
    EXPECT_EQ(f1.index(Field::ValveFitting), -1);
    EXPECT_EQ(f1.index(Field::Medium), kHydrogen);
    EXPECT_EQ(f1.textOf(Field::Pressure), "  4.50");
    EXPECT_EQ(f1.index(Field::OperatingMode), 1) << "no offset";

    EXPECT_FALSE(decodeBlock(Family::Standard, Block(62))) << "a block of the wrong size decodes nothing";
    EXPECT_FALSE(decodeBlock(Family::None, Block(63)));
}

TEST(ConfigurationBlock, roundTripsByteForByte)
{
    const std::pair<Family, Block> cases[] = {
        {Family::Standard, block02(Family::Standard)}, {Family::Dr, block1()}, {Family::Wt, block02(Family::Wt)}};
    for (const auto& [family, block] : cases) {
        const auto decoded = decodeBlock(family, block);
        ASSERT_TRUE(decoded);
        const auto encoded = encodeBlock(family, decoded->form);
        EXPECT_EQ(encoded.block, block) << "family " << static_cast<int>(family);
        EXPECT_TRUE(encoded.unfit.empty()) << "family " << static_cast<int>(family);
    }
}

TEST(ConfigurationBlock, encodingEdges)
{
    ConfigurationForm f = validForm(2);
    f.textOf(Field::TValue) = "300";
    f.textOf(Field::PipeSize) = "1,5";
    f.textOf(Field::PulseValue) = "1e50";
    f.index(Field::Language) = -1;
    const auto e = encodeBlock(Family::Standard, f);
    EXPECT_EQ(e.block[2], 44) << "the low eight bits";
    EXPECT_EQ(e.block[0], 10) << "no selection is base - 1";
    EXPECT_EQ(trgui::device::decodeFloatBE(&e.block[3]), 1.0f) << "C-value 1000 is stored as 1.0";
    EXPECT_EQ(trgui::device::decodeFloatBE(&e.block[7]), 1.0f) << "text from the comma on is ignored";
    EXPECT_EQ(e.unfit, (std::vector<Field>{Field::TValue, Field::PulseValue}));

    f.textOf(Field::CValue) = "40000";
    EXPECT_EQ(encodeBlock(Family::Dr, f).unfit.front(), Field::CValue) << "beyond a signed 16-bit integer";
}

TEST(ConfigurationBlock, completeRepliesOnly)
{
    EXPECT_FALSE(isCompleteConfigurationReply(Family::Standard, 64));
    EXPECT_TRUE(isCompleteConfigurationReply(Family::Standard, 65));
    EXPECT_TRUE(isCompleteConfigurationReply(Family::Standard, 66)) << "with its trailing checksum";
    EXPECT_FALSE(isCompleteConfigurationReply(Family::Standard, 67));
    EXPECT_TRUE(isCompleteConfigurationReply(Family::Dr, 74));
    EXPECT_FALSE(isCompleteConfigurationReply(Family::Wt, 74));
    EXPECT_FALSE(isCompleteConfigurationReply(Family::None, 65));
}

TEST(FamilyRules, maximumVelocityTable)
{
    struct Case {
        int family, unit, sensor, medium;  // family as its index
        float vmax;
    } const cases[] = {
        {0, 1, 2, -1, 4.0f},          {0, 1, 0, -1, 99.99f},     {0, 0, 2, -1, 133.13333f},
        {0, 0, 0, -1, 500.0f},        {0, 2, 12, -1, 13.12f},    {0, 2, 11, -1, 328.0f},
        {0, 1, 14, -1, 99.99f},       {1, 2, 0, kHydrogen, 282.08f}, {1, 1, 0, kMethane, 75.0f},
        {1, 0, 0, kArgon, 147.04f},   {1, 2, 0, 0, 327.97f},     {2, 0, 0, -1, 133.3333f},
        {2, 1, 3, -1, 4.0f},
    };
    for (const auto& c : cases)
        EXPECT_EQ(maximumVelocity(static_cast<Family>(c.family), c.unit, c.sensor, c.medium), c.vmax)
            << c.family << "/" << c.unit << "/" << c.sensor << "/" << c.medium;
}

TEST(FamilyRules, limitsFollowAssignmentAndUnits)
{
    Limits l;
    computeLimits(l, Family::Standard, 1, 1, 0, -1, 1);  // GK1TEMP_GK2FLOW, °F
    EXPECT_EQ(l.limit1On.min, -40.0f);
    EXPECT_EQ(l.limit1Off.max, 266.0f);
    EXPECT_EQ(l.limit2On.max, 99.99f);
    EXPECT_EQ(l.analogTemp.max, 266.0f);
    EXPECT_EQ(l.tValue.max, 99.0f);
    EXPECT_EQ(l.pipeSize.max, 999.9f);

    computeLimits(l, Family::Dr, 1, 2, 0, 0, -1);  // K, no assignment: contacts keep their ranges
    EXPECT_EQ(l.limit1On.max, 266.0f);
    EXPECT_EQ(l.analogTemp.min, 233.2f);
    EXPECT_EQ(l.cValue.max, 999.0f);
    EXPECT_EQ(l.pipeSize.max, 9999.9f);

    const auto labels = unitLabels(1);
    EXPECT_EQ(labels[5].field, Field::Limit1On);
    EXPECT_EQ(labels[5].source, UnitSource::Temperature);
    EXPECT_EQ(labels[7].source, UnitSource::Velocity);
    EXPECT_EQ(unitLabels(-1)[7].source, UnitSource::Temperature);
}

TEST(ConfigurationCheck, validFormsPass)
{
    for (int code : {12, 27, 42}) {
        const auto outcome = check(validForm(code));
        EXPECT_EQ(outcome.result, 1) << code;
        EXPECT_TRUE(outcome.errorMarkers.empty()) << code << ": first " << outcome.errorMarkers.front();
    }
}

TEST(ConfigurationCheck, markersByCase)
{
    using Edit = std::function<void(ConfigurationForm&)>;
    struct Case {
        const char* name;
        int code;
        Edit edit;
        std::vector<int> markers;
    };
    const auto text = [](Field f, const char* t) { return [f, t](ConfigurationForm& x) { x.textOf(f) = t; }; };
    const Case cases[] = {
        {"no variant", 12, [](auto& f) { f.hwVersion = 0; f.index(Field::TemperatureUnit) = -1; }, {1026}},
        {"units missing stop at once", 12,
         [](auto& f) { f.index(Field::TemperatureUnit) = -1; f.index(Field::VelocityUnit) = -1;
                       f.textOf(Field::TValue) = "500"; }, {1040, 1038}},
        {"T-value 99 passes", 12, text(Field::TValue, "99"), {}},
        {"T-value 100 fails", 12, text(Field::TValue, "100"), {1035}},
        {"T-value 999 passes in family 1", 27, text(Field::TValue, "999"), {}},
        {"T-value 9 fails in family 1", 27, text(Field::TValue, "9"), {1035}},
        {"empty C-value", 12, text(Field::CValue, ""), {1036}},
        {"liquid sensor in m/s", 12,
         [](auto& f) { f.index(Field::SensorType) = 2; f.textOf(Field::AnalogFlowEnd) = "4.01"; }, {1073}},
        {"flow end equals start", 12,
         [](auto& f) { f.textOf(Field::AnalogFlowStart) = "3"; f.textOf(Field::AnalogFlowEnd) = "3"; },
         {1069, 1073}},
        {"contact on equals off", 12, [](auto& f) { f.textOf(Field::Limit1Off) = "3,0"; }, {1097, 1101}},
        {"nan", 12, text(Field::PulseValue, "nan"), {1117}},
        {"inf", 12, text(Field::Pressure, "inf"), {}},  // pressure does not exist on code 12
        {"overflow", 27, text(Field::Pressure, "1e50"), {1141}},
        {"factor 0", 12, text(Field::MultiplicationFactor, "0"), {}},
        {"factor -0.5", 12, text(Field::MultiplicationFactor, "-0,5"), {1125}},
        {"factor inf", 12, text(Field::MultiplicationFactor, "inf"), {1125}},
        {"unavailable outputs are not read", 1, text(Field::AnalogFlowEnd, "garbage"), {}},
        {"no language", 42, [](auto& f) { f.index(Field::Language) = -1; }, {1028}},
        {"missing tee fitting where it exists", 27,
         [](auto& f) { f.index(Field::SensorType) = 2; f.index(Field::TeeFitting) = -1; }, {1129}},
        {"argon wants VRD11AN1", 27, [](auto& f) { f.index(Field::Medium) = kArgon; }, {1032}},
        {"argon, VRK11AN1 and RA05", 27,
         [](auto& f) { f.index(Field::Medium) = kCo2; f.index(Field::TeeFitting) = 4; },
         {1129, 1032, 1137, 1032}},
        {"argon with VRD11AN1 and RA05", 27,
         [](auto& f) { f.index(Field::Medium) = kArgon; f.index(Field::SensorType) = 2;
                       f.index(Field::TeeFitting) = 4; }, {1129}},
    };
    for (const auto& c : cases) {
        auto form = validForm(c.code);
        c.edit(form);
        const auto outcome = check(form);
        EXPECT_EQ(outcome.errorMarkers, c.markers) << c.name;
        EXPECT_EQ(outcome.result, c.markers.empty() ? 1 : -1) << c.name;
    }
}

TEST(ConfigurationCheck, cleansDecimalTextsInPlace)
{
    auto form = validForm(12);
    form.textOf(Field::PulseValue) = " 1,5\t";
    Limits limits;
    EXPECT_EQ(checkConfiguration(form, limits).result, 1);
    EXPECT_EQ(form.textOf(Field::PulseValue), "1.5");
}

TEST(ConfigurationFile, layoutAndWhatLoads)
{
    const Block block = block02(Family::Standard);
    const QByteArray bytes = configurationFileBytes(2, block);
    ASSERT_EQ(bytes.size(), 101);
    EXPECT_EQ(bytes[0], 2);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(block.data()), 63), bytes.mid(1, 63));
    EXPECT_EQ(bytes.mid(64), QByteArray(37, '\0'));

    const auto parsed = parseConfigurationFile(bytes);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->code, 2);
    EXPECT_EQ(parsed->block, block);
    EXPECT_TRUE(parseConfigurationFile(bytes.left(64))) << "the block without padding still fits";

    QByteArray foreign = bytes;
    foreign[0] = 46;
    const QByteArray refused[] = {bytes.left(63), bytes + QByteArray(1, '\0'), foreign, QByteArray(1, '\x02'),
                                  configurationFileBytes(16, block).left(71), QByteArray()};
    for (const auto& r : refused)
        EXPECT_FALSE(parseConfigurationFile(r)) << r.size() << " bytes, code " << (r.isEmpty() ? -1 : int(r[0]));
}

TEST(ConfigurationFile, savedThroughATemporaryAndReadBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("device.cfg");
    const QByteArray bytes = configurationFileBytes(33, block02(Family::Wt));
    ASSERT_TRUE(saveConfigurationFile(path, bytes));
    const auto loaded = loadConfigurationFile(path);
    ASSERT_TRUE(loaded.file);
    EXPECT_EQ(loaded.file->block, block02(Family::Wt));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"device.cfg"}) << "no temporary left behind";

    EXPECT_FALSE(saveConfigurationFile(dir.filePath("missing/device.cfg"), bytes));
    EXPECT_EQ(loadConfigurationFile(dir.filePath("missing.cfg")).error, LoadError::CannotOpen);
    QFile big(dir.filePath("big.cfg"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(bytes + QByteArray(500, '\0'));
    big.close();
    EXPECT_EQ(loadConfigurationFile(big.fileName()).error, LoadError::NotOurs);
}

TEST(ConfigurationBlock, negativeCValueKeepsItsNumberThroughReadAndWrite)
{
    for (const Family family : {Family::Standard, Family::Wt}) {
        ConfigurationForm form;
        form.textOf(Field::CValue) = "-7";
        auto decoded = decodeBlock(family, encodeBlock(family, form).block);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->form.textOf(Field::CValue), "-7") << "family " << static_cast<int>(family);
        decoded = decodeBlock(family, encodeBlock(family, decoded->form).block);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->form.textOf(Field::CValue), "-7") << "family " << static_cast<int>(family) << ", second pass";
    }
}

TEST(FieldAvailability, masksAndSensorRulesByVariant)
{
    using F = Field;
    // Code 0 (no variant): every masked field, but no fittings.
    for (F f : kMaskedFields) {
        if (f != F::TeeFitting && f != F::ValveFitting) {
            EXPECT_FALSE(isUnavailable(0, f, 0)) << indexOf(f);
        }
    }
    EXPECT_TRUE(isUnavailable(0, F::TeeFitting, 0));
    EXPECT_TRUE(isUnavailable(0, F::ValveFitting, 1));
    EXPECT_FALSE(isUnavailable(0, F::PipeSize, 2));
    // Code 12, standard N4A1: no gas fields, no fittings; analog and contacts there.
    for (F f : {F::Medium, F::Pressure, F::OperatingMode, F::TeeFitting, F::ValveFitting})
        EXPECT_TRUE(isUnavailable(12, f, 0)) << indexOf(f);
    for (F f : {F::AnalogFlowOffset, F::AnalogTempEnd, F::LimitAssignment, F::Limit2Off, F::PulseValue})
        EXPECT_FALSE(isUnavailable(12, f, 0)) << indexOf(f);
    // Code 20 (DR, A2): fittings and pipe follow the sensor; no limit contacts, no frequency output.
    EXPECT_FALSE(isUnavailable(20, F::TeeFitting, 2));
    EXPECT_TRUE(isUnavailable(20, F::ValveFitting, 2));
    EXPECT_TRUE(isUnavailable(20, F::PipeSize, 2));
    EXPECT_TRUE(isUnavailable(20, F::Limit1On, 2));
    EXPECT_TRUE(isUnavailable(20, F::FrequencyOutput, 2));
    EXPECT_FALSE(isUnavailable(20, F::AnalogFlowStart, 2));
    // WT: T-piece only for sensor 0, ball valve only for sensor 1.
    EXPECT_FALSE(isUnavailable(33, F::TeeFitting, 0));
    EXPECT_TRUE(isUnavailable(33, F::PipeSize, 0));
    EXPECT_FALSE(isUnavailable(33, F::PipeSize, 2));
    EXPECT_FALSE(isUnavailable(33, F::ValveFitting, 1));
}

TEST(ConfigurationRecord, untouchedFieldsKeepTheBytesThatFilledThem)
{
    // A factor of 1.234 shows as "1.23", a pipe of 50.04 as " 50.0", an unknown unit code as no selection.
    Block device = block02(Family::Standard);
    putFloat(device, 59, 1.234f);
    putFloat(device, 7, 50.04f);
    device[13] = 200;
    const auto decoded = decodeBlock(Family::Standard, device);
    ASSERT_TRUE(decoded);
    const auto differingAfter = [&](const ConfigurationForm& form, Family filledFamily = Family::Standard) {
        const BlockImage from{2, filledFamily, filledFamily == Family::Standard ? device : block1()};
        const auto encoded = encodeKeepingUntouched(Family::Standard, form, from, decoded->configuration);
        EXPECT_TRUE(encoded.unfit.empty());
        return differingFields(Family::Standard, device, encoded.block);
    };
    using Fields = std::vector<Field>;
    ConfigurationForm form = decoded->form;
    EXPECT_EQ(differingAfter(form), Fields{}) << "nothing edited, nothing changes";
    form.textOf(Field::MeasuringTime) = "2";
    EXPECT_EQ(differingAfter(form), Fields{Field::MeasuringTime});
    form.textOf(Field::MultiplicationFactor) = "1.23";
    EXPECT_EQ(differingAfter(form), Fields{Field::MeasuringTime}) << "the shown value set again is no edit";
    form.typed[indexOf(Field::MultiplicationFactor)] = true;
    EXPECT_EQ(differingAfter(form), (Fields{Field::MeasuringTime, Field::MultiplicationFactor}))
        << "typed, it is written as typed: 1.23, not the 1.234 the device holds";
    form.typed[indexOf(Field::MultiplicationFactor)] = false;
    form.textOf(Field::MultiplicationFactor) = "1.5";
    EXPECT_EQ(differingAfter(form), (Fields{Field::MeasuringTime, Field::MultiplicationFactor}));
    EXPECT_EQ(differingAfter(decoded->form, Family::Dr).size(), 3u)
        << "a block of another family keeps nothing: factor, pipe and unit are encoded from the page";
    EXPECT_TRUE(fieldBytes(Family::Standard, device, Field::Medium).empty()) << "family 0 has no medium";
}

TEST(ConfigurationRecord, eachValueReadsInTheLanguageAndTheUnitsOfItsOwnBlock)
{
    Block flowContacts = block02(Family::Standard);
    flowContacts[36] = 190;  // both contacts on the flow
    struct Case {
        BlockImage image;
        Field field;
        int language;
        const char* value;
        const char* unit;
    };
    const Case cases[] = {
        {{2, Family::Standard, block02(Family::Standard)}, Field::Limit1On, 0, "10,0", "°F"},
        {{2, Family::Standard, flowContacts}, Field::Limit1On, 1, "10.0", "m/s"},
        {{2, Family::Standard, flowContacts}, Field::Limit2Off, 2, "2,5", "m/s"},
        {{2, Family::Standard, flowContacts}, Field::Backlight, 1, "on", ""},
        {{2, Family::Standard, flowContacts}, Field::Backlight, 0, "ein", ""},
        {{2, Family::Standard, flowContacts}, Field::DisplayLine1, 2, "vitesse + temp", ""},
        {{2, Family::Standard, flowContacts}, Field::CValue, 2, "700", ""},
        {{17, Family::Dr, block1()}, Field::Medium, 1, "hydrogen", ""},
        {{17, Family::Dr, block1()}, Field::ValveFitting, 1, "no selection", ""},
        {{17, Family::Dr, block1()}, Field::Pressure, 1, "4.5", "bar"},
        {{2, Family::Standard, flowContacts}, Field::Pressure, 1, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fieldValueText(c.image, c.field, c.language), QString::fromUtf8(c.value)) << static_cast<int>(c.field);
        EXPECT_EQ(fieldUnitText(c.image, c.field, c.language), QString::fromUtf8(c.unit)) << static_cast<int>(c.field);
    }
}

// ---- the conversations, against the simulator -------------------------------------------

namespace {

using trgui::core::ServiceOutcome;

class ConfigurationOverPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.started());
        ASSERT_EQ(port.open(1), 0);
    }

    trgui::testing::Simulator sim{17};
    trgui::device::SerialPort port{[this](const std::string&) { return sim.linkPath(); }};
};

} // namespace

TEST_F(ConfigurationOverPty, aReadAsksForTheIdentifiedFamilysBlockAndTakesOnlyAWholeOne)
{
    struct Case {
        const char* control;
        std::optional<int> code;
        Family family;
        std::size_t blockSize;  // 0: none
    };
    const Case cases[] = {
        {"length 0x30 off", 17, Family::Dr, 71},
        {"length 0x30 5", 17, Family::Dr, 0},
        {"silent on", std::nullopt, Family::Standard, 0},
    };
    for (const auto& c : cases) {
        sim.control(c.control);
        const auto read = readConfiguration(port, Family::Standard);
        EXPECT_EQ(read.code, c.code) << c.control;
        EXPECT_EQ(read.family, c.family) << c.control;
        EXPECT_EQ(read.block ? read.block->size() : 0u, c.blockSize) << c.control;
    }
}

TEST_F(ConfigurationOverPty, aWriteIsJudgedByWhatTheDeviceReadsBackAcknowledgedOrNot)
{
    const auto read = readConfiguration(port, Family::Dr);
    ASSERT_TRUE(read.block);
    BlockImage next{17, Family::Dr, *read.block};
    next.block[11] = 152;  // velocity in fps
    const std::string restore = "poke 11 " + QByteArray(1, static_cast<char>((*read.block)[11])).toHex().toStdString();
    struct Case {
        std::vector<std::string> controls;
        ServiceOutcome outcome;
        bool stored;
        std::vector<Field> differing;
    };
    const Case cases[] = {
        {{}, ServiceOutcome::Verified, true, {}},
        {{"clamp 11 97"}, ServiceOutcome::Differs, true, {Field::VelocityUnit}},
        {{"clamp off", "length 0x30 5"}, ServiceOutcome::NotVerified, false, {}},
        {{"length 0x30 off", "noack second"}, ServiceOutcome::StoredUnacknowledged, true, {}},
        {{"noack second", "clamp 11 5A"}, ServiceOutcome::DiffersUnacknowledged, true, {Field::VelocityUnit}},
        {{"clamp off", "ignore on"}, ServiceOutcome::UnchangedUnacknowledged, true, {Field::VelocityUnit}},
        {{"noack second", "length 0x30 5"}, ServiceOutcome::StateUnknown, false, {}},
    };
    for (const auto& c : cases) {
        sim.control(restore);
        for (const auto& line : c.controls)
            sim.control(line);
        const auto result = writeAndReadBack(port, *read.block, next);
        EXPECT_EQ(result.outcome, c.outcome) << static_cast<int>(c.outcome);
        EXPECT_EQ(result.stored.has_value(), c.stored) << static_cast<int>(c.outcome);
        EXPECT_EQ(result.differing, c.differing) << static_cast<int>(c.outcome);
        for (const char* line : {"noack off", "length 0x30 off", "ignore off", "clamp off"})
            sim.control(line);
    }
}

// ---- what the session knows --------------------------------------------------------------------

namespace {

QString plainLabel(Field f)
{
    return QStringLiteral("F%1").arg(static_cast<int>(f));
}

QString labelInLanguage(Field f, int language)
{
    return QStringLiteral("F%1/%2").arg(static_cast<int>(f)).arg(language);
}

} // namespace

TEST(ConfigurationRecords, aWriteIsPlannedAgainstWhatTheDeviceHolds)
{
    using Step = ConfigurationRecords::WriteStep;
    const BlockImage held{17, Family::Dr, block1()};
    BlockImage changed = held;
    changed.block[11] = 152;
    ConfigurationRecords records;
    EXPECT_EQ(records.planWrite(held, Family::Dr, 17).step, Step::NotReadYet) << "nothing read yet";
    records.takeRead(held);
    struct Case {
        BlockImage next;
        Family connectedFamily;
        int connectedCode;
        Step step;
        std::vector<Field> changes;
    };
    const Case cases[] = {
        {{2, Family::Standard, block02(Family::Standard)}, Family::Dr, 17, Step::OtherFamily, {}},
        {held, Family::Dr, 18, Step::NotReadYet, {}},
        {held, Family::Dr, 17, Step::NothingChanged, {}},
        {changed, Family::Dr, 17, Step::Confirm, {Field::VelocityUnit}},
    };
    for (const auto& c : cases) {
        const auto plan = records.planWrite(c.next, c.connectedFamily, c.connectedCode);
        EXPECT_EQ(plan.step, c.step) << static_cast<int>(c.step);
        EXPECT_EQ(plan.changes, c.changes) << static_cast<int>(c.step);
    }
}

TEST(ConfigurationRecords, whatAWriteLeavesKnownIsOnlyWhatWasReadBack)
{
    const BlockImage held{17, Family::Dr, block1()};
    BlockImage next{18, Family::Dr, block1()};  // written for another variant of the family
    next.block[11] = 152;
    const std::vector<Field> changes{Field::VelocityUnit};
    using O = ServiceOutcome;
    struct Case {
        WriteResult result;
        std::optional<Block> heldAfter;  // none: unknown
        int differs;      // lines for the box
        int notes;        // report notes
        bool written;     // the fields show the read-back; otherwise they keep what was sent
        const char* verdict;
    };
    const Case cases[] = {
        {{O::Verified, true, next.block, {}}, next.block, 0, 0, true, "Written and verified"},
        {{O::Differs, true, held.block, changes}, held.block, 1, 1, false, "Written, differs"},
        {{O::NotVerified, true, std::nullopt, {}}, std::nullopt, 0, 1, false, "State unknown"},
        {{O::StoredUnacknowledged, false, next.block, {}}, next.block, 0, 1, true,
         "Written and verified: the device stored the configuration as sent, although its acknowledgement did not "
         "arrive."},
        {{O::UnchangedUnacknowledged, false, held.block, changes}, held.block, 1, 0, false, "Not acknowledged, device unchanged"},
        {{O::StateUnknown, false, std::nullopt, {}}, std::nullopt, 0, 1, false, "State unknown"},
    };
    for (const auto& c : cases) {
        const int outcome = static_cast<int>(c.result.outcome);
        ConfigurationRecords records;
        records.takeRead(held);
        records.fill(held);
        const auto record = records.takeWrite(held, next, changes, c.result, 17, QDateTime::currentDateTime(),
                                              labelInLanguage, 1);
        EXPECT_EQ(record.outcome, c.result.outcome);
        EXPECT_EQ(records.held().has_value(), c.heldAfter.has_value()) << outcome;
        if (records.held() && c.heldAfter) {
            EXPECT_EQ(records.held()->code, 17) << outcome << ": what the device holds is the connected device's";
            EXPECT_EQ(records.held()->block, *c.heldAfter) << outcome;
        }
        EXPECT_EQ(record.stored.has_value(), c.heldAfter.has_value()) << outcome;
        EXPECT_EQ(record.differs.size(), c.differs) << outcome;
        // Each language's log gets its own field names, the sent values and, where it differs, the read-back.
        const bool differs = verdictOf(c.result.outcome) == WriteVerdict::Differs;
        for (int language : {0, 2}) {
            const QString details = record.details(language, trgui::core::DetailsForm::Line);
            EXPECT_TRUE(details.startsWith(QStringLiteral("F%1/%2 ").arg(indexOf(Field::VelocityUnit)).arg(language)))
                << outcome << ": " << details.toStdString();
            EXPECT_EQ(details.contains(trgui::core::serviceOutcomeText(O::Differs, language)), differs)
                << outcome << ": " << details.toStdString();
        }
        EXPECT_EQ(records.reportNotes(17, plainLabel, 1).size(), c.notes) << outcome;
        EXPECT_TRUE(records.reportNotes(5, plainLabel, 1).isEmpty()) << outcome << ": another device";
        EXPECT_EQ(record.written, c.written) << outcome;
        if (!c.written) {
            // Marked against what the device holds (or held before, when not read back)...
            EXPECT_EQ(records.filled()->block, c.heldAfter.value_or(held.block)) << outcome;
            // ...and sent again as it was by a later write.
            const auto page = decodeBlock(Family::Dr, next.block);
            ASSERT_TRUE(page) << outcome;
            EXPECT_EQ(records.encode(page->form, Family::Dr).block, next.block) << outcome;
            EXPECT_TRUE(records.differsFromFilled(page->form, Field::VelocityUnit)) << outcome;
            EXPECT_FALSE(records.differsFromFilled(page->form, Field::PipeSize)) << outcome;
        }
        EXPECT_TRUE(records.verdict(17, plainLabel, 1).startsWith(QString::fromUtf8(c.verdict)))
            << outcome << ": " << records.verdict(17, plainLabel, 1).toStdString();
        // As left is what was read back, or said to be unknown: never the block sent, never "unchanged".
        const auto rows = records.reportRows(17, plainLabel, 1);
        ASSERT_FALSE(rows.empty()) << outcome;
        EXPECT_EQ(records.asLeftKnown(17), c.heldAfter.has_value()) << outcome;
        const bool unknownAsLeft = std::all_of(rows.begin(), rows.end(), [](const auto& row) {
            return row.asLeft == QStringLiteral("unknown") && !row.changed;
        });
        EXPECT_EQ(unknownAsLeft, !c.heldAfter) << outcome;
    }
}

// A write the device did not store: the page keeps what was sent, to the
// last bit, and marks each field the device holds otherwise - also one that
// reads like the device's value but would go with other bytes.
TEST(ConfigurationRecords, aWriteTheDeviceDidNotStoreStaysOnThePageMarkedAgainstTheDevice)
{
    Block device = block02(Family::Standard);
    putFloat(device, 59, 1.23f);  // multiplication factor
    Block sent = device;
    putFloat(sent, 59, 1.234f);   // loaded from a file, shown as 1.23 like the device's
    putFloat(sent, 7, 62.5f);     // pipe size edited
    const BlockImage held{2, Family::Standard, device};
    const BlockImage next{2, Family::Standard, sent};
    ConfigurationRecords records;
    records.takeRead(held);
    records.fill(next);
    const auto differing = differingFields(Family::Standard, device, sent);
    const WriteResult refused{ServiceOutcome::UnchangedUnacknowledged, false, device, differing};
    const auto record = records.takeWrite(held, next, differing, refused, 2, QDateTime::currentDateTime(),
                                          labelInLanguage, 1);
    ASSERT_FALSE(record.written);

    auto form = decodeBlock(Family::Standard, sent)->form;
    EXPECT_TRUE(records.differsFromFilled(form, Field::MultiplicationFactor)) << "1.234 goes, the device holds 1.23";
    EXPECT_TRUE(records.differsFromFilled(form, Field::PipeSize));
    EXPECT_FALSE(records.differsFromFilled(form, Field::CValue));
    EXPECT_EQ(records.encode(form, Family::Standard).block, sent) << "a second write sends the same block";

    // Set back by hand to what the device holds: no longer marked, and the device's bytes go.
    form.textOf(Field::PipeSize) = decodeBlock(Family::Standard, device)->form.textOf(Field::PipeSize);
    EXPECT_FALSE(records.differsFromFilled(form, Field::PipeSize));
    const auto again = records.encode(form, Family::Standard).block;
    EXPECT_EQ(differingFields(Family::Standard, device, again), std::vector<Field>{Field::MultiplicationFactor});

    // A read fills the page from the device again: nothing of the write is kept.
    records.fill(held);
    const auto read = decodeBlock(Family::Standard, device)->form;
    EXPECT_FALSE(records.differsFromFilled(read, Field::MultiplicationFactor));
    EXPECT_EQ(records.encode(read, Family::Standard).block, device);
}

TEST(ConfigurationRecords, recordsStateEveryValueExactlyAndEveryChangeOfMeaning)
{
    Block found = block02(Family::Standard);
    putFloat(found, 59, 1.234f);   // multiplication factor, shown as 1.23
    putFloat(found, 3, 1.0503f);   // C-value, shown as 1050
    putFloat(found, 7, 987.6f);
    const BlockImage before{2, Family::Standard, found};
    BlockImage after = before;
    putFloat(after.block, 59, 1.23f);
    putFloat(after.block, 3, 1.05f);
    const auto changes = differingFields(Family::Standard, before.block, after.block);
    EXPECT_EQ(changeList(before, after, changes, plainLabel, 1),
              QStringLiteral("F%1 1050.3 -> 1050 | F%2 1.234 -> 1.23")
                  .arg(indexOf(Field::CValue))
                  .arg(indexOf(Field::MultiplicationFactor)));
    EXPECT_EQ(changeList(before, after, changes, plainLabel, 0),
              QStringLiteral("F%1 1050,3 -> 1050 | F%2 1,234 -> 1,23")
                  .arg(indexOf(Field::CValue))
                  .arg(indexOf(Field::MultiplicationFactor)));
    // Every row marked changed prints two different values, and only those rows are marked.
    for (const auto& row : reportRows(before, after, plainLabel, 1))
        EXPECT_EQ(row.changed, row.asFound != row.asLeft) << row.label.toStdString() << " " << row.asFound.toStdString();
    EXPECT_EQ(fieldValueText(before, Field::PipeSize, 1), QStringLiteral("987.6"));

    // Bytes the page has no words for still read differently.
    BlockImage odd = before;
    odd.block[15] = 250;
    BlockImage odder = before;
    odder.block[15] = 251;
    const auto [was, is] = changeTexts(odd, odder, Field::DisplayLine1, 1);
    EXPECT_NE(was, is);

    // m/s -> fps: the limits on the velocity now mean fps, so they are listed with their units.
    Block flowContacts = block02(Family::Standard);
    flowContacts[36] = 190;
    const BlockImage metres{2, Family::Standard, flowContacts};
    BlockImage feet = metres;
    feet.block[11] = 92;  // fps
    const auto listed = fieldsWhoseMeaningChanges(metres, feet, {Field::VelocityUnit});
    for (Field f : {Field::VelocityUnit, Field::Limit1On, Field::Limit2Off})
        EXPECT_NE(std::find(listed.begin(), listed.end(), f), listed.end()) << indexOf(f);
    EXPECT_EQ(std::find(listed.begin(), listed.end(), Field::PipeSize), listed.end());
}

TEST(ConfigurationRecords, theFirstReadOfADeviceIsWhatWasFound)
{
    const BlockImage found{17, Family::Dr, block1()};
    BlockImage later = found;
    later.block[11] = 152;
    BlockImage another = later;
    another.code = 18;
    const auto changedRows = [](const std::vector<trgui::core::ReportRow>& rows) {
        return std::count_if(rows.begin(), rows.end(), [](const auto& row) { return row.changed; });
    };
    ConfigurationRecords records;
    records.takeRead(found);
    records.takeRead(later);
    EXPECT_EQ(changedRows(records.reportRows(17, plainLabel, 1)), 1);
    EXPECT_TRUE(records.reportRows(18, plainLabel, 1).empty());
    records.takeRead(another);
    const auto rows = records.reportRows(18, plainLabel, 1);
    EXPECT_FALSE(rows.empty());
    EXPECT_EQ(changedRows(rows), 0) << "another device starts its own as found";
}

TEST(ConfigurationRecords, theComparisonTableEscapesAndShowsBothValues)
{
    const BlockImage held{17, Family::Dr, block1()};
    BlockImage next = held;
    next.block[11] = 152;
    const QString table = comparisonTable(QStringLiteral("Write <these>?"), held, next, {Field::VelocityUnit},
                                          [](Field) { return QStringLiteral("Velocity & unit"); }, 1);
    for (const char* piece : {"<p>Write &lt;these&gt;?</p>", "<th style=\"padding: 1px 8px\">In the device</th>",
                             "Velocity &amp; unit", "m/s", "fps"})
        EXPECT_TRUE(table.contains(QString::fromUtf8(piece))) << piece << " in " << table.toStdString();
}

// A field the variant, or the sensor a side selects, does not have is a row
// that says so: its bytes are no value of the device.
TEST(ConfigurationRecords, reportRowsMarkTheFieldsTheDeviceDoesNotHave)
{
    using F = Field;
    const std::vector<F> analogue{F::AnalogFlowOffset, F::AnalogFlowStart, F::AnalogFlowEnd,
                                  F::AnalogTempOffset, F::AnalogTempStart, F::AnalogTempEnd};
    const std::vector<F> contacts{F::LimitAssignment, F::Limit1On, F::Limit1Off, F::Limit2On, F::Limit2Off};
    const auto join = [](std::vector<F> a, const std::vector<F>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    Block drSensor0 = block1();
    drSensor0[1] = 21;  // sensor 0: with a pipe size, without a valve fitting
    struct Case {
        const char* variant;
        BlockImage found;
        BlockImage left;
        std::vector<F> absent;
    };
    const Case cases[] = {
        {"E1N4H1: no analogue outputs", {3, Family::Standard, block02(Family::Standard)},
         {3, Family::Standard, block02(Family::Standard)}, analogue},
        {"E1S2H1: no analogue, frequency or pulse outputs", {2, Family::Standard, block02(Family::Standard)},
         {2, Family::Standard, block02(Family::Standard)}, join(analogue, {F::FrequencyOutput, F::PulseValue})},
        {"E1A1H1: no contacts, frequency or pulse outputs", {4, Family::Standard, block02(Family::Standard)},
         {4, Family::Standard, block02(Family::Standard)}, join(contacts, {F::FrequencyOutput, F::PulseValue})},
        {"DR-E1S2H1, sensor 2: no analogue, frequency or pulses, pipe size or valve",
         {17, Family::Dr, block1()}, {17, Family::Dr, block1()},
         join(analogue, {F::FrequencyOutput, F::PulseValue, F::PipeSize, F::ValveFitting})},
        {"DR-E1N4H1 from sensor 2 to 0: the pipe size comes, the tee fitting goes", {18, Family::Dr, block1()},
         {18, Family::Dr, drSensor0}, join(analogue, {F::ValveFitting})},
    };
    for (const auto& c : cases) {
        const auto rows = reportRows(c.found, c.left, plainLabel, 1);
        ASSERT_FALSE(rows.empty()) << c.variant;
        std::vector<F> absent;
        for (const auto& row : rows) {
            const auto at = std::find_if(kFields.begin(), kFields.end(),
                                         [&row](const auto& info) { return plainLabel(info.field) == row.label; });
            ASSERT_NE(at, kFields.end()) << row.label.toStdString();
            if (!row.available)
                absent.push_back(at->field);
        }
        std::sort(absent.begin(), absent.end());
        std::vector<F> expected = c.absent;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(absent, expected) << c.variant;
    }
    // One side without the field: that side says so, the other keeps its value.
    const auto rows = reportRows({18, Family::Dr, block1()}, BlockImage{18, Family::Dr, drSensor0}, plainLabel, 1);
    const auto pipe = std::find_if(rows.begin(), rows.end(),
                                   [](const auto& row) { return row.label == plainLabel(Field::PipeSize); });
    const auto tee = std::find_if(rows.begin(), rows.end(),
                                  [](const auto& row) { return row.label == plainLabel(Field::TeeFitting); });
    ASSERT_NE(pipe, rows.end());
    ASSERT_NE(tee, rows.end());
    EXPECT_EQ(pipe->asFound, "not on this variant or sensor");
    EXPECT_EQ(pipe->asFoundUnit, "");
    EXPECT_EQ(pipe->asLeft, "1234.5");
    EXPECT_EQ(tee->asLeft, "not on this variant or sensor");
    EXPECT_NE(tee->asFound, "not on this variant or sensor");

    // Bytes of a field the variant lacks that a write changed: a change, with both values.
    Block pipeChanged = block1();
    const auto pipeBytes = fieldBytes(Family::Dr, pipeChanged, Field::PipeSize);
    trgui::device::encodeFloatBE(80.5f, pipeChanged.data() + (pipeBytes.data() - pipeChanged.data()));
    const auto stored = reportRows({17, Family::Dr, block1()}, BlockImage{17, Family::Dr, pipeChanged}, plainLabel, 1);
    const auto unseen = std::find_if(stored.begin(), stored.end(),
                                     [](const auto& row) { return row.label == plainLabel(Field::PipeSize); });
    ASSERT_NE(unseen, stored.end());
    EXPECT_FALSE(unseen->available);
    EXPECT_TRUE(unseen->changed);
    EXPECT_EQ(unseen->asLeft, "80.5");
    EXPECT_NE(unseen->asFound, unseen->asLeft);
    EXPECT_EQ(std::count_if(stored.begin(), stored.end(), [](const auto& row) { return row.changed; }), 1);
}
