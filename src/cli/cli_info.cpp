// spotindex-cli info.
#include "cli/cli_info.hpp"

#include "cli/cli_commands.hpp"
#include "cli/cli_output.hpp"
#include "cli/cli_picture.hpp"

namespace spot::cli {
namespace {

std::string optionalNumber(const std::optional<double>& value) {
  return value ? JsonNumber(*value) : "null";
}

// JSON string: quotes, backslashes and control characters escaped; UTF-8 passes through.
std::string jsonText(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(c));
    } else if (c < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0xF]);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out + "\"";
}

// Text as a terminal shows it safely: control characters from a file's units become "?".
std::string printable(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return out;
}

} // namespace

int RunInfo(const Options& o, OutputBuffer& out, std::ostream& err) {
  const CliPictureRead read = ReadCliPicture(o.picture);
  if (!read.picture) {
    err << "spotindex-cli: info: " << QuoteArgument(o.picture) << ": " << read.error << "\n";
    return kExitInvalidInput;
  }
  const CliPicture& p = *read.picture;
  const PictureStatistics s = StatisticsOf(p.pixels);
  const std::string_view sample = SampleTypeName(p.pixels.sampleType());
  if (o.format == Format::Json) {
    out << "{\"picture\": " << jsonText(p.name) << ", \"format\": " << jsonText(p.format)
        << ", \"width\": " << p.pixels.width << ", \"height\": " << p.pixels.height
        << ", \"sample\": \"" << sample << "\", \"min\": " << optionalNumber(s.min)
        << ", \"max\": " << optionalNumber(s.max) << ", \"mean\": " << optionalNumber(s.mean)
        << ", \"calibration\": ";
    if (p.calibration)
      out << "{\"scale\": " << JsonNumber(p.calibration->scale)
          << ", \"units\": " << jsonText(p.calibration->units) << ", \"origin\": ["
          << JsonNumber(p.calibration->originX) << ", " << JsonNumber(p.calibration->originY)
          << "]}";
    else
      out << "null";
    out << ", \"beam_energy_kev\": " << optionalNumber(p.beamEnergyKeV)
        << ", \"camera_length\": " << optionalNumber(p.cameraLength) << "}\n";
    return kExitOk;
  }
  const auto orNone = [](const std::optional<double>& value) {
    return value ? JsonNumber(*value) : std::string("none");
  };
  out << "picture        " << printable(p.name) << "\n"
      << "format         " << p.format << "\n"
      << "size           " << p.pixels.width << " x " << p.pixels.height << " pixels\n"
      << "sample         " << sample << "\n"
      << "min            " << orNone(s.min) << "\n"
      << "max            " << orNone(s.max) << "\n"
      << "mean           " << orNone(s.mean) << "\n";
  if (s.nonFiniteCount > 0)
    out << "not finite     " << s.nonFiniteCount << " samples (left out of min, max, mean)\n";
  out << "calibration    ";
  if (p.calibration)
    out << JsonNumber(p.calibration->scale) << " " << printable(p.calibration->units)
        << " per pixel, origin (" << JsonNumber(p.calibration->originX) << ", "
        << JsonNumber(p.calibration->originY) << ") px\n";
  else
    out << "none\n";
  out << "beam energy    " << (p.beamEnergyKeV ? JsonNumber(*p.beamEnergyKeV) + " keV" : "none")
      << "\n"
      << "camera length  " << orNone(p.cameraLength) << "\n";
  return kExitOk;
}

} // namespace spot::cli
