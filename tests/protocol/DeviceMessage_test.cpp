// The gateway's messages: the element area, its checksum, finding an element
// and reading its text, the password mask of a message dump, and the layouts of
// the elements' data.
#include "protocol/DeviceMessage.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "protocol/ElementLayouts.h"
#include "protocol/PasswordMask.h"

namespace tusko {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<std::uint8_t> AreaOf(const DeviceMessage& message) {
  const auto area = message.ieArea();
  return {area.begin(), area.end()};
}

std::vector<std::uint8_t> DataOf(const ElementView& element) { return {element.data.begin(), element.data.end()}; }

// A received message built from raw bytes, so that malformed areas can be tested.
DeviceMessage Received(std::vector<std::uint8_t> bytes) { return DeviceMessage::FromBytes(bytes); }

// Elements go in sorted by identifier, a duplicate after the old one.
TEST(DeviceMessage, AreaHoldsTheElementsInOrder) {
  // `received`: empty for a new request
  const struct { const char* name; Bytes received; bool (*build)(DeviceMessage&); Bytes area; } rows[] = {
      {"sortedByIdentifier", {}, [](DeviceMessage& m) {
         return AddTextElement(m, ie::Password, "ab", true) && AddElementBytes(m, ie::Address, {0x00, 0x07, 0x00, 0x80}) &&
                AddElement(m, ie::ConfigReadData, {});
       }, {0x42, 0, 0x46, 4, 0x00, 0x07, 0x00, 0x80, 0xD1, 3, 'a', 'b', 0}},
      {"duplicateAfterTheOld", {}, [](DeviceMessage& m) {
         return AddElementBytes(m, ie::Address, {1}) && AddElementBytes(m, ie::Password, {9}) && AddElementBytes(m, ie::Address, {2});
       }, {0x46, 1, 1, 0x46, 1, 2, 0xD1, 1, 9}},
      // The copy lands first, so making room for it moves the bytes its source view points at.
      {"copyWithinTheSameMessage", {}, [](DeviceMessage& m) {
         return AddElementBytes(m, ie::Address, {9}) && AddElementBytes(m, ie::Password, {5, 6}) &&
                CopyElement(m, ElementView{ie::LoaderVersion, FindElement(m, ie::Password)->data});
       }, {0x15, 2, 5, 6, 0x46, 1, 9, 0xD1, 2, 5, 6}},
      // The only element claims more than the area holds; a new element goes at the end.
      {"malformedAreaStaysInside", {0xA2, 3, 0x42, 9, 1, 0xEE}, [](DeviceMessage& m) { return AddElementBytes(m, 0x46, {7}); },
       {0x42, 9, 1, 0x46, 1, 7}}};
  for (const auto& row : rows) {
    auto message = row.received.empty() ? CreateMessage(MessageType::Request) : Received(row.received);
    EXPECT_TRUE(row.build(message)) << row.name;
    EXPECT_EQ(AreaOf(message), row.area) << row.name;
  }
}

TEST(DeviceMessage, AddsOnlyWhatFitsAndLeavesTheMessageAloneOtherwise) {
  // `fillTo`: the IE area's length before the attempt; `dataSize`: the data bytes of the element tried
  const struct { const char* name; std::size_t fillTo, dataSize; bool fits; } rows[] = {
      {"area253_acceptsEmpty", 253, 0, true}, {"area253_rejectsOneByte", 253, 1, false},
      {"area254_rejectsEmpty", 254, 0, false}, {"empty_accepts253", 0, 253, true},
      {"empty_rejects254", 0, 254, false},     {"empty_rejects300", 0, 300, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    auto message = CreateMessage(MessageType::Request);
    // Fill with elements of id 1; the filler's last element takes up the remainder.
    for (std::size_t remaining = row.fillTo; remaining > 0;) {
      const std::size_t data = std::min<std::size_t>(remaining - kElementHeaderSize, 200);
      ASSERT_TRUE(AddElement(message, 1, std::vector<std::uint8_t>(data, 0xAA)));
      remaining -= kElementHeaderSize + data;
    }
    ASSERT_EQ(message.ieLength(), row.fillTo);
    const auto before = message.buffer();
    EXPECT_EQ(AddElement(message, 0, std::vector<std::uint8_t>(row.dataSize, 0x55)), row.fits);
    if (!row.fits) {
      EXPECT_EQ(message.buffer(), before);
      continue;
    }
    EXPECT_EQ(message.ieLength(), row.fillTo + kElementHeaderSize + row.dataSize);
    SealMessage(message);  // a full area makes a message of the whole buffer
    EXPECT_EQ(message.wireSize(), kMessageHeaderSize + message.ieLength() + 1u);
    EXPECT_TRUE(IsChecksumValid(message));
  }
}

// The sum of every byte up to the one the length byte names is zero.
TEST(DeviceMessage, ChecksumMakesTheSumOfAllBytesZero) {
  EXPECT_TRUE(IsChecksumValid(Received({0xA1, 0x00, 0x5F})));
  EXPECT_FALSE(IsChecksumValid(Received({0xA1, 0x00, 0x60})));
  EXPECT_TRUE(IsChecksumValid(Received({0xA2, 0x02, 0x15, 0x00, 0x47})));
  EXPECT_FALSE(IsChecksumValid(Received({0xA2, 0x02, 0x14, 0x00, 0x47})));  // a data bit flipped
  EXPECT_TRUE(IsChecksumValid(Received({0xA1, 0x00, 0x5F, 0x33})));        // a byte after the checksum
  EXPECT_FALSE(IsChecksumValid(Received({0xA1, 0x01, 0x5F})));              // the length byte names the checksum
}

TEST(DeviceMessage, FindsOnlyInsideTheArea) {
  // `bytes`: the whole message as received
  const struct { const char* name; Bytes bytes; std::uint8_t id; std::optional<Bytes> data; } rows[] = {
      {"second", {0xA2, 6, 0x15, 1, 'a', 0x16, 1, 'b', 0}, 0x16, Bytes{'b'}},
      {"duplicateGivesTheFirst", {0xA2, 6, 0x46, 1, 1, 0x46, 1, 2, 0}, 0x46, Bytes{1}},
      {"absent", {0xA2, 3, 0x15, 1, 'a', 0}, 0x16, std::nullopt},
      {"emptyElement", {0xA2, 2, 0x42, 0, 0}, 0x42, Bytes{}},
      // The length byte claims 9 bytes but the area holds 2: the view is clipped.
      {"overlongClipped", {0xA2, 4, 0x42, 9, 1, 2, 0xEE, 0xEE}, 0x42, Bytes{1, 2}},
      // An element after an overlong one lies outside the area and is not found.
      {"behindOverlong", {0xA2, 4, 0x42, 9, 0x46, 0, 0xEE}, 0x46, std::nullopt},
      // An identifier in the last area byte has no length byte inside the area.
      {"truncatedHeader", {0xA2, 3, 0x42, 0, 0x46, 0x00, 0xEE}, 0x46, std::nullopt},
      // Bytes after L that look like an element are not part of the message.
      {"beyondLength", {0xA2, 2, 0x42, 0, 0x46, 1, 7, 0xEE}, 0x46, std::nullopt}};
  for (const auto& row : rows) {
    const auto message = Received(row.bytes);
    const auto found = FindElement(message, row.id);
    EXPECT_EQ(found ? std::optional(DataOf(*found)) : std::nullopt, row.data) << row.name;
  }
}

TEST(DeviceMessage, ElementTextTakesCharactersUpToNulAndCapacity) {
  const auto text = [](const Bytes& data, std::size_t capacity) {
    return ElementText(ElementView{ie::DeviceName, data}, capacity);
  };
  EXPECT_EQ(text({'G', 'W', '1'}, 40), "GW1");
  EXPECT_EQ(text({'G', 0, 'X'}, 40), "G");
  EXPECT_EQ(text({'a', 'b', 'c', 'd'}, 2), "ab");
  EXPECT_EQ(text({'a'}, 0), "");
  EXPECT_EQ(text({}, 40), "");
  EXPECT_EQ(text({0xE4, 0xFC}, 40), "\xE4\xFC");  // high bytes kept
}

TEST(DeviceMessage, FromBytesKeepsAtMost258Bytes) {
  std::vector<std::uint8_t> bytes(300, 0x11);
  const auto message = DeviceMessage::FromBytes(bytes);
  EXPECT_EQ(message.buffer().back(), 0x11);
  const auto shortMessage = DeviceMessage::FromBytes(std::vector<std::uint8_t>{0xA1});
  EXPECT_EQ(shortMessage.ieLength(), 0);
}

// Password "ab" is D1 03 61 62 00, the new password "cd" 28 03 63 64 00.
TEST(MessageDump, MasksOnlyThePasswordsOfARequest) {
  EXPECT_EQ(MessageDump(Bytes{0xA1, 0x0B, 0x46, 0x04, 0x00, 0x07, 0x00, 0x00, 0xD1, 0x03, 0x61, 0x62, 0x00, 0x55}),
            "A1 0B 46 04 00 07 00 00 D1 03 ** ** ** 55");
  EXPECT_EQ(MessageDump(Bytes{0xA1, 0x0A, 0x28, 0x03, 0x63, 0x64, 0x00, 0xD1, 0x03, 0x61, 0x62, 0x00, 0x55}),
            "A1 0A 28 03 ** ** ** D1 03 ** ** ** 55");
  // A reply is shown as it is, and so is an element past the area.
  EXPECT_EQ(MessageDump(Bytes{0xA2, 0x05, 0x28, 0x03, 0x63, 0x64, 0x00, 0x55}), "A2 05 28 03 63 64 00 55");
  EXPECT_EQ(MessageDump(Bytes{0xA1, 0x09, 0xD1, 0x03, 0x61, 0x62, 0x00, 0xD1, 0x09, 0x61, 0x62}),
            "A1 09 D1 03 ** ** ** D1 09 61 62");
  EXPECT_EQ(MessageDump(Bytes{0xA1, 0x40, 0xD1}), "A1 40 D1");  // the length claims more than was given
  EXPECT_EQ(MessageDump(Bytes{}), "");
}

// ==== The layouts of the elements' data ====

Bytes Text(std::string_view text) { return {text.begin(), text.end()}; }

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Readers get a view of exactly the element's bytes, as FindElement hands them out.
ElementView View(std::uint8_t id, const Bytes& data) { return ElementView{id, data}; }

// --- RunMode ---------------------------------------------------------------

TEST(RunMode, ReadsModeAndVersionOnlyWhenWhollyPresent) {
  const struct { const char* name; Bytes data; std::uint8_t mode; std::uint32_t dataVersion; } rows[] = {
      {"empty", {}, 0, 0}, {"modeOnly", {1}, 1, 0},
      {"withVersion", {2, 0x7D, 0, 0x78, 0x56, 0x34, 0x12}, 2, 0x12345678},
      {"noMarker", {2, 0x7C, 0, 0x78, 0x56, 0x34, 0x12}, 2, 0},
      {"markerLength4", {2, 0x7D, 0, 0x78}, 2, 0},
      {"markerLength6", {2, 0x7D, 0, 0x78, 0x56, 0x34}, 2, 0},
      {"longerThanSeven", {2, 0x7D, 0, 1, 0, 0, 0, 0xFF}, 2, 1}};
  for (const auto& row : rows) {
    const auto info = ReadRunMode(View(ie::RunMode, row.data));
    EXPECT_EQ(info.mode, row.mode) << row.name;
    EXPECT_EQ(info.dataVersion, row.dataVersion) << row.name;
  }
}

// --- LanInfo ---------------------------------------------------------------

const Bytes kIp = Text("192168001010");
const Bytes kMask = Text("255255255000");
const Bytes kPort = Text("01002");
const Bytes kGateway = Text("192168001001");
const Bytes kLanFull = Join({{1}, kIp, kMask, kPort, kGateway});

Bytes LanPrefix(std::size_t length) { return {kLanFull.begin(), kLanFull.begin() + static_cast<long>(length)}; }

TEST(LanInfo, ReadsEachGroupWhenTheElementHoldsIt) {
  const struct { const char* name; Bytes data; std::optional<std::uint8_t> dhcp; std::string ip, mask;
                 std::optional<std::uint16_t> port; std::string gateway; } rows[] = {
      {"length24_nothing", LanPrefix(24), std::nullopt, "", "", std::nullopt, ""},
      {"length25_addresses", LanPrefix(25), 1, "192.168.1.10", "255.255.255.0", std::nullopt, ""},
      {"length29_noPortNoGateway", LanPrefix(29), 1, "192.168.1.10", "255.255.255.0", std::nullopt, ""},
      {"length30_port", LanPrefix(30), 1, "192.168.1.10", "255.255.255.0", 1002, ""},
      {"length41_noGateway", LanPrefix(41), 1, "192.168.1.10", "255.255.255.0", 1002, ""},
      {"length42_all", LanPrefix(42), 1, "192.168.1.10", "255.255.255.0", 1002, "192.168.1.1"},
      {"dhcpUnknownKept", Join({{7}, kIp, kMask}), 7, "192.168.1.10", "255.255.255.0", std::nullopt, ""},
      {"letterInGroup", Join({{0}, Text("1921680A1010"), kMask}), 0, "", "255.255.255.0", std::nullopt, ""},
      {"nulInGroup", Join({{0}, kIp, Text("255255"), Bytes(6, 0)}), 0, "192.168.1.10", "", std::nullopt, ""},
      {"octetAbove255", Join({{0}, Text("192168001256"), kMask}), 0, "", "255.255.255.0", std::nullopt, ""},
      {"portPaddedWithNul", Join({{0}, kIp, kMask, Text("80"), Bytes(3, 0)}), 0, "192.168.1.10", "255.255.255.0", 80, ""},
      {"portNoDigits", Join({{0}, kIp, kMask, Text("     ")}), 0, "192.168.1.10", "255.255.255.0", std::nullopt, ""},
      {"portAbove65535", Join({{0}, kIp, kMask, Text("70000")}), 0, "192.168.1.10", "255.255.255.0", std::nullopt, ""}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const auto info = ReadLanInfo(View(ie::LanInfo, row.data));
    EXPECT_EQ(info.dhcp, row.dhcp);
    EXPECT_EQ(info.ipAddress, row.ip);
    EXPECT_EQ(info.subnetMask, row.mask);
    EXPECT_EQ(info.tcpPort, row.port);
    EXPECT_EQ(info.defaultGateway, row.gateway);
  }
}

// --- GsmStatus -------------------------------------------------------------

Bytes GsmEntry(std::uint8_t index, std::uint16_t status, std::uint8_t signal, std::string_view text) {
  return Join({{index, static_cast<std::uint8_t>(status), static_cast<std::uint8_t>(status >> 8), signal,
                static_cast<std::uint8_t>(text.size())},
               Text(text)});
}

TEST(GsmStatus, ReadsEntriesInsideTheData) {
  const auto entry = [](const GsmStatusEntry& e) { return std::tuple(e.index, e.status, e.signal, e.text); };
  const struct { const char* name; Bytes data; std::vector<GsmStatusEntry> entries; } rows[] = {
      {"empty", {}, {}},
      {"twoModules", Join({GsmEntry(0, 0x1234, 17, "Registered"), GsmEntry(1, 0x0002, 99, "")}), {{0, 0x1234, 17, "Registered"}, {1, 0x0002, 99, ""}}},
      {"indexOutOfRangeSkipped", Join({GsmEntry(2, 1, 1, "skip me"), GsmEntry(0xFF, 1, 1, ""), GsmEntry(1, 5, 20, "ok")}), {{1, 5, 20, "ok"}}},
      {"textCutTo40", GsmEntry(0, 1, 2, std::string(45, 'x')), {{0, 1, 2, std::string(40, 'x')}}},
      {"nulEndsText", GsmEntry(0, 1, 2, std::string_view("ab\0cd", 5)), {{0, 1, 2, "ab"}}},
      {"headerTruncated", Join({GsmEntry(0, 1, 2, "a"), {1, 0x10, 0x00, 31}}), {{0, 1, 2, "a"}}},
      // The length byte claims 10 characters but only 3 came: keep those and stop.
      {"textRunsPast", Join({GsmEntry(1, 3, 4, "b"), {0, 1, 0, 9, 10}, Text("abc")}), {{1, 3, 4, "b"}, {0, 1, 9, "abc"}}}};
  for (const auto& row : rows) {
    const auto entries = ReadGsmStatus(View(ie::GsmStatus, row.data));
    ASSERT_EQ(entries.size(), row.entries.size()) << row.name;
    for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entry(entries[i]), entry(row.entries[i])) << row.name << " " << i;
  }
}

// --- IsdnCredit / GsmCredit ------------------------------------------------

Bytes CreditRecord(std::uint8_t index, std::uint32_t base) {
  Bytes record{index, 24};
  for (std::uint32_t i = 0; i < 6; ++i) {
    const std::uint32_t value = base + i;
    for (int shift = 0; shift < 32; shift += 8) record.push_back(static_cast<std::uint8_t>(value >> shift));
  }
  return record;
}

// Line and module records are read, others skipped by their length.
TEST(Credit, ReadsLineAndModuleRecordsAndSkipsOthersByLength) {
  const struct { const char* name; Bytes data; std::vector<std::pair<std::uint8_t, std::uint32_t>> entries; } rows[] = {
      // `entries`: index and first counter
      {"twoLines", Join({CreditRecord(0, 0x01020304), CreditRecord(1, 0xA0B0C0D0)}), {{0, 0x01020304}, {1, 0xA0B0C0D0}}},
      {"otherIndexSkipped", Join({CreditRecord(2, 5), CreditRecord(1, 7)}), {{1, 7}}},
      {"otherLengthSkipped", Join({{0, 3, 9, 9, 9}, CreditRecord(0, 11)}), {{0, 11}}},
      {"emptyRecordSkipped", Join({{1, 0}, CreditRecord(1, 12)}), {{1, 12}}},
      {"recordTruncated", Join({CreditRecord(0, 1), {1, 24, 1, 2, 3, 4, 5, 6, 7, 8}}), {{0, 1}}},
      {"skippedRecordRunsPast", Join({CreditRecord(1, 3), {5, 200, 1}}), {{1, 3}}},
      {"loneIndexByte", Join({CreditRecord(0, 4), {1}}), {{0, 4}}}};
  for (const auto& row : rows) {
    const auto entries = ReadCredit(View(ie::IsdnCredit, row.data));
    ASSERT_EQ(entries.size(), row.entries.size()) << row.name;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].index, row.entries[i].first) << row.name;
      for (std::uint32_t c = 0; c < kCreditCounterCount; ++c) {
        EXPECT_EQ(entries[i].counters[c], row.entries[i].second + c) << row.name << " entry " << i << " counter " << c;
      }
    }
  }
}

