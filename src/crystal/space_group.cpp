// Space groups through gemmi's tables and operations.
#include "crystal/space_group.hpp"

#include <algorithm>
#include <cctype>  // isdigit, isspace
#include <cmath>   // floor
#include <cstdlib> // abs
#include <stdexcept>

#include <gemmi/symmetry.hpp>

namespace spot {

struct SpaceGroup::Operations {
  gemmi::GroupOps ops;
  // The rotations that leave some (hkl) fixed are the only ones that can forbid it; kept apart
  // so that the absence test of a large group looks at few operations.
  std::vector<gemmi::Op> nonIdentity;
};

namespace {

using Matrix = std::array<std::array<int, 3>, 3>;

// The point-group part acting on Miller indices as columns: (h k l) R as a row vector, so M = Rᵀ.
Matrix onMillerIndices(const gemmi::Op::Rot& rot) {
  Matrix m{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      m[i][j] = rot[j][i] / gemmi::Op::DEN;
  return m;
}

SpaceGroupPointer makeGroup(gemmi::GroupOps ops, std::string symbol, int number) {
  auto shared = std::make_shared<SpaceGroup::Operations>();
  for (std::size_t i = 1; i < ops.sym_ops.size(); ++i)
    shared->nonIdentity.push_back(ops.sym_ops[i]);
  shared->ops = std::move(ops);
  return std::make_shared<const SpaceGroup>(std::move(shared), std::move(symbol), number);
}

SpaceGroupPointer fromTable(const gemmi::SpaceGroup& sg) {
  return makeGroup(sg.operations(), sg.xhm(), sg.number);
}

// ICSD-style settings written after a blank ("F d -3 m Z", "R -3 c H") become gemmi's ":2", ":H".
std::string normalisedName(std::string name) {
  name.erase(std::remove(name.begin(), name.end(), '_'), name.end());
  while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back())))
    name.pop_back();
  if (name.find(':') == std::string::npos && name.size() > 2 &&
      std::isspace(static_cast<unsigned char>(name[name.size() - 2]))) {
    const char last = name.back();
    const char* setting = last == 'Z'   ? "2"
                          : last == 'S' ? "1"
                          : last == 'H' ? "H"
                          : last == 'R' ? "R"
                                        : nullptr;
    if (setting) name = name.substr(0, name.size() - 2) + ":" + setting;
  }
  return name;
}

// Integer entries, determinant ±1 and a power of at most 6 that is the identity: anything else
// would make the group infinite (and gemmi's products overflow on the way).
bool isCrystallographicRotation(const gemmi::Op::Rot& rot) {
  using Big = std::array<std::array<long long, 3>, 3>;
  Big r{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      if (rot[i][j] % gemmi::Op::DEN != 0 || std::abs(rot[i][j]) > 2 * gemmi::Op::DEN) return false;
      r[i][j] = rot[i][j] / gemmi::Op::DEN;
    }
  Big power = r;
  for (int n = 1; n <= 6; ++n) {
    bool identity = true;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        identity = identity && power[i][j] == (i == j ? 1 : 0);
    if (identity) return true;
    Big next{};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
          next[i][j] += power[i][k] * r[k][j];
    power = next;
  }
  return false;
}

} // namespace

SpaceGroup::SpaceGroup(std::shared_ptr<const Operations> ops, std::string symbol, int number)
    : ops_(std::move(ops)), symbol_(std::move(symbol)), number_(number) {
  for (const gemmi::Op& op : ops_->ops.sym_ops) {
    laue_.push_back(onMillerIndices(op.rot));
    laue_.push_back(onMillerIndices(op.negated_rot()));
  }
  std::sort(laue_.begin(), laue_.end());
  laue_.erase(std::unique(laue_.begin(), laue_.end()), laue_.end());
}

bool SpaceGroup::allows(const MillerIndex& g) const {
  const gemmi::GroupOps& ops = ops_->ops;
  const gemmi::Op::Miller hkl = {{g.h, g.k, g.l}};
  for (auto c = ops.cen_ops.begin() + 1; c != ops.cen_ops.end(); ++c)
    if (gemmi::GroupOps::has_phase_shift(*c, hkl)) return false;
  const gemmi::Op::Miller denh = {
      {gemmi::Op::DEN * g.h, gemmi::Op::DEN * g.k, gemmi::Op::DEN * g.l}};
  for (const gemmi::Op& op : ops_->nonIdentity)
    if (op.apply_to_hkl_without_division(hkl) == denh)
      for (const gemmi::Op::Tran& c : ops.cen_ops)
        if (gemmi::GroupOps::has_phase_shift(
                {{op.tran[0] + c[0], op.tran[1] + c[1], op.tran[2] + c[2]}}, hkl))
          return false;
  return true;
}

int SpaceGroup::order() const { return ops_->ops.order(); }

LatticeType SpaceGroup::latticeType() const {
  switch (ops_->ops.find_centering()) {
  case 'C': return LatticeType::SideCenter;
  case 'I': return LatticeType::BodyCenter;
  case 'F': return LatticeType::FaceCenter;
  case 'R':
  case 'H': return LatticeType::Rhombohedral;
  default: return LatticeType::Primitive;
  }
}

bool SpaceGroup::sameOperations(const SpaceGroup& other) const {
  return ops_->ops.is_same_as(other.ops_->ops);
}

