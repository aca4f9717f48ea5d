// Rows of the hostile-input table through the built wendrix-cli draw: the exit status
// and the message are those the drawing path gives (see tests/app/hostile_table.cpp).
#include <gtest/gtest.h>

#include <QProcess>

#include "tests/app/hostile_rows.h"

namespace {

std::vector<Hostile::TRow> CliRows() {
  std::vector<Hostile::TRow> rows;
  for (Hostile::TRow& row : Hostile::Rows())
    if (row.ThroughCli) rows.push_back(std::move(row));
  return rows;
}

class HostileCli : public ::testing::TestWithParam<Hostile::TRow> {};

}  // namespace

TEST_P(HostileCli, ExitsWithTheStatusAndMessageOfItsOutcome) {
  const Hostile::TRow& row = GetParam();
  const Hostile::TInput& in = row.Input;
  QStringList arguments{"draw"};
  const std::pair<const char*, const std::string*> fields[] = {
      {"--x", &in.X},       {"--y", &in.Y},       {"--z", &in.Z},       {"--tmin", &in.TMin}, {"--tmax", &in.TMax},
      {"--pmin", &in.PMin}, {"--pmax", &in.PMax}, {"--qmin", &in.QMin}, {"--qmax", &in.QMax}};
  for (const auto& [option, text] : fields) arguments << option << QString::fromStdString(*text);
  arguments << "--seed" << "3";

  QProcess process;
  process.start(WENDRIX_CLI, arguments);
  ASSERT_TRUE(process.waitForFinished(300000));
  ASSERT_EQ(process.exitStatus(), QProcess::NormalExit) << "wendrix-cli crashed";
  const std::string out = process.readAllStandardOutput().toStdString();
  const std::string err = process.readAllStandardError().toStdString();
  switch (row.Expect) {
    case Hostile::TExpect::Drawn:
      EXPECT_EQ(process.exitCode(), 0) << err;
      EXPECT_EQ(out.rfind("Drawn: ", 0), 0u) << out;
      EXPECT_EQ(err, "");
      break;
    case Hostile::TExpect::Refused:
      EXPECT_EQ(process.exitCode(), 1);
      EXPECT_EQ(err, row.Message + "\n");
      break;
    case Hostile::TExpect::Failed:
      EXPECT_EQ(process.exitCode(), 3);
      EXPECT_EQ(err, row.Message + "\n");
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileCli, ::testing::ValuesIn(CliRows()),
                         [](const ::testing::TestParamInfo<Hostile::TRow>& info) { return info.param.Name; });