// --- ModuleCells -----------------------------------------------------------

std::string CellText(const CellTable& cells, std::size_t cell) {
  return {cells[cell].begin(), cells[cell].end()};
}

std::string Cell(std::string_view f0, std::string_view f1, std::string_view f2, std::string_view f3) {
  return std::string(f0) + "," + std::string(f1) + "," + std::string(f2) + "," + std::string(f3) + ",5,6,7,8,9";
}

// Four fixed groups per cell, at most seven cells; a NUL ends the text.
TEST(ModuleCells, KeepFourFixedGroupsOfAtMostSevenCells) {
  const auto cellsOf = [](const Bytes& data) { return ReadModuleCells(View(ie::ModuleCells, data)); };
  const auto cells = cellsOf(Join({{0x99}, Text(Cell("262", "01", "1A2B", "00F3") + "," + Cell("26201", "1", "AB", "0"))}));
  EXPECT_EQ(CellText(cells, 0), "262011A2B00F3");
  // Longer fields keep their first characters, shorter ones leave NUL bytes.
  EXPECT_EQ(CellText(cells, 1), std::string("262" "1\0" "AB\0\0" "0\0\0\0", 13));
  for (std::size_t cell = 2; cell < kCellCount; ++cell) EXPECT_EQ(CellText(cells, cell), std::string(13, '\0'));

  std::string eight;
  for (char c = 'a'; c < 'a' + 8; ++c) eight += Cell(std::string(3, c), "00", "0000", "0000") + ",";
  const auto seven = cellsOf(Join({{0}, Text(eight)}));
  EXPECT_EQ(CellText(seven, 6), "ggg00" "00000000");
  for (const auto& cell : seven) EXPECT_NE(cell[0], 'h');

  EXPECT_EQ(CellText(cellsOf(Join({{0}, Text("262,0"), {0}, Text("1,AAAA,BBBB")})), 0), std::string("2620\0\0\0\0\0\0\0\0\0", 13));
  EXPECT_EQ(cellsOf({}), CellTable{});
  EXPECT_EQ(cellsOf({0x41}), CellTable{});
}

