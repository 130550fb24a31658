#include "shell/rom_info.h"

#include <cstdio>
#include <sstream>

#include "shell/checksums.h"
#include "shell/rom_locations.h"

namespace tarvo {

std::int64_t InesHeader::sizeByHeader() const {
  return rom::kInesHeader.length + (trainer ? kTrainerBytes : 0) +
         std::int64_t{prgUnits} * kPrgUnitBytes + std::int64_t{chrUnits} * kChrUnitBytes;
}

InesHeader readInesHeader(const ByteArray& image) {
  InesHeader header;
  if (image.size() < static_cast<std::size_t>(rom::kInesHeader.length)) {
    return header;
  }
  header.valid = image[0] == 'N' && image[1] == 'E' && image[2] == 'S' && image[3] == 0x1A;
  header.prgUnits = image[4];
  header.chrUnits = image[5];
  const std::uint8_t flags6 = image[6];
  const std::uint8_t flags7 = image[7];
  header.verticalMirroring = (flags6 & 0x01) != 0;
  header.battery = (flags6 & 0x02) != 0;
  header.trainer = (flags6 & 0x04) != 0;
  header.fourScreen = (flags6 & 0x08) != 0;
  header.nes2 = (flags7 & 0x0C) == 0x08;
  header.mapper = (flags7 & 0xF0) | (flags6 >> 4);
  if (header.nes2) {
    header.mapper |= (image[8] & 0x0F) << 8;
  }
  return header;
}

namespace {

// A stretch of file offsets, `end` one past the last.
struct Region {
  std::int64_t begin;
  std::int64_t end;

  bool holds(const rom::Location& location) const {
    return location.offset >= begin && location.end() <= end;
  }
};

bool holdsTiles(const rom::Location& location) {
  return location.offset == rom::kFieldChrBank.offset ||
         location.offset == rom::kBatViewChrBank.offset;
}

// What a location is called in a sentence, with its verb.
std::string subjectOf(const rom::Location& location) {
  if (location.offset == rom::kFieldChrBank.offset) {
    return "the field's tiles lie";
  }
  if (location.offset == rom::kBatViewChrBank.offset) {
    return "the batter's view tiles lie";
  }
  return "the " + std::string(location.name) + " lies";
}

}  // namespace

std::string romHeaderProblem(const ByteArray& image) {
  const InesHeader header = readInesHeader(image);
  if (!header.valid) {
    return "The file has no iNES header";
  }
  if (header.trainer) {
    return "The header announces a 512-byte trainer before the program ROM; the editor's "
           "locations are those of a file without one";
  }
  const Region prg{rom::kInesHeader.end(), rom::kInesHeader.end() + std::int64_t{header.prgUnits} *
                                                                        InesHeader::kPrgUnitBytes};
  const Region chr{prg.end, prg.end + std::int64_t{header.chrUnits} * InesHeader::kChrUnitBytes};
  const std::string counts = "The header counts " + std::to_string(header.prgUnits) +
                             " x 16 KiB of program ROM and " + std::to_string(header.chrUnits) +
                             " x 8 KiB of CHR ROM";
  // The tiles first, as they tell the most: a header for CHR RAM, or one
  // that counts more or less program ROM, leaves them outside its CHR ROM.
  for (const rom::Location& location : rom::kLocationTable) {
    if (holdsTiles(location) && !chr.holds(location)) {
      return counts + "; " + subjectOf(location) + " outside its CHR ROM";
    }
  }
  for (const rom::Location& location : rom::kLocationTable) {
    if (location.offset != rom::kInesHeader.offset && !holdsTiles(location) &&
        !prg.holds(location)) {
      return counts + "; " + subjectOf(location) + " outside its program ROM";
    }
  }
  const auto size = static_cast<std::int64_t>(image.size());
  if (size < header.sizeByHeader()) {
    return "The file is " + formatCount(size) + " bytes, shorter than the " +
           formatCount(header.sizeByHeader()) + " bytes its header counts";
  }
  return "";
}

namespace {

std::string hex(std::int64_t value, int digits) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<long long>(value));
  return text;
}

std::string yesNo(bool value) {
  return value ? "yes" : "no";
}

}  // namespace

