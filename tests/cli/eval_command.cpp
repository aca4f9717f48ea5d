// wendrix-cli eval end to end: values, the compiler's messages and usage errors.
#include <gtest/gtest.h>

#include "tests/cli/cli_run.h"

namespace {

TRun Eval(const QStringList& arguments) { return RunWendrixCli("eval", arguments, 60000); }

TEST(EvalCommand, PrintsValuesWithTwentyOneDigits) {
  TRun run = Eval({"2 pi"});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "6.28318530717958647703\n");
  run = Eval({"--vars", "tpq", "cos(2t)(p+sen(3t))", "t=0", "p=1"});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "1\n");
  run = Eval({"--vars", "TPQ", "t/p - q", "T=1", "q=-.5"});  // p unnamed: 1/0 = 1e300
  EXPECT_EQ(run.Out, "1.00000000000000000001e+300\n");
  run = Eval({"--vars", "", "p+z", "p=1.25", "z=+2"});  // an empty list is the default list
  EXPECT_EQ(run.Out, "3.25\n");
}

TEST(EvalCommand, CompilerMessagesExitWithOne) {
  TRun run = Eval({"sin t"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err, "Some function or variable was miswritten.\n");
  EXPECT_EQ(run.Out, "");
  run = Eval({"p"});  // a formula without --vars names no variable, as a limit field
  EXPECT_EQ(run.Status, 1);
  run = Eval({"--vars", "tpa", "t", "t=1"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err, "The allowed variables must be in the range 'p' to 'z'\n");
}

TEST(EvalCommand, UsageErrorsExitWithTwo) {
  for (const QStringList& arguments :
       {QStringList{}, QStringList{"--vars"}, QStringList{"--vars", "t"}, QStringList{"--vars", "t", "t", "x=1"},
        QStringList{"--vars", "t", "t", "t=1e5"}, QStringList{"--vars", "t", "t", "t=1,5"},
        QStringList{"--vars", "t", "t", "t="}, QStringList{"--vars", "t", "t", "tt=1"}, QStringList{"2", "t=1"}}) {
    const TRun run = Eval(arguments);
    EXPECT_EQ(run.Status, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(run.Err.contains("usage:")) << arguments.join(' ').toStdString();
  }
}

}  // namespace
