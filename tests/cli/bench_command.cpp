// wendrix-cli bench end to end: the three tables with a figure in every cell, the same
// figures (curve points, bitangent records) as wendrix-cli draw gives for the same
// curves, and usage errors.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "tests/cli/cli_run.h"

namespace {

// The numbers of the line of `out` that starts with `label`, or none.
QList<double> NumbersOfRow(const QString& out, const QString& label) {
  for (const QString& line : out.split('\n')) {
    if (!line.startsWith(label)) continue;
    QList<double> numbers;
    const QString rest = line.mid(label.size());
    auto matches = QRegularExpression(R"([-+]?\d+(\.\d+)?)").globalMatch(rest);
    while (matches.hasNext()) numbers.append(matches.next().captured(0).toDouble());
    return numbers;
  }
  return {};
}

TEST(BenchCommand, PrintsEveryTableWithTheDrawingsOfTheDrawCommand) {
  const TRun bench = RunWendrixCli("bench", {"--runs", "1"}, 120000);
  ASSERT_EQ(bench.Status, 0) << bench.Err.toStdString();
  EXPECT_TRUE(bench.Err.isEmpty()) << bench.Err.toStdString();

  // Formulas: native (ratio), evaluator (ratio), hand-written, muparser (ratio).
  for (const char* formula : {"cos(2t)(p+sen(3t))", "sen(2t)(p+sen(3t))", "cos(3t+q)"}) {
    const QList<double> row = NumbersOfRow(bench.Out, formula);
    ASSERT_EQ(row.size(), 7) << formula;
    for (const double v : row) EXPECT_GT(v, 0) << formula;
    EXPECT_NEAR(row[1], row[0] / row[4], 0.02) << formula;  // the ratio is to the hand-written code
  }
  // Steps: throughput, latency.
  const QList<double> fsin = NumbersOfRow(bench.Out, "x87 fsin");
  ASSERT_EQ(fsin.size(), 2);
  for (const double v : fsin) EXPECT_GT(v, 0);

  // The default curve with p = 1 and the trefoil, as wendrix-cli draw draws them.
  const QList<double> defaultRow = NumbersOfRow(bench.Out, "default curve, p = 1");
  const QList<double> trefoilRow = NumbersOfRow(bench.Out, "trefoil knot");
  // points, pairs, read, five stages, Draw It, limit, evaluator, evaluations, ns/eval, share
  ASSERT_EQ(defaultRow.size(), 14);
  ASSERT_EQ(trefoilRow.size(), 14);
  const TRun drawn = RunWendrixCli("draw", {"--seed", "1", "-p", "1"}, 60000);
  const TRun trefoil =
      RunWendrixCli("draw", {"--seed", "1", "-x", "sin(t)+2sin(2t)", "-y", "cos(t)-2cos(2t)", "-z", "-sin(3t)"}, 60000);
  EXPECT_TRUE(drawn.Out.startsWith(QString("Drawn: %1 curve points, %2 bitangent records")
                                       .arg(defaultRow[0])
                                       .arg(defaultRow[1])))
      << drawn.Out.toStdString();
  EXPECT_TRUE(trefoil.Out.startsWith(
      QString("Drawn: %1 curve points, %2 bitangent records").arg(trefoilRow[0]).arg(trefoilRow[1])))
      << trefoil.Out.toStdString();
  // One run: the stages add up to Draw It less the read; evaluations happened, at least
  // the samples; the limit is evaluations times ns per evaluation (printed to 0.1 ns);
  // the share is a percentage.
  const double stages = defaultRow[3] + defaultRow[4] + defaultRow[5] + defaultRow[6] + defaultRow[7];
  EXPECT_LE(stages + defaultRow[2], defaultRow[8] + 0.05);
  EXPECT_GE(defaultRow[11], 4101);
  EXPECT_NEAR(defaultRow[9], defaultRow[11] * defaultRow[12] * 1e-6, defaultRow[11] * 0.05e-6 + 0.005);
  EXPECT_GT(defaultRow[13], 0);
  EXPECT_LE(defaultRow[13], 100);

  // Drag: view change, RenderHull, PaintMaxwell, step; the step holds the other two.
  const QStringList lines = bench.Out.split('\n');
  const qsizetype header = lines.indexOf(QRegularExpression(R"(\s*view change\s+RenderHull\s+PaintMaxwell\s+step)"));
  ASSERT_GE(header, 0);
  ASSERT_LT(header + 1, lines.size());
  const QList<double> drag = NumbersOfRow(lines[header + 1], "");
  ASSERT_EQ(drag.size(), 4);
  EXPECT_GT(drag[1], 0);
  EXPECT_GT(drag[3], 0);
}

TEST(BenchCommand, RefusesWhatItDoesNotKnow) {
  for (const QStringList& arguments :
       {QStringList{"--runs", "0"}, QStringList{"--runs", "many"}, QStringList{"--runs"}, QStringList{"--fast"}}) {
    const TRun run = RunWendrixCli("bench", arguments, 10000);
    EXPECT_EQ(run.Status, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(run.Err.contains("usage: wendrix-cli bench")) << arguments.join(' ').toStdString();
    EXPECT_TRUE(run.Out.isEmpty());
  }
}

}  // namespace
