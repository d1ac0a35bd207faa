// The built-in database text against its readable table, the parser, and reading a record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/phase_database.hpp"

namespace spot {
namespace {

// UTF-8 continuation bytes are 10xxxxxx; every other byte starts a code point.
std::size_t codePoints(std::string_view text) {
  std::size_t count = 0;
  for (unsigned char byte : text)
    count += (byte & 0xC0) != 0x80;
  return count;
}

TEST(PhaseDatabase, TextTableAndParserAgree) {
  const std::string_view text = kPhaseDatabaseText;
  std::string fromTable; // the table's rows as database lines joined by CR LF
  std::size_t extraBytes = 0;
  for (const PhaseTableRow& row : kPhaseTable) {
    if (!fromTable.empty()) fromTable += "\r\n";
    for (std::string_view field : {row.name, row.latticeType, row.cOverA, row.a, row.b, row.c,
                                   kPhaseTableAngle, kPhaseTableAngle, kPhaseTableAngle})
      (fromTable += field) += ';';
    extraBytes += row.name.size() - codePoints(row.name);
  }
  EXPECT_EQ(text, fromTable);
  EXPECT_EQ(text.substr(0, text.find("\r\n")),
            "AgCl;FaceCenter;1.00000;0.55800;0.55800;0.55800;90.00000;90.00000;90.00000;");
  // Sizes stated for the database: 8,489 characters. "·", "α", "β", "γ" take two bytes each in
  // UTF-8: 15 names with "·" and 7 Greek letters, counted by hand in the list of names.
  EXPECT_EQ(codePoints(text), 8489u);
  EXPECT_EQ(extraBytes, 22u);
  EXPECT_EQ(text.size(), 8489u + 22u);
  // Names whose look hides the exact bytes: digit zero, U+00B7, ASCII apostrophe.
  EXPECT_EQ(kPhaseTable[101].name, "Y203");
  EXPECT_EQ(kPhaseTable[67].name, "MgO\u00B7Cr2O3");
  EXPECT_EQ(kPhaseTable[84].name, "Ni3Al(\u03B3')");

  const ParsedDatabase parsed = ParsePhaseDatabase(text);
  // 108 lines × 9 fields, plus the empty piece after the last ";".
  ASSERT_EQ(parsed.pieces.size(), 973u);
  EXPECT_EQ(parsed.pieces.back(), "");
  ASSERT_EQ(parsed.records.size(), 108u);
  for (std::size_t i = 0; i < kPhaseTable.size(); ++i) {
    const PhaseTableRow& row = kPhaseTable[i];
    const PhaseRecord& record = parsed.records[i];
    EXPECT_EQ(record.name(), row.name) << i + 1;
    EXPECT_EQ(record.field(6), row.c) << i + 1;
    EXPECT_EQ(record.field(9), kPhaseTableAngle) << i + 1;
    // Every type is one of the five names, so the substring rule lands on exactly that one.
    EXPECT_EQ(
        kLatticeDatabaseNames[static_cast<std::size_t>(SelectorIndexOf(record.latticeType()))],
        row.latticeType)
        << i + 1;
  }
  EXPECT_EQ(BuiltInPhases().size(), 108u);

  // The first record of a name; names compare exactly.
  EXPECT_EQ(FindPhaseRecord("La2S3"), 57);
  EXPECT_EQ(FindPhaseRecord("MgO\u00B7Cr2O3"), 68);
  EXPECT_EQ(FindPhaseRecord("Y203"), 102);
  EXPECT_EQ(FindPhaseRecord("Y2O3"), std::nullopt);
  EXPECT_EQ(FindPhaseRecord("Pb"), std::nullopt); // the database writes "PB"
}

TEST(PhaseDatabase, ParsesHandMadeTexts) {
  // Two records; a lone LF is not a line break and stays in its field.
  ParsedDatabase two = ParsePhaseDatabase("A;Primitive;1;2;3;4;5;6;7;\r\nB\nC;x;;;;;;;z;");
  ASSERT_EQ(two.records.size(), 2u);
  EXPECT_EQ(two.records[0].field(9), "7");
  EXPECT_EQ(two.records[1].name(), "B\nC");
  EXPECT_EQ(two.records[1].field(9), "z");
  // 20 pieces: (20 - 1) / 9 = 2.1 rounds to 2 records, the stray field is dropped.
  EXPECT_EQ(ParsePhaseDatabase("A;P;1;2;3;4;5;6;7;B;P;1;2;3;4;5;6;7;Z;").records.size(), 2u);
  // 24 pieces: 23 / 9 = 2.6 rounds to 3 records, the third short of fields; the "4" after the
  // last ";" is no field.
  const ParsedDatabase three =
      ParsePhaseDatabase("A;P;1;2;3;4;5;6;7;B;P;1;2;3;4;5;6;7;Z;P;1;2;3;4");
  ASSERT_EQ(three.records.size(), 3u);
  EXPECT_EQ(three.records[2].field(5), "3");
  EXPECT_EQ(three.records[2].field(6), "");
  EXPECT_TRUE(ParsePhaseDatabase("no separators").records.empty());
  // A CR at the very end has no LF after it: it stays, in the piece after the last ";".
  const ParsedDatabase endsInCr = ParsePhaseDatabase("A;P;1;2;3;4;5;6;7;\r");
  ASSERT_EQ(endsInCr.records.size(), 1u);
  EXPECT_EQ(endsInCr.pieces.back(), "\r");
  EXPECT_EQ(endsInCr.records[0].field(9), "7");
}

TEST(PhaseRecord, CellAndSelectorPosition) {
  // Record 89, SnO2, the one non-cubic phase: a = b = 0.47550, c = 0.31990, c/a 0.67277.
  const LatticeParameters tin = BuiltInPhases()[88].cell();
  EXPECT_EQ(std::vector({tin.a, tin.b, tin.c, tin.alpha, tin.beta, tin.gamma, tin.cOverA}),
            std::vector({0.4755, 0.4755, 0.3199, 90.0, 90.0, 90.0, 0.67277}));

  // Fields are read by their numeric prefix; the type by substrings, the later name winning.
  PhaseRecord odd;
  odd.fields = {"X", "", "abc", " 1 2", "0.5nm", "", "80", "9e1", "-"};
  const LatticeParameters cell = odd.cell();
  EXPECT_EQ(std::vector({cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma, cell.cOverA}),
            std::vector({12.0, 0.5, 0.0, 80.0, 90.0, 0.0, 0.0}));
  for (const auto& [name, type] : {std::pair{"BodyCenter FaceCenter", LatticeType::FaceCenter},
                                   {"FaceCenterRhombohedral", LatticeType::Rhombohedral},
                                   {"facecenter", LatticeType::Primitive},
                                   {"", LatticeType::Primitive}}) {
    odd.fields[1] = name;
    EXPECT_EQ(odd.latticeType(), type) << name;
  }
}

} // namespace
} // namespace spot
