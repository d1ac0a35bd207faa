// The output of spotindex-cli byte for byte: the pinned texts of a small search.
#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

#include "cli/cli_commands.hpp"
#include "cli/cli_output.hpp"

namespace spot::cli {
namespace {

std::string output(std::vector<std::string> args) {
  std::ostringstream out, err;
  EXPECT_EQ(RunCli(args, out, err), kExitOk) << err.str();
  return out.str();
}

TEST(CliOutput, SmallSearchPinnedByteForByte) {
  // A C-centred triclinic cell, one row of its range-3 search measured back with tight
  // tolerances: the row and its Friedel mate (all indices negated). The texts were written by
  // the printf-based formatting the buffer replaced; a triclinic cell makes every digit count.
  const std::vector<std::string> args = {
      "index",    "--cell",    "0.3",       "0.4",       "0.5",         "80",
      "95",       "100",       "--lattice", "C",         "--range",     "3",
      "--d",      "0.1673047", "0.1056287", "0.0725697", "--d-tol",     "0.0001",
      "--angles", "55.2352",   "20.8751",   "34.3601",   "--angle-tol", "0.01"};
  const auto with = [&](std::string format) {
    std::vector<std::string> a = args;
    a.insert(a.end(), {"--format", format});
    return a;
  };
  EXPECT_EQ(
      output(args),
      "Phase: (cell)  C-Side Centred  a=0.3 b=0.4 c=0.5 nm  α=80 β=95 γ=100 deg.  index range 3\n"
      "Measured: R1                   R2                   R3                    <R1,R2>      "
      "<R2,R3>     <R1,R3>\n"
      "         0.1673047   0.1056287   0.0725697      55.2352   20.8751    34.3601\n"
      "\n"
      "No.            R1                R2                R3                  d1          d2       "
      "   d3      <R1,R2>   <R2,R3>   <R1,R3>\n"
      "No.001    -1   -1   -2  +   -2   -2    1  ＝   -3   -3   -1  ◇   0.1673047   0.1056287   "
      "0.0725697  ◇   55.2352   20.8751   34.3601\n"
      "No.002     1    1    2  +    2    2   -1  ＝    3    3    1  ◇   0.1673047   0.1056287   "
      "0.0725697  ◇   55.2352   20.8751   34.3601\n"
      "\n"
      "2 solutions\n");
  EXPECT_EQ(output(with("tsv")), "No.001\t-1\t-1\t-2\t+\t-2\t-2\t1\t＝\t-3\t-3\t-1\t◇\t0."
                                 "1673047\t0.1056287\t0.0725697\t◇\t55.2352\t20.8751\t34.3601\n"
                                 "No.002\t1\t1\t2\t+\t2\t2\t-1\t＝\t3\t3\t1\t◇\t0.1673047\t0."
                                 "1056287\t0.0725697\t◇\t55.2352\t20.8751\t34.3601\n");
  EXPECT_EQ(
      output(with("json")),
      "{\"phase\": {\"name\": null, \"lattice\": \"C\", \"cell\": [0.3, 0.4, 0.5, 80, 95, 100]},\n"
      " \"measured\": {\"d\": [0.1673047, 0.1056287, 0.0725697], \"angles\": [55.2352, 20.8751, "
      "34.3601]},\n"
      " \"count\": 2,\n"
      " \"results\": [\n"
      "   {\"no\": 1, \"r1\": [-1, -1, -2], \"r2\": [-2, -2, 1], \"r3\": [-3, -3, -1], \"d\": "
      "[0.16730469250741611, 0.10562870679320849, 0.07256974083799857], \"angles\": "
      "[55.235193018231655, 20.875100880776902, 34.36009213745474]},\n"
      "   {\"no\": 2, \"r1\": [1, 1, 2], \"r2\": [2, 2, -1], \"r3\": [3, 3, 1], \"d\": "
      "[0.16730469250741611, 0.10562870679320849, 0.07256974083799857], \"angles\": "
      "[55.235193018231655, 20.875100880776902, 34.36009213745474]}\n"
      " ]}\n");
}

TEST(CliOutput, BufferHandsOverBlocksWhileWriting) {
  // A long output must not pile up in memory: the stream has most of it before the end.
  std::ostringstream stream;
  OutputBuffer out(stream);
  const std::string line(1000, 'x');
  for (int i = 0; i < 200; ++i)
    out << line << '\n';
  EXPECT_GE(stream.str().size(), 200u * 1001 - (1u << 16)); // at most one 64 KiB block held
  EXPECT_TRUE(out.finish());
  EXPECT_EQ(stream.str().size(), 200u * 1001);

  // A stream that fails without a cause (its write or its flush) must not be reported with a
  // cause left over from an earlier call.
  struct Refusing : std::stringbuf {
    bool refuseWrites = false;
    std::streamsize xsputn(const char* s, std::streamsize n) override {
      return refuseWrites ? 0 : std::stringbuf::xsputn(s, n);
    }
    int sync() override { return -1; }
  };
  for (const bool refuseWrites : {true, false}) {
    Refusing buffer;
    buffer.refuseWrites = refuseWrites;
    std::ostream failing(&buffer);
    OutputBuffer refused(failing);
    refused << line;
    errno = ENOSPC;
    EXPECT_FALSE(refused.finish());
    EXPECT_EQ(refused.writeError(), 0) << refuseWrites;
  }
}

} // namespace
} // namespace spot::cli
