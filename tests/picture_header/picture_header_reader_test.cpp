#include "picture_header/picture_header_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace harvel {
namespace {

using Answer = PictureHeaderReader::Answer;

// Feeds each piece from a buffer of exactly its size, so that a read past the
// bytes given is caught by the address sanitizer.
Answer FeedExactly(PictureHeaderReader& reader, std::string_view piece) {
  const std::vector<std::uint8_t> copy(piece.begin(), piece.end());
  return reader.Feed(std::span(copy));
}

// The reader's answer for the whole file in one piece: a size, or nullopt.
std::optional<PictureSize> SizeOf(std::string_view file) {
  PictureHeaderReader reader;
  if (FeedExactly(reader, file) != Answer::Size)
    return std::nullopt;
  return reader.size();
}

std::string Sample(const char* name) {
  return test::ReadFile(std::string(HARVEL_PICTURE_SAMPLES) + "/" + name);
}

std::string Be16(unsigned v) {
  return {char(v >> 8), char(v)};
}
std::string Be32(std::uint32_t v) {
  return Be16(v >> 16) + Be16(v & 0xffff);
}
std::string Le16(unsigned v) {
  return {char(v), char(v >> 8)};
}
std::string Le32(std::uint32_t v) {
  return Le16(v & 0xffff) + Le16(v >> 16);
}

std::string Png(std::uint32_t width, std::uint32_t height) {
  return std::string("\x89PNG\r\n\x1a\n") + Be32(13) + "IHDR" + Be32(width) + Be32(height) +
         std::string("\x08\x02\0\0\0", 5) + "crc!";
}

std::string JpegSegment(unsigned char marker, std::size_t payload) {
  return std::string{'\xff', char(marker)} + Be16(unsigned(payload + 2)) +
         std::string(payload, 'e');
}

std::string JpegSegmentOf(unsigned char marker, std::string_view payload) {
  return std::string{'\xff', char(marker)} + Be16(unsigned(payload.size() + 2)) +
         std::string(payload);
}

std::string JpegFrame(unsigned width, unsigned height, char code = '\xc0') {
  return std::string{'\xff', code} + Be16(11) + "\x08" + Be16(height) + Be16(width) +
         "\x01\x01\x11\x00";
}

// An EXIF block in Intel byte order whose first directory holds the orientation.
std::string ExifBlock(unsigned orientation) {
  return std::string("Exif\0\0II*\0", 10) + Le32(8) + Le16(2) + Le16(0x010f) + Le16(2) + Le32(4) +
         "Cam" + '\0' + Le16(0x0112) + Le16(3) + Le32(1) + Le16(orientation) + Le16(0) + Le32(0);
}

std::string IcoEntry(unsigned char side, std::uint32_t length, std::uint32_t data) {
  return std::string{char(side), char(side), 0, 0} + Le16(1) + Le16(32) + Le32(length) + Le32(data);
}

std::string Box(const char* type, std::string_view payload) {
  return Be32(std::uint32_t(8 + payload.size())) + type + std::string(payload);
}

// A HEIF file whose primary item 1 has the ispe property number `property`.
std::string Heif(std::string_view before, std::uint8_t property) {
  const std::string version(4, '\0');
  const std::string ipco =
      Box("ipco", Box("pixi", version + "\x01\x08") + Box("ispe", version + Be32(640) + Be32(480)));
  const std::string ipma =
      Box("ipma", version + Be32(1) + Be16(1) + "\x01" + std::string(1, char(property)));
  return Box("ftyp", "avif" + Be32(0) + "mif1") + std::string(before) +
         Box("meta", version + Box("pitm", version + Be16(1)) + Box("iprp", ipco + ipma)) +
         Box("mdat", "....");
}

TEST(PictureHeaderReader, ReadsEachFormatFedInAnyPieces) {
  const struct {
    const char* file;
    PictureSize size;
  } samples[] = {
      {"picture.gif", {37, 23}},        {"picture.png", {37, 23}},
      {"baseline.jpg", {37, 23}},       {"progressive.jpg", {37, 23}},
      {"exif_thumbnail.jpg", {37, 23}}, {"lossy.webp", {37, 23}},
      {"lossless.webp", {37, 23}},      {"extended.webp", {37, 23}},
      {"picture.avif", {37, 23}},       {"grid.heic", {37, 23}},
      {"info_header.bmp", {37, 23}},    {"v5_header.bmp", {37, 23}},
      {"core_header.bmp", {37, 23}},    {"three_images.ico", {40, 30}},
      {"rotated.jpg", {23, 37}},  // EXIF orientation 6: a quarter turn
  };
  for (const auto& sample : samples) {
    SCOPED_TRACE(sample.file);
    const std::string file = Sample(sample.file);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(SizeOf(file), sample.size);

    // Every split in two; the first part alone is either not enough or the
    // right answer, never a wrong one.
    for (std::size_t split = 0; split <= file.size(); ++split) {
      PictureHeaderReader reader;
      const Answer first = FeedExactly(reader, std::string_view(file).substr(0, split));
      ASSERT_NE(first, Answer::NotKnown) << "cut after " << split;
      FeedExactly(reader, std::string_view(file).substr(split));
      ASSERT_EQ(reader.answer(), Answer::Size) << "split at " << split;
      ASSERT_EQ(reader.size(), sample.size) << "split at " << split;
    }
    PictureHeaderReader byteByByte;
    for (const char byte : file)
      FeedExactly(byteByByte, std::string_view(&byte, 1));
    EXPECT_EQ(byteByByte.size(), sample.size);
  }
}

TEST(PictureHeaderReader, WhatIsNoPictureIsNotKnown) {
  const std::string notPictures[] = {
      "<?xml version=\"1.0\"?><svg xmlns=\"http://www.w3.org/2000/svg\" width=\"900\"/>",
      "<!DOCTYPE html><html><body>Not found</body></html>",
      "BMW and Audi are cars, both of them German.",                 // starts like a BMP
      Box("ftyp", "isom" + Be32(0) + "mp42") + Box("moov", "...."),  // a film
      std::string("\x89PNG\r\n\x1a\n") + Be32(4) + "gAMA" + Be32(45455) + "crc!" + Png(9, 9),
  };
  for (const std::string& file : notPictures) {
    PictureHeaderReader reader;
    EXPECT_EQ(FeedExactly(reader, file), Answer::NotKnown) << file;
  }
}

TEST(PictureHeaderReader, TakesHeadersAsTheyClaimAndRefusesBrokenOnes) {
  // A header is believed: nothing is decoded.
  EXPECT_EQ(SizeOf(Png(60000, 60000)), (PictureSize{60000, 60000}));
  EXPECT_EQ(SizeOf(Heif("", 2)), (PictureSize{640, 480}));
  // A BMP stored top down has a negative height.
  const std::string bmp = "BM" + Le32(0) + Le32(0) + Le32(54) + Le32(40) + Le32(300) +
                          Le32(std::uint32_t(-200)) + Le16(1) + Le16(24);
  EXPECT_EQ(SizeOf(bmp), (PictureSize{300, 200}));

  const std::string jpegStart = "\xff\xd8";
  const std::string broken[] = {
      "GIF89a" + Le16(0) + Le16(0) + std::string(8, '\0'),     // no sides
      jpegStart + JpegFrame(640, 0),                           // height given later
      jpegStart + "\xff\xe0" + Be16(1) + JpegFrame(640, 480),  // a length below 2
      jpegStart + JpegSegment(0xe0, 10) + "\xff\xda" + Be16(8) + JpegFrame(640, 480),
      "BM" + Le32(0) + Le32(0) + Le32(54) + Le32(40) + Le32(300) + Le32(0x80000000) + Le32(0),
      std::string("\0\0\1\0\0\0", 6) + std::string(16, '\0'),  // an icon of no images
      "RIFF" + Le32(100) + "WEBPVP8 " + Le32(20) + "\x01\x00\x00\x9d\x01\x2a" + Le32(0x00100010),
      Heif("", 1),                                       // the primary has no ispe
      Box("ftyp", "avif" + Be32(0)) + Be32(4) + "meta",  // a box shorter than its header
      Box("ftyp", "avif" + Be32(0)) + Box("meta", Be32(0) + Be32(64) + "iprp"),  // past meta
      // An icon whose first picture would start inside its directory.
      std::string("\0\0\1\0\2\0", 6) + IcoEntry(16, 40, 22) + IcoEntry(16, 40, 38),
      // An icon's PNG whose first chunk is no IHDR.
      std::string("\0\0\1\0\1\0", 6) + IcoEntry(0, 40, 22) + "\x89PNG\r\n\x1a\n" + Be32(4) +
          "gAMA" + Be32(45455),
  };
  for (const std::string& file : broken) {
    PictureHeaderReader reader;
    EXPECT_EQ(FeedExactly(reader, file + std::string(64, '\0')), Answer::NotKnown) << file.size();
  }
}

// HEIF properties as written in ipco.
std::string Ispe(std::uint32_t width, std::uint32_t height) {
  return Box("ispe", std::string(4, '\0') + Be32(width) + Be32(height));
}
std::string Irot(char quarters) {
  return Box("irot", std::string(1, quarters));
}
std::string Clap(std::uint32_t widthN, std::uint32_t widthD, std::uint32_t heightN,
                 std::uint32_t heightD) {
  return Box("clap", Be32(widthN) + Be32(widthD) + Be32(heightN) + Be32(heightD) + Be32(0) +
                         Be32(1) + Be32(0) + Be32(1));
}

// A HEIF file whose primary item 1 has the properties numbered 1, 2, ... in
// the order given.
std::string HeifWith(const std::vector<std::string>& properties) {
  const std::string version(4, '\0');
  std::string ipco;
  std::string numbers;
  for (const std::string& property : properties) {
    ipco += property;
    numbers += char(numbers.size() + 1);
  }
  const std::string ipma =
      Box("ipma", version + Be32(1) + Be16(1) + char(numbers.size()) + numbers);
  return Box("ftyp", "heic" + Be32(0) + "mif1") +
         Box("meta",
             version + Box("pitm", version + Be16(1)) + Box("iprp", Box("ipco", ipco) + ipma));
}

TEST(PictureHeaderReader, JudgesPicturesAsABrowserShowsThem) {
  const std::string soi = "\xff\xd8";
  const struct {
    const char* what;
    std::string file;
    PictureSize shown;
    bool turned;
  } cases[] = {
      {"EXIF orientation 8",
       soi + JpegSegmentOf(0xe1, ExifBlock(8)) + JpegFrame(1800, 1200),
       {1200, 1800},
       true},
      {"EXIF orientation 3, upside down",
       soi + JpegSegmentOf(0xe1, ExifBlock(3)) + JpegFrame(1800, 1200),
       {1800, 1200},
       false},
      {"only the first EXIF block counts",
       soi + JpegSegmentOf(0xe1, ExifBlock(1)) + JpegSegmentOf(0xe1, ExifBlock(6)) +
           JpegFrame(1800, 1200),
       {1800, 1200},
       false},
      {"irot a quarter", HeifWith({Ispe(1024, 722), Irot(1)}), {722, 1024}, true},
      {"irot a half, mirrored",
       HeifWith({Ispe(1024, 722), Irot(2), Box("imir", "\1")}),
       {1024, 722},
       false},
      {"clap, then irot",
       HeifWith({Ispe(1024, 722), Clap(800, 1, 1200, 2), Irot(3)}),
       {600, 800},
       true},
      {"clap not whole", HeifWith({Ispe(1024, 722), Clap(801, 2, 600, 1)}), {1024, 722}, false},
      {"clap larger than the picture",
       HeifWith({Ispe(1024, 722), Clap(2000, 1, 600, 1)}),
       {1024, 722},
       false},
      // A PNG listed first whose data comes after a 48 × 48 bitmap's.
      {"icon holding a PNG",
       std::string("\0\0\1\0\2\0", 6) + IcoEntry(0, 33, 78) + IcoEntry(48, 40, 38) +
           std::string(40, 'b') + Png(1024, 1024),
       {1024, 1024},
       false},
      {"GIF frame larger than its screen",
       "GIF89a" + Le16(1) + Le16(1) + std::string("\x80\0\0", 3) + std::string(6, '\0') +
           std::string("\x21\xf9\x04\x01\0\0\0\0", 8) +
           std::string("\x21\xfe\x03"
                       "abc\0",
                       7) +
           "," + Le32(0) + Le16(500) + Le16(400) + std::string(1, '\0'),
       {500, 400},
       false},
      {"GIF screen wider than its frame",
       "GIF87a" + Le16(600) + Le16(100) + std::string("\0\0\0,", 4) + Le32(0) + Le16(500) +
           Le16(400) + std::string(1, '\0'),
       {600, 400},
       false},
      {"GIF of no frame",
       "GIF89a" + Le16(70) + Le16(50) + std::string("\0\0\0;", 4),
       {70, 50},
       false},
  };
  for (const auto& c : cases) {
    PictureHeaderReader reader;
    EXPECT_EQ(FeedExactly(reader, c.file), Answer::Size) << c.what;
    EXPECT_EQ(reader.size(), c.shown) << c.what;
    EXPECT_EQ(reader.turned(), c.turned) << c.what;
  }

  // A lossless WebP of 28 bytes in all.
  const std::string webp = "RIFF" + Le32(20) + "WEBPVP8L" + Le32(8) + "\x2f" +
                           Le32((300 - 1) | (200 - 1) << 14) + std::string(3, '\0');
  ASSERT_EQ(webp.size(), 28u);
  EXPECT_EQ(SizeOf(webp), (PictureSize{300, 200}));
}

TEST(PictureHeaderReader, TellsTheFormatAndWhetherADecoderKeepsTheWholePicture) {
  // Fill bytes before a marker, and a frame header planted inside an APP1
  // block, do not hide the real, progressive frame.
  const std::string planted =
      "\xff\xd8\xff\xff" + JpegSegmentOf(0xe1, JpegFrame(16, 16)) + JpegFrame(23000, 23000, '\xc2');
  PictureHeaderReader progressive;
  EXPECT_EQ(FeedExactly(progressive, planted), Answer::Size);
  EXPECT_EQ(progressive.size(), (PictureSize{23000, 23000}));
  EXPECT_EQ(progressive.format(), PictureFormat::Jpeg);
  EXPECT_TRUE(progressive.wholePictureKept());

  PictureHeaderReader sequential;
  FeedExactly(sequential, Sample("baseline.jpg"));
  EXPECT_FALSE(sequential.wholePictureKept());
  PictureHeaderReader png;
  FeedExactly(png, Sample("picture.png"));
  EXPECT_EQ(png.format(), PictureFormat::Png);
  PictureHeaderReader page;
  FeedExactly(page, "<!DOCTYPE html><html></html>");
  EXPECT_EQ(page.format(), std::nullopt);
}

TEST(PictureHeaderReader, GivesUpAfterTheFirstMebibyte) {
  // Segments skipped unread up to 1 MiB: a frame header inside it is found,
  // one behind it is not waited for.
  auto jpegAfterSegments = [](int segments) {
    std::string file = "\xff\xd8";
    for (int i = 0; i < segments; ++i)
      file += JpegSegment(0xe1, 65533);
    return file + JpegFrame(800, 600);
  };
  EXPECT_EQ(SizeOf(jpegAfterSegments(15)), (PictureSize{800, 600}));
  PictureHeaderReader late;
  const std::string tooLate = jpegAfterSegments(16);
  EXPECT_EQ(FeedExactly(late, std::string_view(tooLate).substr(0, PictureHeaderReader::kReadLimit)),
            Answer::NotKnown);

  // A box that ends past 1 MiB is refused when its header arrives.
  PictureHeaderReader heif;
  const std::string mdatFirst = Heif(Be32(2 << 20) + "mdat", 2);
  EXPECT_EQ(FeedExactly(heif, std::string_view(mdatFirst).substr(0, 40)), Answer::NotKnown);
}

}  // namespace
}  // namespace harvel