std::vector<std::array<double, 3>> SpaceGroup::images(const std::array<double, 3>& xyz) const {
  std::vector<std::array<double, 3>> result;
  for (const gemmi::Op& op : ops_->ops.sym_ops)
    for (const gemmi::Op::Tran& c : ops_->ops.cen_ops) {
      std::array<double, 3> p{};
      for (int i = 0; i < 3; ++i) {
        double v = static_cast<double>(op.tran[i] + c[i]) / gemmi::Op::DEN;
        for (int j = 0; j < 3; ++j)
          v += static_cast<double>(op.rot[i][j]) / gemmi::Op::DEN * xyz[j];
        p[i] = v - std::floor(v);
        if (p[i] >= 1.0) p[i] = 0.0; // -1e-17 floors to 1 - 1e-17 + ... rounding to 1
      }
      result.push_back(p);
    }
  return result;
}

std::vector<std::string> SpaceGroup::triplets() const {
  std::vector<std::string> result;
  for (const gemmi::Op& op : ops_->ops.all_ops_sorted())
    result.push_back(op.triplet());
  return result;
}

SpaceGroupLookup SpaceGroupFromOperations(const std::vector<std::string>& triplets) {
  SpaceGroupLookup lookup;
  try {
    std::vector<gemmi::Op> ops;
    for (const std::string& t : triplets) {
      // Long digit runs would overflow gemmi's integer arithmetic; no real operation has them.
      int digits = 0;
      for (const char c : t) {
        digits = std::isdigit(static_cast<unsigned char>(c)) ? digits + 1 : 0;
        if (digits > 3) throw std::runtime_error("a number too long in '" + t + "'");
      }
      gemmi::Op op = gemmi::parse_triplet(t);
      if (!isCrystallographicRotation(op.rot))
        throw std::runtime_error("'" + t + "' is not a crystallographic operation");
      ops.push_back(op.wrap());
    }
    if (ops.empty()) throw std::runtime_error("no symmetry operations");
    gemmi::GroupOps group = gemmi::split_centering_vectors(ops);
    // The pure translations, the zero one first as the absence test expects.
    group.cen_ops.push_back({0, 0, 0});
    std::sort(group.cen_ops.begin(), group.cen_ops.end());
    group.cen_ops.erase(std::unique(group.cen_ops.begin(), group.cen_ops.end()),
                        group.cen_ops.end());
    // A list that is not closed is completed, as a generator list would be; one that cannot
    // close into a crystallographic group is refused.
    group.add_missing_elements();
    if (group.sym_ops.size() > 48 || group.cen_ops.size() > 4)
      throw std::runtime_error("the operations do not form a space group");
    // Completion goes by the rotations alone: translations that disagree (a two-fold axis with
    // a quarter turn's shift) leave a list that is no group, and reading its operations back
    // would give another one.
    const std::vector<gemmi::Op> all = group.all_ops_sorted();
    for (const gemmi::Op& x : all)
      for (const gemmi::Op& y : all)
        if (!std::binary_search(all.begin(), all.end(), x * y))
          throw std::runtime_error("the operations do not form a space group (" + x.triplet() +
                                   " times " + y.triplet() + " is none of them)");
    const gemmi::SpaceGroup* sg = gemmi::find_spacegroup_by_ops(group);
    lookup.group = makeGroup(std::move(group), sg ? sg->xhm() : "", sg ? sg->number : 0);
  } catch (const std::exception& e) {
    lookup.error = e.what();
  }
  return lookup;
}

SpaceGroupLookup SpaceGroupFromHall(const std::string& hall) {
  // Looked up in the table rather than parsed: gemmi's Hall parser reads past its arrays on some
  // malformed symbols, and every setting a file names by Hall symbol is tabulated.
  const auto normal = [](const std::string& text) {
    std::string out;
    for (const char c : text) {
      if (std::isspace(static_cast<unsigned char>(c))) {
        if (!out.empty() && out.back() != ' ') out += ' ';
      } else {
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      }
    }
    while (!out.empty() && out.back() == ' ')
      out.pop_back();
    return out;
  };
  const std::string wanted = normal(hall);
  SpaceGroupLookup lookup;
  for (const gemmi::SpaceGroup& sg : gemmi::spacegroup_tables::main)
    if (normal(sg.hall) == wanted) {
      lookup.group = fromTable(sg);
      return lookup;
    }
  lookup.error = "not a Hall symbol of a tabulated setting";
  return lookup;
}

SpaceGroupLookup SpaceGroupFromName(const std::string& name, double alpha, double gamma) {
  SpaceGroupLookup lookup;
  const std::string normal = normalisedName(name);
  const gemmi::SpaceGroup* sg = gemmi::find_spacegroup_by_name(normal, alpha, gamma);
  if (!sg) {
    lookup.error = "unknown space group";
    return lookup;
  }
  // Without a setting gemmi takes origin choice 1; our default is origin choice 2, the
  // centrosymmetric origin that structure reports use.
  if (sg->ext == '1' && normal.find(':') == std::string::npos)
    if (const gemmi::SpaceGroup* second = gemmi::find_spacegroup_by_name(normal + ":2"))
      sg = second;
  lookup.group = fromTable(*sg);
  return lookup;
}

SpaceGroupLookup SpaceGroupFromNumber(int number) {
  SpaceGroupLookup lookup;
  if (number < 1 || number > 230) {
    lookup.error = "not a space-group number (1 to 230)";
    return lookup;
  }
  lookup.group = fromTable(gemmi::get_spacegroup_reference_setting(number));
  return lookup;
}

SpaceGroupPointer TriclinicP1() { return fromTable(gemmi::get_spacegroup_p1()); }

} // namespace spot
