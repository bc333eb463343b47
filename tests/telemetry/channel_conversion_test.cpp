#include "telemetry/channel_conversion.h"

#include <gtest/gtest.h>

#include "telemetry/value_text.h"

namespace twk {
namespace {

ChannelRow convert(std::initializer_list<std::pair<int, double>> bytes) {
  PacketRow row{};
  for (const auto& [position, value] : bytes) row[static_cast<std::size_t>(position)] = value;
  ChannelRow values{};
  convertPacket(row, values);
  return values;
}

ChannelRow convertWord(int position, unsigned word) {
  return convert({{position, word >> 8}, {position + 1, word & 0xFF}});
}

// Expected values worked out by hand from the channel formulas; compared as the CSV writes them
// (15 significant digits) where the exact double is not a short decimal.
TEST(ChannelConversion, SignedWordsAndTheirScales) {
  struct Case {
    int position;
    unsigned word;
    int channel;
    const char* value;
  };
  const Case cases[] = {
      {37, 0x8000, 2, "2560"},          {37, 0x8001, 2, "-2559.921875"},
      {37, 0xFFFF, 2, "-0.078125"},     {37, 0x0100, 2, "20"},
      {43, 0x0100, 5, "10"},            {43, 0xFFFF, 5, "-0.0390625"},
      {47, 0x8000, 7, "2560"},          {53, 0x8001, 10, "-1279.9609375"},
      {74, 0x8000, 27, "32768"},        {74, 0x8001, 27, "-32767"},
      {74, 0xFFFF, 27, "-1"},           {81, 0x8001, 30, "-32767"},
      {35, 0xFFFF, 1, "65535"},         {45, 0x8001, 6, "32769"},
      {72, 0xFFFF, 26, "65535"},        {63, 0x0400, 19, "5.511"},
      {63, 0xFFFF, 19, "-0.0053818359375"},  // -1 x 3.3 / 1024 x 1.67
      {65, 0x0400, 20, "8.25"},         {65, 0x8001, 20, "-263.991943359375"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(generalText(convertWord(c.position, c.word)[c.channel], "."), c.value)
        << "channel " << c.channel << " word " << std::hex << c.word;
  }
}

TEST(ChannelConversion, BatteryTemperaturesAndVoltagesUseFifteenBitsOverThirtyTwo) {
  struct Case {
    unsigned word;
    const char* temp;
    const char* volts;
  };
  const Case cases[] = {
      {0x1900, "25", "0.976"},  // L = 200: 200 x 4.88 / 1000
      {0x0020, "0.125", "0.00488"},
      {0x8020, "-0.125", "0.00488"},  // sign and magnitude; the volts ignore bit 15
      {0x0000, "0", "0"},
      {0x8000, "0", "0"},
      {0x001F, "0.12109375", "0.0047275"},
      {0x1234, "18.203125", "0.71065"},
      {0xFFFF, "-127.99609375", "4.9969675"},
      {0x7FFF, "127.99609375", "4.9969675"},
  };
  for (const Case& c : cases) {
    const ChannelRow a = convertWord(39, c.word);
    EXPECT_EQ(generalText(a[3], "."), c.temp) << std::hex << c.word;
    EXPECT_EQ(generalText(convertWord(49, c.word)[8], "."), c.temp) << std::hex << c.word;
    EXPECT_EQ(generalText(convertWord(41, c.word)[4], "."), c.volts) << std::hex << c.word;
    EXPECT_EQ(generalText(convertWord(51, c.word)[9], "."), c.volts) << std::hex << c.word;
  }
}

TEST(ChannelConversion, SingleByteChannels) {
  struct Case {
    int position;
    double byte;
    int channel;
    const char* twoDecimals;  // as the value panel shows it
  };
  const Case cases[] = {
      {71, 115, 25, "-110.53"}, {71, 116, 25, "-68.38"}, {71, 0, 25, "-91.52"},
      {71, 255, 25, "-91.36"},  {69, 91, 23, "20.11"},   {67, 255, 21, "34.63"},
      {67, 0, 21, "-273.15"},   {68, 0, 22, "-273.15"},  {69, 0, 23, "-273.15"},
      {70, 0, 24, "-273.15"},   {55, 255, 11, "161.13"}, {60, 1, 16, ".63"},
      {61, 255, 17, "241.70"},  {62, 100, 18, "94.78"},  {80, 171, 29, "171.00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(twoDecimalsText(convert({{c.position, c.byte}})[c.channel], "."), c.twoDecimals)
        << "channel " << c.channel << " byte " << c.byte;
  }
}

TEST(ChannelConversion, ThirtyTwoBitCountsAreUnsigned) {
  EXPECT_EQ(convert({{18, 1}})[0], 65536);
  EXPECT_EQ(convert({{17, 255}, {18, 255}, {19, 255}, {20, 255}})[0], 4294967295.0);
  EXPECT_EQ(convert({{76, 255}, {77, 255}, {78, 255}, {79, 255}})[28], 4294967295.0);
  EXPECT_EQ(convert({{76, 0x12}, {77, 0x34}, {78, 0x56}, {79, 0x78}})[28], 305419896);
}

TEST(ChannelConversion, RowsOneToCountOnlyAreConverted) {
  PacketStore store;
  ChannelStore values;
  values.Channel_Values[3][1] = 777;
  store.Packet_Bytes[1][35] = 1;
  store.Packet_Bytes[2][35] = 2;
  store.Packet_Bytes[3][35] = 3;
  store.Packet_Count = 2;
  convertPackets(store, values);
  EXPECT_EQ(values.Channel_Values[1][1], 256);
  EXPECT_EQ(values.Channel_Values[2][1], 512);
  EXPECT_EQ(values.Channel_Values[3][1], 777);
  EXPECT_EQ(values.Channel_Values[0][1], 0);
}

}  // namespace
}  // namespace twk
