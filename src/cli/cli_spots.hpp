// spotindex-cli's spot commands: spots, measure, and the measuring behind --picture of index
// and batch, with each family's agreement with the picture.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_options.hpp"
#include "cli/cli_output.hpp"
#include "core/boxes.hpp"
#include "core/lattice.hpp"
#include "core/picture_agreement.hpp"
#include "core/reflection_rule.hpp"
#include "picture/pattern_fit.hpp"
#include "picture/spot_finder.hpp"
#include "solutions/families.hpp"

namespace spot::cli {

/// A picture measured from its spots: the boxes hold the scale bar as given and the fitted R1,
/// R2, R3 as if confirmed through the measure dialog, with the rest of the options' boxes.
struct PictureMeasurement {
  std::string name; ///< the file name without its folder
  int width = 0, height = 0;
  std::vector<Spot> spots;
  PatternFit fit;
  BoxTexts boxes;
};

/// Reads and measures the options' picture. On failure writes the message (naming `command` and
/// the cause) to `err`, sets `status` (2: unreadable or empty picture, centre off the picture;
/// 3: no lattice) and returns nothing.
std::optional<PictureMeasurement> MeasurePicture(const Options& o, const std::string& command,
                                                 std::ostream& err, int& status);

/// How the spots each family predicts agree with the picture's, in the families' order.
std::vector<PictureAgreement> FamilyAgreements(const std::vector<SolutionFamily>& families,
                                               const LatticeParameters& cell,
                                               const ReflectionRule& rule,
                                               const PictureMeasurement& picture);

/// `, "picture": {"predicted": p, "matched": m, "detected": n, "rms_px": r}`.
void AppendJsonAgreement(std::string& text, const PictureAgreement& agreement);

/// The families' agreements as a text table, then the families sharing the first rank, if more
/// than one.
void WriteTextAgreements(OutputBuffer& out, const std::vector<SolutionFamily>& families,
                         const std::vector<PictureAgreement>& agreements);

int RunSpots(const Options& o, OutputBuffer& out, std::ostream& err);
int RunMeasure(const Options& o, OutputBuffer& out, std::ostream& err);

} // namespace spot::cli
