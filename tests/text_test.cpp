// The text the tools write for people: numbers as typed, quoting that keeps a message one
// harmless line, and XML that every picture can hold whatever the command line was.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "svg.h"
#include "text.h"

namespace {

TEST(Text, NumbersArePlainUnlessTheExponentFormIsShorter) {
  const std::pair<double, const char *> plain[] = {
      {10, "10"},
      {1000, "1000"},
      {0.0001, "0.0001"},
      {0.001, "0.001"},
      {123456789012, "123456789012"},
      {0.125, "0.125"},
      {-2.5, "-2.5"},
      {0.1 + 0.2, "0.30000000000000004"},
      {-0.0, "0"},
      {10000, "10000"},
      {100000, "1e+05"},
      {1.7976931348623157e308, "1.7976931348623157e+308"},
      {1e300, "1e+300"},
      {5e-324, "5e-324"},
      {1e-7, "1e-07"},
      {1e6, "1e+06"},
      {2.5e-5, "2.5e-05"},
      {123456789.125, "123456789.125"}};
  for (const auto &[value, text] : plain) EXPECT_EQ(shortest(value), text) << text;
  // Infinities and NaN have no exponent to read back ("inf" has no 'e'): as printf writes them.
  EXPECT_EQ(shortest(HUGE_VAL), "inf");
  EXPECT_EQ(shortest(-HUGE_VAL), "-inf");
  EXPECT_EQ(shortest(std::nan("")), "nan");
  // Whatever the value, the text reads back to it and no shorter text of either form does.
  std::mt19937_64 random(3);
  for (int n = 0; n < 20000; n++) {
    double v;
    uint64_t bits = random();
    memcpy(&v, &bits, sizeof v);
    if (!std::isfinite(v)) continue;
    const std::string t = shortest(v);
    EXPECT_EQ(strtod(t.c_str(), nullptr), v) << t;
    char g[40];
    snprintf(g, sizeof g, "%.17g", v);
    EXPECT_LE(t.size(), strlen(g) + 1) << t;
  }
}

TEST(Text, QuotingEscapesEveryControlAndEveryByteThatIsNotUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "'plain'"},
      {"it's", "'it\\'s'"},
      {"a\nb\tc\x1b[31m\x7f", "'a\\nb\\tc\\x1b[31m\\x7f'"},
      {"\xc2\x9b"
       "31m",
       "'\\u009b31m'"},                                           // C1 CSI
      {"5\xe2\x80\xae", "'5\\u202e'"},                            // right-to-left override
      {"\xe2\x81\xa6x\xe2\x81\xa9", "'\\u2066x\\u2069'"},         // isolates
      {"caf\xe9", "'caf\\xe9'"},                                  // Latin-1, not UTF-8
      {"caf\xc3\xa9 \xe2\x82\xac", "'caf\xc3\xa9 \xe2\x82\xac'"}, // valid UTF-8 stays
      {"\xc0\xaf", "'\\xc0\\xaf'"},                               // an overlong slash
      {"\xed\xa0\x80", "'\\xed\\xa0\\x80'"},                      // a surrogate
      {"\xf4\x90\x80\x80", "'\\xf4\\x90\\x80\\x80'"},             // past U+10FFFF
      {"\xe2\x82", "'\\xe2\\x82'"},                               // cut short
  };
  for (const auto &[text, expected] : cases) EXPECT_EQ(quoted(text), expected);
}

TEST(Text, XmlHoldsOnlyWhatXmlAllows) {
  EXPECT_EQ(xml_escape("a&b<c>\"d'"), "a&amp;b&lt;c&gt;&quot;d&apos;");
  const std::string fffd = "\xef\xbf\xbd";
  EXPECT_EQ(xml_escape("caf\xe9"), "caf" + fffd);
  EXPECT_EQ(xml_escape("\xef\xbf\xbe|\xef\xbf\xbf"), fffd + "|" + fffd); // U+FFFE, U+FFFF
  EXPECT_EQ(xml_escape("\x01\x1b\xc2\x85\xe2\x80\xae"), fffd + fffd + fffd + fffd);
  EXPECT_EQ(xml_escape("tab\tline\ncaf\xc3\xa9"), "tab\tline\ncaf\xc3\xa9");
}

} // namespace

// RFC 4180: a field with a comma, quote or line break is quoted and its quotes doubled.
TEST(Text, CsvFieldsAreQuotedOnlyWhenTheyMustBe) {
  EXPECT_EQ(csv_field("random:12:1"), "random:12:1");
  EXPECT_EQ(csv_field("a, b"), "\"a, b\"");
  EXPECT_EQ(csv_field("say \"x\""), "\"say \"\"x\"\"\"");
  EXPECT_EQ(csv_field("two\nlines"), "\"two\nlines\"");
  EXPECT_EQ(csv_field(""), "");
}
