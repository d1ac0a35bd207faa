// Crystal data: a kinematic zone of a 100-atom cell to g_max 20 1/nm against the literal sum over
// the whole index cube, and importing 1,000 CIF files of 50 atoms against gemmi's parsing alone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <gemmi/c4322.hpp>
#include <gemmi/cif.hpp>

#include "core/metric.hpp"
#include "crystal/cif_import.hpp"
#include "simulation/zone_pattern.hpp"

namespace spot {
namespace {

const char* kElements[] = {"O", "Si", "Fe", "Al", "Mg", "Ti", "C", "N"};

SimulationRequest hundredAtoms() {
  SimulationRequest r;
  r.cell = {1.2, 1.3, 1.4, 90, 97, 90};
  r.rule = LatticeType::Primitive;
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0, 1);
  for (int i = 0; i < 100; ++i) {
    AtomSite atom;
    atom.element = kElements[i % 8];
    atom.xyz = {unit(random), unit(random), unit(random)};
    atom.bIsoNm2 = 0.005;
    r.unitCellAtoms.push_back(atom);
  }
  r.zone = {0, 0, 1};
  r.gMax = 20;
  return r;
}

void BM_SimulateZone(benchmark::State& state) {
  const SimulationRequest r = hundredAtoms();
  for (auto _ : state)
    benchmark::DoNotOptimize(SimulateZone(r).spots.size());
}

// The literal way: every (h k l) of the cube that reaches g_max, the zone test, then for each
// reflection every atom with its scattering factor evaluated afresh.
void BM_SimulateZoneLiteral(benchmark::State& state) {
  const SimulationRequest r = hundredAtoms();
  const MetricTensor gStar = ReciprocalMetricOf(r.cell).gStar;
  const int n = static_cast<int>(std::ceil(r.gMax * 1.4));
  for (auto _ : state) {
    double total = 0;
    for (int h = -n; h <= n; ++h)
      for (int k = -n; k <= n; ++k)
        for (int l = -n; l <= n; ++l) {
          if (h * r.zone.u + k * r.zone.v + l * r.zone.w != 0 || (h == 0 && k == 0 && l == 0))
            continue;
          const MillerIndex g{h, k, l};
          const double q = PlaneProduct(g, g, gStar);
          if (q > r.gMax * r.gMax) continue;
          double re = 0, im = 0;
          for (const AtomSite& a : r.unitCellAtoms) {
            const double f = ElectronScatteringFactor(a.element, 1 / std::sqrt(q)).value_or(0) *
                             std::exp(-a.bIsoNm2 * q / 4);
            const double phase = 2 * M_PI * (h * a.xyz[0] + k * a.xyz[1] + l * a.xyz[2]);
            re += f * std::cos(phase);
            im += f * std::sin(phase);
          }
          total += re * re + im * im;
        }
    benchmark::DoNotOptimize(total);
  }
}

std::vector<std::string> thousandCifs() {
  std::vector<std::string> files;
  std::mt19937 random(11);
  std::uniform_real_distribution<double> unit(0, 1);
  for (int f = 0; f < 1000; ++f) {
    std::string text = "data_generated" + std::to_string(f) +
                       "\n_chemical_formula_sum 'C12 O8 Si30'\n"
                       "_cell_length_a 10.52(3)\n_cell_length_b 11.07(2)\n"
                       "_cell_length_c 12.31(4)\n_cell_angle_alpha 90\n_cell_angle_beta 101.3(1)\n"
                       "_cell_angle_gamma 90\n_symmetry_space_group_name_H-M 'P 1 21/c 1'\n"
                       "_symmetry_Int_Tables_number 14\nloop_\n_symmetry_equiv_pos_as_xyz\n"
                       "x,y,z\n-x,y+1/2,-z+1/2\n-x,-y,-z\nx,-y+1/2,z+1/2\n"
                       "loop_\n_atom_site_label\n_atom_site_type_symbol\n_atom_site_fract_x\n"
                       "_atom_site_fract_y\n_atom_site_fract_z\n_atom_site_occupancy\n"
                       "_atom_site_U_iso_or_equiv\n";
    for (int i = 0; i < 50; ++i) {
      const char* el = kElements[i % 3];
      char line[160];
      std::snprintf(line, sizeof line, "%s%d %s %.5f(3) %.5f(3) %.5f(4) 1 0.0%d(2)\n", el, i, el,
                    unit(random), unit(random), unit(random), 10 + i % 9);
      text += line;
    }
    files.push_back(text);
  }
  return files;
}

void BM_ImportThousandCifs(benchmark::State& state) {
  const std::vector<std::string> files = thousandCifs();
  for (auto _ : state) {
    std::size_t atoms = 0;
    for (const std::string& text : files)
      atoms += ImportCifText(text, "generated.cif").phases.at(0).atoms.size();
    benchmark::DoNotOptimize(atoms);
  }
}

// The baseline: gemmi's parser alone, no phase made.
void BM_ParseThousandCifs(benchmark::State& state) {
  const std::vector<std::string> files = thousandCifs();
  for (auto _ : state) {
    std::size_t blocks = 0;
    for (const std::string& text : files)
      blocks += gemmi::cif::read_memory(text.data(), text.size(), "generated.cif").blocks.size();
    benchmark::DoNotOptimize(blocks);
  }
}

BENCHMARK(BM_SimulateZoneLiteral)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimulateZone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseThousandCifs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportThousandCifs)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace spot

BENCHMARK_MAIN();
