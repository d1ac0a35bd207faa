// Families of equivalent rows as spotindex-cli writes them.
#include "cli/cli_families.hpp"

#include <algorithm>

#include "cli/cli_spots.hpp"
#include "core/number_format.hpp"

namespace spot::cli {
namespace {

void appendMiller(std::string& text, const MillerIndex& g) {
  text += "[" + std::to_string(g.h) + ", " + std::to_string(g.k) + ", " + std::to_string(g.l) + "]";
}

template <class T> void appendIntegers(std::string& text, std::initializer_list<T> values) {
  text += '[';
  bool first = true;
  for (T value : values) {
    if (!first) text += ", ";
    text += std::to_string(value);
    first = false;
  }
  text += ']';
}

void appendNumbers(std::string& text, const std::array<double, 3>& values) {
  text += '[';
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) text += ", ";
    AppendJsonNumber(text, values[i]);
  }
  text += ']';
}

void appendPlanes(std::string& text, const MillerIndex& g1, const MillerIndex& g2,
                  const MillerIndex& g3) {
  text += "{\"r1\": ";
  appendMiller(text, g1);
  text += ", \"r2\": ";
  appendMiller(text, g2);
  text += ", \"r3\": ";
  appendMiller(text, g3);
  text += '}';
}

void appendDeviation(std::string& text, const Deviation& deviation) {
  text += "{\"d\": ";
  appendNumbers(text, deviation.d);
  text += ", \"angles\": ";
  appendNumbers(text, deviation.angle);
  text += '}';
}

std::string planeText(const MillerIndex& g) {
  return "(" + std::to_string(g.h) + " " + std::to_string(g.k) + " " + std::to_string(g.l) + ")";
}

std::string padded(std::string text, std::size_t width, bool left = false) {
  std::size_t points = 0; // "Δ" is one character on the screen
  for (unsigned char c : text)
    points += (c & 0xC0) != 0x80;
  if (points >= width) return text;
  return left ? text + std::string(width - points, ' ') : std::string(width - points, ' ') + text;
}

} // namespace

GroupedRows GroupRows(const std::vector<IndexingResult>& rows, const LatticeParameters& cell,
                      const ReflectionRule& rule, int indexRange, const MeasuredPattern& pattern) {
  GroupedRows grouped;
  const PhaseSymmetry symmetry = PhaseSymmetryOf(cell, rule);
  if (rows.empty())
    grouped.nearest = FindNearestMisses(cell, rule, indexRange, pattern, symmetry);
  else
    grouped.families = GroupSolutions(rows, symmetry, pattern);
  return grouped;
}

std::string ZoneAxisText(const SolutionFamily& family) {
  const ZoneAxis& z = family.zoneAxis;
  std::string text =
      "[" + std::to_string(z.u) + " " + std::to_string(z.v) + " " + std::to_string(z.w) + "]";
  if (family.zoneAxis4) {
    const FourIndexDirection& f = *family.zoneAxis4;
    text += " = [" + std::to_string(f.u) + " " + std::to_string(f.v) + " " + std::to_string(f.t) +
            " " + std::to_string(f.w) + "]";
  }
  return text;
}

