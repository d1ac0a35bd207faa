// Spots, the fitted pattern and the agreement of families, as spotindex-cli writes them.
#include "cli/cli_spots.hpp"

#include "cli/cli_commands.hpp"
#include "cli/cli_picture.hpp"
#include "core/number_format.hpp"
#include "core/numeric_text.hpp"
#include "indexing/measured_pattern.hpp"
#include "measurement/calibrated_scale_bar.hpp"
#include "measurement/fitted_pattern.hpp"
#include "picture/overlay.hpp"
#include "picture/raw_picture.hpp"

namespace spot::cli {
namespace {

std::string jsonText(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

void appendPair(std::string& text, double a, double b) {
  text += '[';
  AppendJsonNumber(text, a);
  text += ", ";
  AppendJsonNumber(text, b);
  text += ']';
}

void appendTriple(std::string& text, const std::array<double, 3>& v) {
  text += '[';
  for (std::size_t i = 0; i < 3; ++i) {
    if (i) text += ", ";
    AppendJsonNumber(text, v[i]);
  }
  text += ']';
}

std::string padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

struct GreyPicture {
  std::string name;
  GreyImage image;
  std::optional<PictureCalibration> calibration; ///< the file's own, when it has one
};

// Reads the picture as grey values; on failure says why (exit 2).
std::optional<GreyPicture> readPicture(const std::string& path, const std::string& command,
                                       std::ostream& err) {
  const CliPictureRead read = ReadCliPicture(path);
  if (!read.picture) {
    err << "spotindex-cli: " << command << ": cannot read the picture " << QuoteArgument(path)
        << ": " << read.error << "\n";
    return std::nullopt;
  }
  GreyPicture picture{read.picture->name, ToGreyImage(read.picture->pixels),
                      read.picture->calibration};
  if (picture.image.empty()) {
    err << "spotindex-cli: " << command << ": the picture " << QuoteArgument(path) << " is empty\n";
    return std::nullopt;
  }
  return picture;
}

} // namespace

std::optional<PictureMeasurement> MeasurePicture(const Options& o, const std::string& command,
                                                 std::ostream& err, int& status) {
  status = kExitInvalidInput;
  const std::optional<GreyPicture> picture = readPicture(o.picture, command, err);
  if (!picture) return std::nullopt;
  // Without --scale-bar the file's own 1/nm calibration stands for one.
  BoxTexts boxes = PatternBoxes(o);
  if (!o.scaleBar) {
    const std::optional<PictureCalibration>& c = picture->calibration;
    if (!c || !IsReciprocalNanometres(c->units) ||
        WriteCalibratedScaleBar(c->scale, boxes).empty()) {
      err << "spotindex-cli: " << command << ": " << QuoteArgument(picture->name)
          << ": the picture carries no 1/nm calibration: give --scale-bar VALUE LENGTH\n";
      return std::nullopt;
    }
  }
  PictureMeasurement m;
  m.name = picture->name;
  m.width = picture->image.width;
  m.height = picture->image.height;
  m.spots = FindSpots(picture->image);
  std::optional<Vec2> centre;
  if (o.centre) centre = Vec2{NumericPrefix((*o.centre)[0]), NumericPrefix((*o.centre)[1])};
  const PatternFitOutcome outcome = FitPattern(m.spots, m.width, m.height, centre);
  if (!outcome.fit) {
    const bool outside = outcome.fault == PatternFitFault::CentreOutside;
    err << "spotindex-cli: " << command << ": " << (outside ? "--centre: " : "")
        << QuoteArgument(m.name) << ": " << outcome.message << "\n";
    status = outside ? kExitInvalidInput : kExitFault;
    return std::nullopt;
  }
  m.fit = *outcome.fit;
  m.boxes = boxes;
  PatternVectors vectors;
  vectors.reset();
  ConfirmFittedPattern(
      {m.fit.centreX, m.fit.centreY},
      {{{m.fit.r1.x, m.fit.r1.y}, {m.fit.r2.x, m.fit.r2.y}, {m.fit.r3.x, m.fit.r3.y}}}, vectors,
      m.boxes);
  status = kExitOk;
  return m;
}

std::vector<PictureAgreement> FamilyAgreements(const std::vector<SolutionFamily>& families,
                                               const LatticeParameters& cell,
                                               const ReflectionRule& rule,
                                               const PictureMeasurement& picture) {
  const PatternFit& fit = picture.fit;
  const double scaleValue = NumericPrefix(picture.boxes[Box::ScaleBarValue]);
  const double scaleLength = NumericPrefix(picture.boxes[Box::ScaleBarLength]);
  const double tolerance = AgreementTolerancePx(fit.r1, fit.r2);
  std::vector<PictureAgreement> agreements;
  for (const SolutionFamily& family : families) {
    OverlayRequest request;
    request.cell = cell;
    request.rule = rule;
    request.g1 = family.g1;
    request.g2 = family.g2;
    request.centre = {fit.centreX, fit.centreY};
    request.r1 = fit.r1;
    request.r2 = fit.r2;
    // Above 0 both: the options refuse any other scale bar, a file's calibration gives 1 1/nm.
    request.pxPerInverseNm = scaleLength / scaleValue;
    request.width = picture.width;
    request.height = picture.height;
    agreements.push_back(
        CompareWithPicture(PredictSpots(request), picture.spots, request.centre, tolerance));
  }
  return agreements;
}

void AppendJsonAgreement(std::string& text, const PictureAgreement& a) {
  text += ", \"picture\": {\"predicted\": " + std::to_string(a.predicted) +
          ", \"matched\": " + std::to_string(a.matched) +
          ", \"detected\": " + std::to_string(a.detected) +
          ", \"explained\": " + std::to_string(a.explained) + ", \"rms_px\": ";
  AppendJsonNumber(text, a.rmsPx);
  text += '}';
}

void WriteTextAgreements(OutputBuffer& out, const std::vector<SolutionFamily>& families,
                         const std::vector<PictureAgreement>& agreements) {
  if (families.empty()) return;
  out << "\nAgreement with the picture (ranked by explained spots, RMS, unmatched predictions, "
         "then score)\n"
      << padded("Rank", 5) << "  " << padded("Zone axis", 12) << padded("Explained", 12)
      << padded("Matched", 12) << padded("RMS px", 9) << '\n';
  std::size_t top = 0;
  for (std::size_t i = 0; i < families.size() && i < agreements.size(); ++i) {
    const SolutionFamily& f = families[i];
    const PictureAgreement& a = agreements[i];
    const ZoneAxis& z = f.zoneAxis;
    out << padded(std::to_string(f.rank), 5) << "  "
        << padded("[" + std::to_string(z.u) + " " + std::to_string(z.v) + " " +
                      std::to_string(z.w) + "]",
                  12)
        << padded(std::to_string(a.explained) + "/" + std::to_string(a.detected), 12)
        << padded(std::to_string(a.matched) + "/" + std::to_string(a.predicted), 12)
        << padded(FormatFixed(a.rmsPx, 2), 9) << '\n';
    top += f.rank == 1;
  }
  if (top > 1)
    out << "The first " << top
        << " families share rank 1: the picture and the score cannot tell them apart.\n";
}

int RunSpots(const Options& o, OutputBuffer& out, std::ostream& err) {
  const std::optional<GreyPicture> picture = readPicture(o.picture, "spots", err);
  if (!picture) return kExitInvalidInput;
  const GreyImage* image = &picture->image;
  const std::vector<Spot> spots = FindSpots(*image);
  const std::string& name = picture->name;
  if (o.format == Format::Json) {
    std::string& text = out.text();
    text += "{\"picture\": " + jsonText(name) + ", \"width\": " + std::to_string(image->width) +
            ", \"height\": " + std::to_string(image->height) + ", \"spots\": [";
    for (std::size_t i = 0; i < spots.size(); ++i) {
      text += i ? ",\n  {\"x\": " : "\n  {\"x\": ";
      AppendJsonNumber(text, spots[i].x);
      text += ", \"y\": ";
      AppendJsonNumber(text, spots[i].y);
      text += ", \"intensity\": ";
      AppendJsonNumber(text, spots[i].intensity);
      text += ", \"width\": ";
      AppendJsonNumber(text, spots[i].width);
      out << '}';
    }
    out << (spots.empty() ? "]}\n" : "\n ]}\n");
    return kExitOk;
  }
  out << name << ": " << image->width << " x " << image->height << " pixels, " << spots.size()
      << (spots.size() == 1 ? " spot" : " spots") << ", brightest first\n"
      << padded("x", 10) << padded("y", 10) << padded("intensity", 16) << padded("width", 8)
      << '\n';
  for (const Spot& s : spots)
    out << padded(FormatFixed(s.x, 2), 10) << padded(FormatFixed(s.y, 2), 10)
        << padded(FormatFixed(s.intensity, 1), 16) << padded(FormatFixed(s.width, 2), 8) << '\n';
  return kExitOk;
}

int RunMeasure(const Options& o, OutputBuffer& out, std::ostream& err) {
  int status = kExitOk;
  const std::optional<PictureMeasurement> m = MeasurePicture(o, "measure", err, status);
  if (!m) return status;
  const PatternReading reading = ReadMeasuredPattern(m->boxes);
  if (reading.fault) {
    err << "spotindex-cli: measure: " << FaultMessage(*reading.fault) << "\n";
    return kExitFault;
  }
  const auto boxNumbers = [&](Box first) {
    std::array<double, 3> values{};
    for (int i = 0; i < 3; ++i)
      values[static_cast<std::size_t>(i)] = NumericPrefix(m->boxes[BoxNumber(first) + i]);
    return values;
  };
  const std::array<double, 3> lengths = boxNumbers(Box::Length1);
  const std::array<double, 3> angles = boxNumbers(Box::Angle12);
  const std::array<double, 3>& d = reading.pattern.d;
  const PatternFit& f = m->fit;
  if (o.format == Format::Json) {
    std::string& text = out.text();
    text += "{\"centre\": ";
    appendPair(text, f.centreX, f.centreY);
    text += ", \"r1\": ";
    appendPair(text, f.r1.x, f.r1.y);
    text += ", \"r2\": ";
    appendPair(text, f.r2.x, f.r2.y);
    text += ", \"r3\": ";
    appendPair(text, f.r3.x, f.r3.y);
    text += ",\n \"lengths\": ";
    appendTriple(text, lengths);
    text += ", \"d\": ";
    appendTriple(text, d);
    text += ", \"angles\": ";
    appendTriple(text, angles);
    text += ",\n \"spots_used\": " + std::to_string(f.spotsUsed) + ", \"residual_px\": ";
    AppendJsonNumber(text, f.residualPx);
    out << "}\n";
    return kExitOk;
  }
  out << m->name << ": centre (" << FormatFixed(f.centreX, 3) << ", " << FormatFixed(f.centreY, 3)
      << ") px, " << f.spotsUsed << " spots on the lattice, residual "
      << FormatFixed(f.residualPx, 3) << " px\n";
  const std::array<Vec2, 3> r = {f.r1, f.r2, f.r3};
  for (std::size_t i = 0; i < 3; ++i)
    out << "R" << static_cast<int>(i + 1) << " (" << FormatFixed(r[i].x, 3) << ", "
        << FormatFixed(r[i].y, 3) << ") px  length " << FormatFixed(lengths[i], 3) << " px  d"
        << static_cast<int>(i + 1) << " = " << FormatSpacing(d[i]) << " nm\n";
  out << "<R1,R2> = " << FormatAngle(angles[0]) << " deg.  <R2,R3> = " << FormatAngle(angles[1])
      << " deg.  <R1,R3> = " << FormatAngle(angles[2]) << " deg.\n";
  return kExitOk;
}

} // namespace spot::cli
