// The pictures at any size: the PNG writer's checksums against their published check values,
// hand-made images read back by an independent decoder (Python's zlib), the logarithmic scale
// of many cities' outputs at the colours its legend gives, and the film of many cities drawn
// as images, under 5 MB at the largest network, and the map of many cities.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "film.h"
#include "network.h"
#include "palette.h"
#include "png.h"
#include "run.h"
#include "svg.h"

namespace {

const char PYTHON[] = "/usr/bin/python3";

// The bytes written to a new file in a new folder; its path.
std::string written(const std::string &bytes, const char *name) {
  char dir[] = "/tmp/nuv-png-XXXXXX";
  if (!mkdtemp(dir)) return "";
  const std::string path = std::string(dir) + "/" + name;
  FILE *f = fopen(path.c_str(), "wb");
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
  return path;
}

// What png_decode.py reads of a PNG image: "W H" and each row's colours.
Ran decoded(const std::string &png) {
  const std::string path = written(png, "image.png");
  Ran r = run(std::string(PYTHON) + " " + SOURCE_DIR + "/tests/png_decode.py " + path);
  run("rm -rf " + path.substr(0, path.rfind('/')));
  return r;
}

// What the decoder should print for the image of index with palette, worked from them here.
std::string expected(int width, int height, const std::vector<unsigned char> &index,
                     const std::vector<uint32_t> &palette) {
  std::string s = std::to_string(width) + " " + std::to_string(height) + "\n";
  char hex[8];
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) {
      snprintf(hex, sizeof hex, "%06x", unsigned(palette[index[size_t(y * width + x)]]));
      s += std::string(x ? " " : "") + hex + (x == width - 1 ? "\n" : "");
    }
  return s;
}

TEST(Png, ChecksumsAndBase64GiveTheirPublishedCheckValues) {
  const std::string digits = "123456789", wiki = "Wikipedia";
  EXPECT_EQ(png_crc32(reinterpret_cast<const unsigned char *>(digits.data()), 9), 0xcbf43926u);
  EXPECT_EQ(png_adler32(reinterpret_cast<const unsigned char *>(wiki.data()), 9), 0x11e60398u);
  EXPECT_EQ(png_adler32(nullptr, 0), 1u);
  // RFC 4648's vectors.
  const char *plain[] = {"", "f", "fo", "foo", "foob", "fooba", "foobar"};
  const char *coded[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
  for (int k = 0; k < 7; k++) EXPECT_EQ(base64(plain[k]), coded[k]);
}

TEST(Png, HandMadeImagesReadBackPixelForPixelByAnIndependentDecoder) {
  if (access(PYTHON, X_OK) != 0) GTEST_SKIP() << PYTHON << " is missing: no decoder to check with";
  const std::vector<uint32_t> palette = {0x000000, 0xff0000, 0x00ff00, 0x0000ff, 0xffffff};
  // Runs of every length a match takes and beyond (259 and 600 repeat one colour), short runs
  // and single pixels: the fixed-code block.
  const int w = 600, h = 4;
  std::vector<unsigned char> runs(size_t(w * h));
  for (int x = 0; x < w; x++) {
    runs[size_t(x)] = x < 259 ? 1 : x < 262 ? 2 : 3; // a run of 259, of 3, of 338
    runs[size_t(w + x)] = (unsigned char)(x % 5);    // no run at all
    runs[size_t(2 * w + x)] = (unsigned char)(x / 7 % 5);
    runs[size_t(3 * w + x)] = 4; // a whole row of white
  }
  const std::string png = png_paletted(w, h, runs, palette);
  EXPECT_LT(png.size(), size_t(w * h) / 2) << "runs are compressed";
  Ran r = decoded(png);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, expected(w, h, runs, palette));
  // Noise, which fixed codes would lengthen: stored blocks, more than one (over 65535 bytes).
  std::mt19937 random(7);
  const int side = 300;
  std::vector<uint32_t> grey(256);
  for (uint32_t k = 0; k < 256; k++) grey[k] = k << 16 | k << 8 | k;
  std::vector<unsigned char> noise(size_t(side * side));
  for (unsigned char &p : noise) p = (unsigned char)(random() & 255);
  const std::string stored = png_paletted(side, side, noise, grey);
  EXPECT_LT(stored.size(), size_t(side * (side + 1)) + 3 * 256 + 100) << "the pixels and palette";
  r = decoded(stored);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, expected(side, side, noise, grey));
}

// The colour at a place on the scale, as "#rrggbb".
std::string colour_at(double t) {
  return scale_colour(t);
}

TEST(Scale, BeyondThirtyCitiesTheUniformOutputIsTheMiddleAndOneTheTop) {
  for (int n : {31, 51, 100, 442, 1002}) {
    EXPECT_EQ(colour_at(unit_position(1.0 / n, n)), "#21918c") << n; // the legend's middle
    EXPECT_EQ(colour_at(unit_position(1.0, n)), "#fde725") << n;     // its top
    EXPECT_EQ(colour_at(unit_position(1.0 / (double(n) * n), n)), "#440154") << n; // its bottom
    EXPECT_EQ(unit_position(0.0, n), 0.0);
    EXPECT_EQ(unit_position(1e-300, n), 0.0);
    // Halfway between 1/n and 1 in logarithm: 1/sqrt(n), the legend's three quarters.
    EXPECT_NEAR(unit_position(1 / std::sqrt(double(n)), n), 0.75, 1e-12);
    EXPECT_TRUE(std::isnan(unit_position(NAN, n)));
  }
  // Up to thirty cities the output itself, as the film has always drawn it.
  for (double v : {0.0, 0.02, 1.0 / 9, 0.5, 1.0}) EXPECT_EQ(unit_position(v, 30), v);
  EXPECT_EQ(scale_index(0.5), SCALE_STEPS / 2 + 1);
  EXPECT_EQ(scale_palette()[scale_index(1.0)], 0xfde725u);
  EXPECT_EQ(scale_palette()[scale_index(NAN)], 0xffffffu);
}

