#include "protocol/DeviceMessage.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "protocol/PasswordMask.h"
#include "support/RowName.h"

namespace tusko {
namespace {

std::vector<std::uint8_t> AreaOf(const DeviceMessage& message) {
  const auto area = message.ieArea();
  return {area.begin(), area.end()};
}

std::vector<std::uint8_t> DataOf(const ElementView& element) { return {element.data.begin(), element.data.end()}; }

// A received message built from raw bytes, so that malformed areas can be tested.
DeviceMessage Received(std::vector<std::uint8_t> bytes) { return DeviceMessage::FromBytes(bytes); }

// Elements go in sorted by identifier, a duplicate after the old one.
struct AreaRow {
  const char* name;
  std::vector<std::uint8_t> received;  // empty: a new request
  bool (*build)(DeviceMessage&);
  std::vector<std::uint8_t> area;
};

class DeviceMessageArea : public ::testing::TestWithParam<AreaRow> {};

TEST_P(DeviceMessageArea, HoldsTheElementsInOrder) {
  auto message = GetParam().received.empty() ? CreateMessage(MessageType::Request) : Received(GetParam().received);
  EXPECT_TRUE(GetParam().build(message));
  EXPECT_EQ(AreaOf(message), GetParam().area);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DeviceMessageArea,
    ::testing::Values(
        AreaRow{"sortedByIdentifier", {}, [](DeviceMessage& m) {
                  return AddTextElement(m, ie::Password, "ab", true) && AddElementBytes(m, ie::Address, {0x00, 0x07, 0x00, 0x80}) &&
                         AddElement(m, ie::ConfigReadData, {});
                }, {0x42, 0, 0x46, 4, 0x00, 0x07, 0x00, 0x80, 0xD1, 3, 'a', 'b', 0}},
        AreaRow{"duplicateAfterTheOld", {}, [](DeviceMessage& m) {
                  return AddElementBytes(m, ie::Address, {1}) && AddElementBytes(m, ie::Password, {9}) && AddElementBytes(m, ie::Address, {2});
                }, {0x46, 1, 1, 0x46, 1, 2, 0xD1, 1, 9}},
        // The copy lands first, so making room for it moves the bytes its source view points at.
        AreaRow{"copyWithinTheSameMessage", {}, [](DeviceMessage& m) {
                  return AddElementBytes(m, ie::Address, {9}) && AddElementBytes(m, ie::Password, {5, 6}) &&
                         CopyElement(m, ElementView{ie::LoaderVersion, FindElement(m, ie::Password)->data});
                }, {0x15, 2, 5, 6, 0x46, 1, 9, 0xD1, 2, 5, 6}},
        // The only element claims more than the area holds; a new element goes at the end.
        AreaRow{"malformedAreaStaysInside", {0xA2, 3, 0x42, 9, 1, 0xEE}, [](DeviceMessage& m) { return AddElementBytes(m, 0x46, {7}); },
                {0x42, 9, 1, 0x46, 1, 7}}),
    test::RowName<AreaRow>);

struct CapacityRow {
  const char* name;
  std::size_t fillTo;    // IE area length before the attempt
  std::size_t dataSize;  // data bytes of the element tried
  bool fits;
};

class DeviceMessageCapacity : public ::testing::TestWithParam<CapacityRow> {};

TEST_P(DeviceMessageCapacity, AddsOnlyWhatFitsAndLeavesTheMessageAloneOtherwise) {
  const auto row = GetParam();
  auto message = CreateMessage(MessageType::Request);
  // Fill with elements of id 1; the filler's last element takes up the remainder.
  std::size_t remaining = row.fillTo;
  while (remaining > 0) {
    const std::size_t data = std::min<std::size_t>(remaining - kElementHeaderSize, 200);
    ASSERT_TRUE(AddElement(message, 1, std::vector<std::uint8_t>(data, 0xAA)));
    remaining -= kElementHeaderSize + data;
  }
  ASSERT_EQ(message.ieLength(), row.fillTo);
  const auto before = message.buffer();
  const bool added = AddElement(message, 0, std::vector<std::uint8_t>(row.dataSize, 0x55));
  EXPECT_EQ(added, row.fits);
  if (row.fits) {
    EXPECT_EQ(message.ieLength(), row.fillTo + kElementHeaderSize + row.dataSize);
    SealMessage(message);  // a full area makes a message of the whole buffer
    EXPECT_EQ(message.wireSize(), kMessageHeaderSize + message.ieLength() + 1u);
    EXPECT_TRUE(IsChecksumValid(message));
  } else {
    EXPECT_EQ(message.buffer(), before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DeviceMessageCapacity,
    ::testing::Values(CapacityRow{"area253_acceptsEmpty", 253, 0, true},
                      CapacityRow{"area253_rejectsOneByte", 253, 1, false},
                      CapacityRow{"area254_rejectsEmpty", 254, 0, false},
                      CapacityRow{"empty_accepts253", 0, 253, true},
                      CapacityRow{"empty_rejects254", 0, 254, false},
                      CapacityRow{"empty_rejects300", 0, 300, false}),
    test::RowName<CapacityRow>);

struct ChecksumRow {
  const char* name;
  std::vector<std::uint8_t> bytes;
  bool valid;
};

class DeviceMessageChecksum : public ::testing::TestWithParam<ChecksumRow> {};

TEST_P(DeviceMessageChecksum, SumOfAllBytesMustBeZero) {
  EXPECT_EQ(IsChecksumValid(Received(GetParam().bytes)), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DeviceMessageChecksum,
    ::testing::Values(ChecksumRow{"emptyRequest", {0xA1, 0x00, 0x5F}, true},
                      ChecksumRow{"emptyRequestWrongChecksum", {0xA1, 0x00, 0x60}, false},
                      ChecksumRow{"reply", {0xA2, 0x02, 0x15, 0x00, 0x47}, true},
                      ChecksumRow{"replyFlippedDataBit", {0xA2, 0x02, 0x14, 0x00, 0x47}, false},
                      // A byte after the checksum is not part of the sum.
                      ChecksumRow{"trailingByteIgnored", {0xA1, 0x00, 0x5F, 0x33}, true},
                      // The length byte decides which byte is the checksum.
                      ChecksumRow{"lengthClaimsMore", {0xA1, 0x01, 0x5F}, false}),
    test::RowName<ChecksumRow>);

struct FindRow {
  const char* name;
  std::vector<std::uint8_t> bytes;  // whole message as received
  std::uint8_t id;
  std::optional<std::vector<std::uint8_t>> data;
};

class DeviceMessageFind : public ::testing::TestWithParam<FindRow> {};

TEST_P(DeviceMessageFind, FindsOnlyInsideTheArea) {
  const auto& row = GetParam();
  const auto message = Received(row.bytes);
  const auto found = FindElement(message, row.id);
  ASSERT_EQ(found.has_value(), row.data.has_value());
  if (found) {
    EXPECT_EQ(DataOf(*found), *row.data);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DeviceMessageFind,
    ::testing::Values(
        FindRow{"second", {0xA2, 6, 0x15, 1, 'a', 0x16, 1, 'b', 0}, 0x16, std::vector<std::uint8_t>{'b'}},
        FindRow{"duplicateGivesTheFirst", {0xA2, 6, 0x46, 1, 1, 0x46, 1, 2, 0}, 0x46, std::vector<std::uint8_t>{1}},
        FindRow{"absent", {0xA2, 3, 0x15, 1, 'a', 0}, 0x16, std::nullopt},
        FindRow{"emptyElement", {0xA2, 2, 0x42, 0, 0}, 0x42, std::vector<std::uint8_t>{}},
        // The length byte claims 9 bytes but the area holds 2: the view is clipped.
        FindRow{"overlongClipped", {0xA2, 4, 0x42, 9, 1, 2, 0xEE, 0xEE}, 0x42, std::vector<std::uint8_t>{1, 2}},
        // An element after an overlong one lies outside the area and is not found.
        FindRow{"behindOverlong", {0xA2, 4, 0x42, 9, 0x46, 0, 0xEE}, 0x46, std::nullopt},
        // An identifier in the last area byte has no length byte inside the area.
        FindRow{"truncatedHeader", {0xA2, 3, 0x42, 0, 0x46, 0x00, 0xEE}, 0x46, std::nullopt},
        // Bytes after L that look like an element are not part of the message.
        FindRow{"beyondLength", {0xA2, 2, 0x42, 0, 0x46, 1, 7, 0xEE}, 0x46, std::nullopt}),
    test::RowName<FindRow>);

struct TextRow {
  const char* name;
  std::vector<std::uint8_t> data;
  std::size_t capacity;
  std::string text;
};

class DeviceMessageText : public ::testing::TestWithParam<TextRow> {};

TEST_P(DeviceMessageText, TakesCharactersUpToNulAndCapacity) {
  const auto& row = GetParam();
  EXPECT_EQ(ElementText(ElementView{ie::DeviceName, row.data}, row.capacity), row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DeviceMessageText,
    ::testing::Values(TextRow{"whole", {'G', 'W', '1'}, 40, "GW1"}, TextRow{"nulEndsEarly", {'G', 0, 'X'}, 40, "G"},
                      TextRow{"cutToCapacity", {'a', 'b', 'c', 'd'}, 2, "ab"},
                      TextRow{"zeroCapacity", {'a'}, 0, ""}, TextRow{"empty", {}, 40, ""},
                      TextRow{"highBytesKept", {0xE4, 0xFC}, 40, "\xE4\xFC"}),
    test::RowName<TextRow>);

TEST(DeviceMessage, FromBytesKeepsAtMost258Bytes) {
  std::vector<std::uint8_t> bytes(300, 0x11);
  const auto message = DeviceMessage::FromBytes(bytes);
  EXPECT_EQ(message.buffer().back(), 0x11);
  const auto shortMessage = DeviceMessage::FromBytes(std::vector<std::uint8_t>{0xA1});
  EXPECT_EQ(shortMessage.ieLength(), 0);
}


// Password "ab" is D1 03 61 62 00, the new password "cd" 28 03 63 64 00.
struct DumpRow {
  const char* name;
  std::vector<std::uint8_t> message;
  std::string dump;
};

class MessageDumpTest : public testing::TestWithParam<DumpRow> {};

TEST_P(MessageDumpTest, MasksOnlyThePasswordsOfARequest) { EXPECT_EQ(MessageDump(GetParam().message), GetParam().dump); }

INSTANTIATE_TEST_SUITE_P(
    Messages, MessageDumpTest,
    testing::Values(
        DumpRow{"LoginPassword", {0xA1, 0x0B, 0x46, 0x04, 0x00, 0x07, 0x00, 0x00, 0xD1, 0x03, 0x61, 0x62, 0x00, 0x55},
                "A1 0B 46 04 00 07 00 00 D1 03 ** ** ** 55"},
        DumpRow{"OldAndNewPassword",
                {0xA1, 0x0A, 0x28, 0x03, 0x63, 0x64, 0x00, 0xD1, 0x03, 0x61, 0x62, 0x00, 0x55},
                "A1 0A 28 03 ** ** ** D1 03 ** ** ** 55"},
        DumpRow{"ReplyIsShownAsItIs", {0xA2, 0x05, 0x28, 0x03, 0x63, 0x64, 0x00, 0x55}, "A2 05 28 03 63 64 00 55"},
        DumpRow{"ElementPastTheAreaIsShownAsItIs",
                {0xA1, 0x09, 0xD1, 0x03, 0x61, 0x62, 0x00, 0xD1, 0x09, 0x61, 0x62}, "A1 09 D1 03 ** ** ** D1 09 61 62"},
        DumpRow{"LengthBeyondTheBytesGiven", {0xA1, 0x40, 0xD1}, "A1 40 D1"},
        DumpRow{"Empty", {}, ""}),
    test::RowName<DumpRow>);

}  // namespace
}  // namespace tusko
