#include "book/lz.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace quire {
namespace {

// Writes tokens bit by bit, least significant bit first, the way a stream is laid out.
class TokenWriter {
 public:
  TokenWriter& Literal(uint8_t byte) {
    Put(0, 1);
    Put(byte, 8);
    return *this;
  }
  TokenWriter& Literals(const std::string& bytes) {
    for (char c : bytes)
      Literal(static_cast<uint8_t>(c));
    return *this;
  }
  TokenWriter& Copy(uint32_t length, uint32_t distance) {
    Put(1, 1);
    Put(length - 3, 4);
    Put(distance, 13);
    return *this;
  }
  TokenWriter& End() {
    Put(1, 1);
    Put(15, 4);
    return *this;
  }
  std::string Bytes() const {
    std::string out;
    for (size_t i = 0; i < m_bits.size(); i += 8) {
      uint8_t byte = 0;
      for (size_t b = 0; b < 8 && i + b < m_bits.size(); ++b)
        byte |= m_bits[i + b] << b;
      out.push_back(static_cast<char>(byte));
    }
    return out;
  }

 private:
  void Put(uint32_t value, int count) {
    for (int i = 0; i < count; ++i)
      m_bits.push_back((value >> i) & 1);
  }
  std::vector<uint8_t> m_bits;
};

// What a copy means for the output as a whole: each byte repeats the one `distance`
// bytes back (8192 back for distance 0).
void AppendCopy(std::string* out, uint32_t length, uint32_t distance) {
  size_t back = distance == 0 ? 8192 : distance;
  for (uint32_t i = 0; i < length; ++i)
    out->push_back((*out)[out->size() - back]);
}

std::string Unpacked(const std::string& stream) {
  std::string out;
  EXPECT_TRUE(LzUnpack(stream, &out));
  return out;
}

std::string RandomBytes(size_t size, uint32_t seed, int alphabet = 256) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> dist(0, alphabet - 1);
  std::string s(size, '\0');
  for (char& c : s)
    c = static_cast<char>(dist(rng));
  return s;
}

TEST(LzUnpackTest, WorkedExampleIsOneLiteral) {
  EXPECT_EQ(Unpacked(std::string("\x82\x3E", 2)), "A");
}

TEST(LzUnpackTest, BitsAfterTheEndTokenAreIgnored) {
  EXPECT_EQ(Unpacked(std::string("\x82\x3E\xFF\x00\x12", 5)), "A");
}

TEST(LzUnpackTest, StreamWithoutEndTokenFailsKeepingWhatWasDecoded) {
  std::string out;
  EXPECT_FALSE(LzUnpack("", &out));
  EXPECT_EQ(out, "");
  std::string literalOnly = TokenWriter().Literals("xy").Bytes();
  EXPECT_FALSE(LzUnpack(literalOnly, &out));
  EXPECT_EQ(out, "xy");
  // A copy token cut inside its distance.
  std::string cut = TokenWriter().Literals("abc").Copy(3, 3).End().Bytes();
  EXPECT_FALSE(LzUnpack(cut.substr(0, 4), &out));
}

TEST(LzUnpackTest, EmptyStreamWithOnlyEndTokenGivesNothing) {
  EXPECT_EQ(Unpacked(TokenWriter().End().Bytes()), "");
}

TEST(LzUnpackTest, OverlappingCopyRepeatsItsOwnOutput) {
  EXPECT_EQ(Unpacked(TokenWriter().Literals("ab").Copy(17, 2).End().Bytes()),
            "ab" + std::string("abababababababab") + "a");
  EXPECT_EQ(Unpacked(TokenWriter().Literal('z').Copy(5, 1).End().Bytes()), "zzzzzz");
}