// The film's legend puts 1/N at the scale's middle, and its gradient's middle is the colour a
// unit at 1/N gets; the grids are images of N x N pixels.
TEST(Scale, TheFilmOfFiftyOneCitiesIsImagesOnTheScaleItsLegendGives) {
  char dir[] = "/tmp/nuv-film-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string file = std::string(dir) + "/film.svg";
  Ran r = run(std::string(TRACE) + " --cities random:51:2 --rule euler --sweeps 60 1 1 1 5 --svg " +
              file);
  ASSERT_EQ(r.status, 0) << r.err;
  auto xpath = [&](const std::string &path) {
    return run("xmllint --xpath '" + path + "' " + file).out;
  };
  EXPECT_EQ(xpath("count(//*[local-name()=\"image\"][@class=\"grid\"])"), "50\n");
  EXPECT_EQ(xpath("count(//*[@class=\"cell\"])"), "0\n");
  // The legend: 300 px from y 110, so its middle at 260 (a label 4 px below its tick).
  EXPECT_EQ(xpath("string(//*[local-name()=\"text\"][.=\"1/51\"]/@y)"), "264.0\n");
  EXPECT_EQ(xpath("string(//*[local-name()=\"stop\"][@offset=\"50%\"]/@stop-color)"), "#21918c\n");
  if (access(PYTHON, X_OK) == 0) {
    const std::string href =
        xpath("string((//*[local-name()=\"image\"])[1]/@*[local-name()=\"href\"])");
    const std::string prefix = "data:image/png;base64,";
    ASSERT_EQ(href.compare(0, prefix.size(), prefix), 0);
    FILE *f = fopen((std::string(dir) + "/b64").c_str(), "w");
    fputs(href.substr(prefix.size()).c_str(), f);
    fclose(f);
    Ran image = run(std::string(PYTHON) + " " + SOURCE_DIR + "/tests/png_decode.py --base64 " +
                    dir + "/b64");
    ASSERT_EQ(image.status, 0) << image.err;
    EXPECT_EQ(image.out.substr(0, image.out.find('\n')), "51 51");
  }
  run(std::string("rm -rf ") + dir);
}

TEST(Film, AStateOfManyCitiesIsKeptInBlocksOfAtMostImageSideASide) {
  EXPECT_EQ(film_pool(9), 1);
  EXPECT_EQ(film_pool(IMAGE_SIDE), 1);
  EXPECT_EQ(film_pool(IMAGE_SIDE + 1), 2);
  EXPECT_EQ(film_pool(1002), 7); // 144 blocks a side
  for (int n = 4; n <= 2000; n++) {
    const int pool = film_pool(n), side = (n + pool - 1) / pool;
    EXPECT_LE(side, IMAGE_SIDE) << n;
    EXPECT_TRUE(pool == 1 || (n + pool - 2) / (pool - 1) > IMAGE_SIDE) << n << ": the least";
  }
}

// The largest network the build holds, eight frames of a run that stays noisy (Euler's small
// steps; eight, not fifty, for the time a sweep of 1,002 cities takes): each frame within a
// fiftieth of 5 MB and the rest within 200 kB, so that fifty stay under 5 MB; and XML.
TEST(Film, TheLargestNetworksFilmKeepsEachFrameWithinAFiftiethOfFiveMegabytes) {
  char dir[] = "/tmp/nuv-film-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string file = std::string(dir) + "/film.svg";
  Ran r = run(std::string(TRACE) + " --cities random:" + std::to_string(MAXCITY) +
              ":1 --rule euler --sweeps 8 1 1 1 5 --svg " + file + " > /dev/null");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(run("xmllint --noout --huge " + file).status, 0);
  EXPECT_EQ(run("xmllint --xpath 'count(//*[local-name()=\"image\"])' --huge " + file).out, "8\n");
  FILE *f = fopen(file.c_str(), "rb");
  fseek(f, 0, SEEK_END);
  EXPECT_LT(ftell(f), (5L << 20) * 8 / 50 + 200000);
  fclose(f);
  run(std::string("rm -rf ") + dir);
}

// Beyond 100 cities the survey's map has no numbers and no list of a tour's cities, and its
// cities are dots of 1 px whatever their coordinates (pr1002's are thousands of units apart).
TEST(Map, BeyondAHundredCitiesTheMapIsDotsWithoutNumbers) {
  if (MAXCITY <= 100) GTEST_SKIP() << "this build holds networks of at most 100 cities";
  char dir[] = "/tmp/nuv-map-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string file = std::string(dir) + "/map.svg";
  Ran r = run(std::string(SURVEY) + " --cities random:" + std::to_string(MAXCITY) +
              ":1 --sweeps 1 --seeds 1:1 --svg " + file + " 1 1 1 > /dev/null");
  ASSERT_EQ(r.status, 0) << r.err;
  auto xpath = [&](const std::string &path) {
    return run("xmllint --xpath '" + path + "' " + file).out;
  };
  EXPECT_EQ(xpath("count(//*[@class=\"city\"][@r=\"1.0\"])"), std::to_string(MAXCITY) + "\n");
  EXPECT_EQ(xpath("count(//*[local-name()=\"text\"][translate(., \"0123456789\", \"\") = \"\"])"),
            "0\n");
  EXPECT_EQ(xpath("count(//*[local-name()=\"text\"][contains(., \"1-\")])"), "0\n");
  run(std::string("rm -rf ") + dir);
}

} // namespace