// --- DateTime and LastTimeSync ---------------------------------------------

// Encoding clamps years outside the byte.
TEST(DateTime, ReadsSixBytesAndRefusesFewer) {
  const Bytes data{59, 30, 23, 31, 12, 24};
  const auto fields = ReadDateTime(View(ie::DateTime, data));
  ASSERT_TRUE(fields);
  EXPECT_EQ(std::tuple(fields->second, fields->minute, fields->hour, fields->day, fields->month, fields->year),
            std::tuple(59, 30, 23, 31, 12, 2024));
  EXPECT_EQ(EncodeDateTime(*fields), (std::array<std::uint8_t, 6>{59, 30, 23, 31, 12, 24}));
  EXPECT_FALSE(ReadDateTime(View(ie::DateTime, Bytes(data.begin(), data.end() - 1))));
  EXPECT_FALSE(ReadDateTime(View(ie::DateTime, {})));
  for (const std::uint16_t year : {1999, 2255, 2300}) {
    EXPECT_EQ(EncodeDateTime({0, 0, 0, 1, 1, year})[5], year < 2000 ? 0 : 255) << year;
  }
}

TEST(LastTimeSync, ReadsWhatIsPresent) {
  const struct { const char* name; Bytes data; bool present; std::uint8_t first, second; std::uint16_t year; } rows[] = {
      {"full", {14, 3, 25}, true, 14, 3, 2025}, {"neverSynced", {0, 0, 0}, true, 0, 0, 0},
      {"twoBytes", {5, 6}, true, 5, 6, 0},      {"oneByte", {5}, true, 5, 0, 0},
      {"empty", {}, false, 0, 0, 0}};
  for (const auto& row : rows) {
    const auto info = ReadLastTimeSync(View(ie::LastTimeSync, row.data));
    EXPECT_EQ(std::tuple(info.present, info.first, info.second, info.year),
              std::tuple(row.present, row.first, row.second, row.year)) << row.name;
  }
}

}  // namespace
}  // namespace tusko