std::string describeRomImage(const std::string& name, const ByteArray& image) {
  std::ostringstream out;
  const auto size = static_cast<std::int64_t>(image.size());
  out << "File: " << name << "\n";
  out << "Size: " << formatCount(size) << " bytes\n";

  const InesHeader header = readInesHeader(image);
  if (!header.valid) {
    out << "iNES header: none (the file does not start with \"NES\" and 0x1A)\n";
  } else {
    out << "iNES header: present, " << (header.nes2 ? "NES 2.0" : "iNES") << " format\n";
    out << "  Program ROM: " << header.prgUnits
        << " x 16 KiB = " << formatCount(std::int64_t{header.prgUnits} * InesHeader::kPrgUnitBytes)
        << " bytes\n";
    out << "  CHR ROM: " << header.chrUnits
        << " x 8 KiB = " << formatCount(std::int64_t{header.chrUnits} * InesHeader::kChrUnitBytes)
        << " bytes" << (header.chrUnits == 0 ? " (CHR RAM)" : "") << "\n";
    out << "  Mapper: " << header.mapper << "\n";
    out << "  Mirroring: "
        << (header.fourScreen ? "four-screen"
                              : (header.verticalMirroring ? "vertical" : "horizontal"))
        << "\n";
    out << "  Battery-backed RAM: " << yesNo(header.battery) << "\n";
    out << "  Trainer: " << yesNo(header.trainer) << "\n";
    const std::int64_t expected = header.sizeByHeader();
    out << "  Size by header: " << formatCount(expected) << " bytes"
        << (expected == size ? " (as the file)" : " (the file differs)") << "\n";
  }
  const std::string problem = romHeaderProblem(image);
  out << "Header fits the editor's locations: "
      << (problem.empty() ? "yes" : "no. " + problem + ".") << "\n";

  // Dump lists give the sums of the whole file and, for a file with a
  // header, of the file without it.
  out << "CRC-32 (whole file): " << crc32Hex(image) << "\n";
  out << "SHA-1 (whole file): " << sha1Hex(image) << "\n";
  if (header.valid) {
    const auto skip = static_cast<std::size_t>(rom::kInesHeader.length);  // a valid header is whole
    out << "CRC-32 (without header): " << crc32Hex(image.data() + skip, image.size() - skip)
        << "\n";
    out << "SHA-1 (without header): " << sha1Hex(image.data() + skip, image.size() - skip) << "\n";
  }

  out << "Locations the editor reads or writes:\n";
  out << "  offset   hex       length  contents\n";
  for (const rom::Location& location : rom::kLocationTable) {
    char line[160];
    std::snprintf(line, sizeof line, "  %-8s %-9s %6s  %s\n", formatCount(location.offset).c_str(),
                  hex(location.offset, 5).c_str(), formatCount(location.length).c_str(),
                  std::string(location.name).c_str());
    out << line;
  }
  return out.str();
}

std::string describeDifferences(const ByteArray& mine, const ByteArray& theirs) {
  const std::size_t longest = std::max(mine.size(), theirs.size());
  const auto differs = [&](std::size_t at) {
    return at >= mine.size() || at >= theirs.size() || mine[at] != theirs[at];
  };
  std::vector<std::string> parts;
  std::vector<bool> counted(longest, false);
  for (const rom::Location& location : rom::kLocationTable) {
    const bool tiles = location.offset == rom::kFieldChrBank.offset ||
                       location.offset == rom::kBatViewChrBank.offset;
    // A bank counts the tiles that differ, the rest the bytes.
    const int unit = tiles ? rom::kTileBytes : 1;
    std::int64_t count = 0;
    for (std::int64_t first = location.offset; first < location.end(); first += unit) {
      bool any = false;
      for (std::int64_t at = first; at < first + unit; ++at) {
        const auto index = static_cast<std::size_t>(at);
        if (index < longest && differs(index)) {
          counted[index] = true;
          any = true;
        }
      }
      count += any ? 1 : 0;
    }
    if (count > 0) {
      const char* what =
          tiles ? (count == 1 ? " tile" : " tiles") : (count == 1 ? " byte" : " bytes");
      parts.push_back(std::string(location.name) + " " + std::to_string(count) + what);
    }
  }
  std::int64_t other = 0;
  for (std::size_t at = 0; at < longest; ++at) {
    other += differs(at) && !counted[at] ? 1 : 0;
  }
  if (other > 0) {
    parts.push_back("other bytes " + std::to_string(other));
  }
  if (parts.empty()) {
    return "the same bytes";
  }
  std::string text = parts[0];
  for (std::size_t k = 1; k < parts.size(); ++k) {
    text += ", " + parts[k];
  }
  return text;
}

}  // namespace tarvo
