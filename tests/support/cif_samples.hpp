// CIF texts of well-known structures, written by hand for the tests (cells and positions from
// the usual structure reports, in Angstrom as CIF files have them).
#pragma once

namespace spot::testing {

// Silicon, diamond type, origin choice 2: Si on 8a at (1/8, 1/8, 1/8).
inline constexpr const char* kSiliconCif = R"(data_silicon
_chemical_formula_sum 'Si'
_cell_length_a 5.4307(2)
_cell_length_b 5.4307(2)
_cell_length_c 5.4307(2)
_cell_angle_alpha 90
_cell_angle_beta 90
_cell_angle_gamma 90
_space_group_name_H-M_alt 'F d -3 m'
_space_group_IT_coordinate_system_code 2
_space_group_IT_number 227
loop_
_atom_site_label
_atom_site_type_symbol
_atom_site_fract_x
_atom_site_fract_y
_atom_site_fract_z
_atom_site_occupancy
_atom_site_U_iso_or_equiv
Si1 Si 0.125 0.125 0.125 1.0 0.0050(3)
)";

// Aluminium, Fm-3m, by its number only.
inline constexpr const char* kAluminiumCif = R"(data_aluminium
_cell_length_a 4.0495
_cell_length_b 4.0495
_cell_length_c 4.0495
_cell_angle_alpha 90
_cell_angle_beta 90
_cell_angle_gamma 90
_symmetry_Int_Tables_number 225
loop_
_atom_site_label
_atom_site_fract_x
_atom_site_fract_y
_atom_site_fract_z
Al1 0 0 0
)";

// Rock salt, Fm-3m by its Hall symbol.
inline constexpr const char* kRockSaltCif = R"(data_NaCl
_chemical_formula_sum 'Cl Na'
_cell_length_a 5.6402
_cell_length_b 5.6402
_cell_length_c 5.6402
_cell_angle_alpha 90
_cell_angle_beta 90
_cell_angle_gamma 90
_space_group_name_Hall '-F 4 2 3'
loop_
_atom_site_label
_atom_site_type_symbol
_atom_site_fract_x
_atom_site_fract_y
_atom_site_fract_z
_atom_site_B_iso_or_equiv
Na1 Na+ 0 0 0 1.2
Cl1 Cl- 0.5 0.5 0.5 1.0
)";

// Rutile TiO2, P4_2/mnm, by its sixteen operations.
inline constexpr const char* kRutileCif = R"(data_rutile
_chemical_formula_sum 'O2 Ti'
_cell_length_a 4.5937
_cell_length_b 4.5937
_cell_length_c 2.9587
_cell_angle_alpha 90
_cell_angle_beta 90
_cell_angle_gamma 90
_symmetry_space_group_name_H-M 'P 42/m n m'
loop_
_symmetry_equiv_pos_as_xyz
x,y,z
-x,-y,z
-y+1/2,x+1/2,z+1/2
y+1/2,-x+1/2,z+1/2
-x+1/2,y+1/2,-z+1/2
x+1/2,-y+1/2,-z+1/2
y,x,-z
-y,-x,-z
-x,-y,-z
x,y,-z
y+1/2,-x+1/2,-z+1/2
-y+1/2,x+1/2,-z+1/2
x+1/2,-y+1/2,z+1/2
-x+1/2,y+1/2,z+1/2
-y,-x,z
y,x,z
loop_
_atom_site_label
_atom_site_type_symbol
_atom_site_fract_x
_atom_site_fract_y
_atom_site_fract_z
_atom_site_U_iso_or_equiv
Ti1 Ti4+ 0 0 0 0.0060
O1 O2- 0.3048 0.3048 0 0.0080
)";

// Magnesium, hcp, P6_3/mmc; Mg on 2c.
inline constexpr const char* kMagnesiumCif = R"(data_magnesium
_cell_length_a 3.2094
_cell_length_b 3.2094
_cell_length_c 5.2108
_cell_angle_alpha 90
_cell_angle_beta 90
_cell_angle_gamma 120
_symmetry_space_group_name_H-M 'P 63/m m c'
loop_
_atom_site_label
_atom_site_fract_x
_atom_site_fract_y
_atom_site_fract_z
Mg1 0.33333 0.66667 0.25
)";

// Corundum Al2O3, R-3c on hexagonal axes (the angles choose them).
inline constexpr const char* kCorundumCif = R"(data_corundum
_chemical_formula_sum 'Al2 O3'
_cell_length_a 4.7589
_cell_length_b 4.7589
_cell_length_c 12.991
_cell_angle_alpha 90
_cell_angle_beta 90
_cell_angle_gamma 120
_symmetry_space_group_name_H-M 'R -3 c'
loop_
_atom_site_label
_atom_site_type_symbol
_atom_site_fract_x
_atom_site_fract_y
_atom_site_fract_z
Al1 Al 0 0 0.35216
O1 O 0.30624 0 0.25
)";

// Baddeleyite ZrO2, monoclinic P2_1/c.
inline constexpr const char* kBaddeleyiteCif = R"(data_baddeleyite
_chemical_formula_sum 'O2 Zr'
_cell_length_a 5.1505
_cell_length_b 5.2116
_cell_length_c 5.3173
_cell_angle_alpha 90
_cell_angle_beta 99.23
_cell_angle_gamma 90
_symmetry_space_group_name_H-M 'P 1 21/c 1'
loop_
_atom_site_label
_atom_site_type_symbol
_atom_site_fract_x
_atom_site_fract_y
_atom_site_fract_z
Zr1 Zr 0.2754 0.0395 0.2083
O1 O 0.0700 0.3317 0.3447
O2 O 0.4496 0.7569 0.4792
)";

} // namespace spot::testing