void WriteJsonFamilies(OutputBuffer& out, const GroupedRows& grouped,
                       const std::vector<IndexingResult>& rows, std::string_view indent,
                       const std::vector<PictureAgreement>* agreements) {
  std::string& text = out.text();
  text += ",\n";
  text += indent;
  text += "\"families\": [";
  for (std::size_t i = 0; i < grouped.families.size(); ++i) {
    const SolutionFamily& f = grouped.families[i];
    text += i ? ",\n" : "\n";
    text += indent;
    text += "  {\"rank\": " + std::to_string(f.rank) + ", \"rows\": [";
    for (std::size_t m = 0; m < f.members.size(); ++m) {
      if (m) text += ", ";
      text += std::to_string(rows[f.members[m]].rowNumber);
    }
    text += "], \"representative\": ";
    appendPlanes(text, f.g1, f.g2, f.g3);
    text += ", \"zone_axis\": ";
    appendIntegers(text, {f.zoneAxis.u, f.zoneAxis.v, f.zoneAxis.w});
    if (f.zoneAxis4) {
      text += ", \"zone_axis_4\": ";
      appendIntegers(text, {f.zoneAxis4->u, f.zoneAxis4->v, f.zoneAxis4->t, f.zoneAxis4->w});
    }
    text += ", \"deviation\": ";
    appendDeviation(text, f.deviation);
    text += ", \"score\": ";
    AppendJsonNumber(text, f.score);
    if (agreements && i < agreements->size()) AppendJsonAgreement(text, (*agreements)[i]);
    out << '}';
  }
  if (!grouped.families.empty()) (text += '\n') += indent;
  text += ']';
  if (!rows.empty()) return;
  text += ",\n";
  text += indent;
  text += "\"nearest\": [";
  for (std::size_t i = 0; i < grouped.nearest.size(); ++i) {
    const NearestMiss& miss = grouped.nearest[i];
    text += i ? ",\n" : "\n";
    text += indent;
    text += "  ";
    appendPlanes(text, miss.g1, miss.g2, miss.g3);
    text.pop_back(); // the planes and the rest in one object
    text += ", \"deviation\": ";
    appendDeviation(text, miss.deviation);
    text += ", \"breaks\": [";
    bool first = true;
    for (std::size_t term = 0; term < miss.breaks.size(); ++term) {
      if (!miss.breaks[term]) continue;
      text += first ? "\"" : ", \"";
      text += kDeviationTermNames[term];
      text += '"';
      first = false;
    }
    out << "]}";
  }
  if (!grouped.nearest.empty()) (text += '\n') += indent;
  out << ']';
}

void WriteTextFamilies(OutputBuffer& out, const GroupedRows& grouped,
                       const std::vector<IndexingResult>& rows, const MeasuredPattern& pattern) {
  if (rows.empty()) {
    out << NearestMissMessage(grouped.nearest, pattern) << '\n';
    return;
  }
  std::size_t planesWidth = 14, axisWidth = 9;
  for (const SolutionFamily& f : grouped.families) {
    planesWidth = std::max(
        planesWidth, (planeText(f.g1) + " + " + planeText(f.g2) + " = " + planeText(f.g3)).size());
    axisWidth = std::max(axisWidth, ZoneAxisText(f).size());
  }
  out << grouped.families.size()
      << (grouped.families.size() == 1 ? " family of equivalent solutions\n"
                                       : " families of equivalent solutions\n");
  out << padded("Rank", 5) << "  " << padded("Representative", planesWidth, true) << "  "
      << padded("Zone axis", axisWidth, true) << "  " << padded("Rows", 6) << padded("Δd1", 10)
      << padded("Δd2", 10) << padded("Δd3", 10) << padded("Δ<R1,R2>", 10) << padded("Δ<R2,R3>", 10)
      << padded("Δ<R1,R3>", 10) << padded("Score", 9) << '\n';
  for (const SolutionFamily& f : grouped.families) {
    out << padded(std::to_string(f.rank), 5) << "  "
        << padded(planeText(f.g1) + " + " + planeText(f.g2) + " = " + planeText(f.g3), planesWidth,
                  true)
        << "  " << padded(ZoneAxisText(f), axisWidth, true) << "  "
        << padded(std::to_string(f.members.size()), 6);
    for (double d : f.deviation.d)
      out << padded(FormatFixed(d, 4), 10);
    for (double a : f.deviation.angle)
      out << padded(FormatFixed(a, 2), 10);
    out << padded(FormatFixed(f.score, 4), 9) << '\n';
  }
  out << "(deviations: computed minus measured, nm and degrees)\n";
}

} // namespace spot::cli
