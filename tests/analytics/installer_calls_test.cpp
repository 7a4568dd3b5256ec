#include <gtest/gtest.h>

#include <cstring>

#include "analytics/endpoint.h"
#include "analytics/installer.h"
#include "analytics/probe_calls.h"

namespace plumeta {
namespace {

// Answers like the installer's text getters for a fixed value.
struct TextGetter {
  std::u16string value;
  std::vector<std::uint32_t> lengthsAsked;
  std::uint32_t operator()(char16_t* buffer, std::uint32_t& length) {
    lengthsAsked.push_back(length);
    if (length <= value.size()) {
      length = static_cast<std::uint32_t>(value.size());
      return kInstallerMoreData;
    }
    std::copy(value.begin(), value.end(), buffer);
    buffer[value.size()] = u'\0';
    length = static_cast<std::uint32_t>(value.size());
    return kInstallerSuccess;
  }
};

TEST(ReadInstallerText, AsksForTheLengthThenReadsIntoLengthPlusOne) {
  TextGetter getter{u"Vorsant 6.1", {}};
  EXPECT_EQ(ReadInstallerText(std::ref(getter)), u"Vorsant 6.1");
  EXPECT_EQ(getter.lengthsAsked, (std::vector<std::uint32_t>{0, 12}));
}

TEST(ReadInstallerText, EmptyValueAndRefusalsGiveEmptyText) {
  TextGetter empty{u"", {}};
  EXPECT_EQ(ReadInstallerText(std::ref(empty)), u"");
  // Even an empty value needs room for its zero, so it takes both calls.
  EXPECT_EQ(empty.lengthsAsked, (std::vector<std::uint32_t>{0, 1}));
  EXPECT_EQ(ReadInstallerText([](char16_t*, std::uint32_t&) { return 6u; }), u"");  // invalid handle
  int calls = 0;
  EXPECT_EQ(ReadInstallerText([&](char16_t*, std::uint32_t& length) -> std::uint32_t {
              length = 5;
              return ++calls == 1 ? kInstallerMoreData : 1627u;
            }),
            u"");
}

TEST(ReadInstallerText, AValueThatGrewBetweenTheCallsIsReadAgain) {
  std::u16string value = u"abc";
  int calls = 0;
  std::u16string text = ReadInstallerText([&](char16_t* buffer, std::uint32_t& length) -> std::uint32_t {
    if (++calls == 2) value = u"abcdefgh";
    if (length <= value.size()) {
      length = static_cast<std::uint32_t>(value.size());
      return kInstallerMoreData;
    }
    std::copy(value.begin(), value.end(), buffer);
    length = static_cast<std::uint32_t>(value.size());
    return kInstallerSuccess;
  });
  EXPECT_EQ(text, u"abcdefgh");
}

TEST(CallWithGrowingBuffer, GrowsToTheReportedSizeWhileTheListOverflows) {
  std::vector<std::uint32_t> sizes;
  GrowingCallResult result =
      CallWithGrowingBuffer(kAdapterFirstBufferBytes, [&](std::uint8_t* b, std::uint32_t& size) {
        sizes.push_back(size);
        if (size < 1944) {
          size = sizes.size() == 1 ? 1296 : 1944;  // the list grew between the calls
          return kErrorBufferOverflow;
        }
        std::memset(b, 0xAB, size);
        return 0u;
      });
  EXPECT_EQ(sizes, (std::vector<std::uint32_t>{648, 1296, 1944}));
  EXPECT_EQ(result.result, 0u);
  EXPECT_EQ(result.buffer.size(), 1944u);
}

TEST(CallWithGrowingBuffer, OtherAnswersAndUselessSizesEndTheCalls) {
  EXPECT_EQ(CallWithGrowingBuffer(648, [](std::uint8_t*, std::uint32_t&) { return 232u; }).result, 232u);
  int calls = 0;
  // An overflow that does not ask for more room would loop for ever.
  auto stuck = CallWithGrowingBuffer(648, [&](std::uint8_t*, std::uint32_t& size) {
    ++calls;
    size = 100;
    return kErrorBufferOverflow;
  });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(stuck.result, kErrorBufferOverflow);
  calls = 0;
  CallWithGrowingBuffer(648, [&](std::uint8_t*, std::uint32_t& size) {
    ++calls;
    size += 648;
    return kErrorBufferOverflow;
  });
  EXPECT_EQ(calls, 8);
}

TEST(ReadLocaleText, LengthFirstThenTheTextWithoutItsZero) {
  std::vector<int> sizes;
  auto getter = [&](char16_t* buffer, int size) -> int {
    sizes.push_back(size);
    if (size == 0) return 3;
    buffer[0] = u'e', buffer[1] = u'n', buffer[2] = u'\0';
    return 3;
  };
  EXPECT_EQ(ReadLocaleText(getter), u"en");
  EXPECT_EQ(sizes, (std::vector<int>{0, 3}));
  EXPECT_EQ(ReadLocaleText([](char16_t*, int) { return 0; }), u"");
  EXPECT_EQ(ReadLocaleText([](char16_t*, int size) { return size == 0 ? 3 : 0; }), u"");
}

TEST(Endpoint, AbsoluteHttpUrlsOnlyOtherwiseTheDefault) {
  EXPECT_EQ(ChooseEndpoint(u"http://127.0.0.1:8123", u"http://d"), u"http://127.0.0.1:8123");
  EXPECT_EQ(ChooseEndpoint(u"HTTPS://collector.example", u"http://d"), u"HTTPS://collector.example");
  for (std::u16string_view bad : {u"", u"http://", u"http:///path", u"127.0.0.1:80", u"ftp://host",
                                  u"http://host name", u"file:///C:/x"}) {
    EXPECT_EQ(ChooseEndpoint(bad, u"http://d"), u"http://d") << std::string(bad.begin(), bad.end());
  }
}

}  // namespace
}  // namespace plumeta