// The window cases: copies whose source or destination crosses position 8191, a window
// that fills exactly, and distance 0, which reads the byte written 8192 earlier.
TEST(LzUnpackTest, WindowEdgeCases) {
  struct Case {
    const char* what;
    size_t literalsBefore;
    uint32_t length;
    uint32_t distance;
  };
  const Case cases[] = {
      {"source range crosses 8191", 8192 + 5, 5, 7},
      {"destination reaches the end of the window", 8190, 5, 1},
      {"destination ends exactly at the window end", 8192 - 17, 17, 100},
      {"both wrap at once", 8192 + 8190, 17, 8191},
      {"distance 0 repeats the byte 8192 back", 8192 + 40, 9, 0},
      {"largest distance", 9000, 17, 8191},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string expected = RandomBytes(c.literalsBefore, 7);
    TokenWriter tokens;
    tokens.Literals(expected).Copy(c.length, c.distance).Literal('!').End();
    AppendCopy(&expected, c.length, c.distance);
    expected.push_back('!');
    EXPECT_EQ(Unpacked(tokens.Bytes()), expected);
  }
}

TEST(LzUnpackTest, ExactlyOneFullWindowIsWrittenOnce) {
  std::string data = RandomBytes(8192, 3);
  EXPECT_EQ(Unpacked(TokenWriter().Literals(data).End().Bytes()), data);
}

TEST(LzUnpackTest, ReachBeforeTheFirstByteReadsZeros) {
  // Never produced by a writer; a damaged stream must still give defined output.
  EXPECT_EQ(Unpacked(TokenWriter().Literals("ab").Copy(3, 4).End().Bytes()),
            std::string("ab\0\0a", 5));
}

TEST(LzRoundTripTest, EveryKindOfInputComesBackExactly) {
  std::string text;
  for (int i = 0; i < 400; ++i) {
    text += "<p class=\"para\">Paragraph " + std::to_string(i) +
            " of the book, with <a href=\"page" + std::to_string(i % 17) +
            ".html\">a link</a>.</p>\n";
  }
  std::string farRepeat = RandomBytes(8192, 11);
  farRepeat += farRepeat;  // the repeat lies exactly one window back
  std::string nearWindow = RandomBytes(8191, 12);
  nearWindow += nearWindow.substr(0, 4000);
  const struct {
    const char* what;
    std::string data;
  } cases[] = {
      {"empty", ""},
      {"one byte", "x"},
      {"two bytes", "xy"},
      {"html text", text},
      {"random", RandomBytes(100000, 1)},
      {"small alphabet", RandomBytes(70000, 2, 4)},
      {"one byte repeated", std::string(100000, 'a')},
      {"zeros", std::string(20000, '\0')},
      {"repeat one window back", farRepeat},
      {"repeat 8191 back", nearWindow},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string packed = LzPack(c.data);
    std::string out;
    ASSERT_TRUE(LzUnpack(packed, &out));
    EXPECT_TRUE(out == c.data) << "sizes " << out.size() << " vs " << c.data.size();
  }
}

TEST(LzRoundTripTest, RepetitiveDataShrinks) {
  std::string data(100000, 'a');
  EXPECT_LT(LzPack(data).size(), data.size() / 6);
  std::string text;
  for (int i = 0; i < 2000; ++i)
    text += "<li>item " + std::to_string(i % 10) + "</li>\n";
  EXPECT_LT(LzPack(text).size(), text.size() / 3);
}

TEST(LzRoundTripTest, EveryCutOfAStreamFails) {
  // Text (copies and literals) and random bytes (long runs of literals only).
  for (const std::string& data :
       {std::string("The quick brown fox jumps over the lazy dog; the quick dog."),
        RandomBytes(1500, 5)}) {
    std::string packed = LzPack(data);
    for (size_t n = 0; n < packed.size(); ++n) {
      std::string out;
      EXPECT_FALSE(LzUnpack(packed.substr(0, n), &out)) << "cut at " << n;
      EXPECT_EQ(out, data.substr(0, out.size())) << "cut at " << n;
    }
  }
}

}  // namespace
}  // namespace quire
