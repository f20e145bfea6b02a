// The workflow without windows: what each step writes, which message it gives, what it refuses.

#include "frontend/core/workflow.hpp"

#include <gtest/gtest.h>

#include "tests/frontend/core/core_test_support.hpp"

namespace kova {
namespace {

using test::file_bytes;
using test::RecordingLauncher;
using test::ScopedHome;
using test::ScriptedChooser;

// The refusal's text, or an empty text when the step went through.
template <typename Step>
std::string refusal(Step step) {
  try {
    step();
  } catch (const WorkflowError& e) {
    return e.what();
  }
  return {};
}

const std::string kMessage2Tail =
    ". If entries are correct then next action: Click [Enter Output File Name] to select file name that will store "
    "result";

TEST(Workflow, WholeRunWritesBothFilesTheThreeMessagesAndStartsTheEngine) {
  ScopedHome home;
  Workflow run;
  RecordingLauncher launcher;
  ScriptedChooser dialog;
  dialog.then("/data/expr data/genes.txt").then("/out/result.txt");

  EXPECT_EQ(run.select_input(dialog),
            "Selected input file for clustering is /data/expr data/genes.txt.    Next action: Click [Enter Input "
            "Description] to enter number of genes and samples in input file /data/expr data/genes.txt");
  EXPECT_EQ(file_bytes(home.outinfo()), "/data/expr data/genes.txt\r\n");

  EXPECT_EQ(run.submit({"120", "17", "0.85"}),
            "Number of gene in input file is 120 and number of samples are 17" + kMessage2Tail);
  EXPECT_EQ(file_bytes(home.doutinfo()), "120\r\n17\r\n0.85\r\n");

  EXPECT_EQ(run.select_output(dialog),
            "Selected file for storing result is /out/result.txt.    Next action: Click [Start Clustering] to start "
            "ZOVA clustering");
  EXPECT_EQ(file_bytes(home.outinfo()), "/data/expr data/genes.txt\r\n/out/result.txt\r\n");
  EXPECT_EQ(dialog.shown, (std::vector<std::string>{"open: Select Input File for Clustering",
                                                    "save: Enter Output File for Storing Clustered Output"}));

  run.start_biclustering();
  run.start_engine(Engine::kKova2, launcher);
  // The same run description can be handed to the other engine: a repeated start closes nothing.
  run.start_biclustering();
  run.start_engine(Engine::kKova1, launcher);
  EXPECT_EQ(launcher.started, (std::vector<std::string>{"kova2", "kova1"}));
  EXPECT_EQ(file_bytes(home.outinfo()), "/data/expr data/genes.txt\r\n/out/result.txt\r\n");

  // A further run empties the run file again.
  dialog.then("/data/second.txt");
  ASSERT_TRUE(run.select_input(dialog));
  EXPECT_EQ(file_bytes(home.outinfo()), "/data/second.txt\r\n");
}

struct SubmitCase {
  const char* name;
  RunParameters boxes;
  std::string file;
  std::string numbers_in_message;
};

class SubmitWritesTheBoxesUnchanged : public testing::TestWithParam<SubmitCase> {};

TEST_P(SubmitWritesTheBoxesUnchanged, InFileAndMessage) {
  const SubmitCase& c = GetParam();
  ScopedHome home;
  Workflow run;
  test::write_bytes(home.doutinfo(), "an older and much longer file\r\n\r\n\r\n\r\n");
  EXPECT_EQ(run.submit(c.boxes), "Number of gene in input file is " + c.numbers_in_message + kMessage2Tail);
  EXPECT_EQ(file_bytes(home.doutinfo()), c.file);
  // Written again unchanged on a later submit.
  run.submit(c.boxes);
  EXPECT_EQ(file_bytes(home.doutinfo()), c.file);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, SubmitWritesTheBoxesUnchanged,
    testing::Values(
        SubmitCase{"Numbers", {"120", "17", "0.85"}, "120\r\n17\r\n0.85\r\n", "120 and number of samples are 17"},
        SubmitCase{
            "BlanksKept", {" 5 ", "\t5", "0.9  "}, " 5 \r\n\t5\r\n0.9  \r\n", " 5  and number of samples are \t5"},
        SubmitCase{"SignsAndShortForms",
                   {"+120", "017", ".85"},
                   "+120\r\n017\r\n.85\r\n",
                   "+120 and number of samples are 017"}),
    [](const testing::TestParamInfo<SubmitCase>& info) { return std::string(info.param.name); });

TEST(Workflow, EntriesTheEngineCannotUseAreRefusedByNameAndNothingIsWritten) {
  ScopedHome home;
  Workflow run;
  test::write_bytes(home.doutinfo(), "5\r\n5\r\n0.9\r\n");
  const struct {
    RunParameters boxes;
    std::string said;
  } cases[] = {
      {{"abc", "5", "0.9"},
       "The number of genes 'abc' is not a whole number. Type the number of genes as a whole "
       "number of 1 or more, such as 120."},
      {{"5", "", "0.9"},
       "The number of samples is missing. Type the number of samples as a whole number of 1 or "
       "more, such as 17."},
      {{"5", "5.5", "0.9"}, "The number of samples '5.5' is not a whole number."},
      {{"-3", "5", "0.9"}, "The number of genes -3 is less than 1."},
      {{"5", "5", "0,85"},
       "The correlation threshold '0,85' is written with a decimal comma; the decimal separator "
       "is '.': did you mean 0.85? Type the correlation threshold as a number from -1 to 1"},
      {{"5", "5", "85"}, "The correlation threshold 85 lies outside -1 to 1: did you mean 0.85?"},
      {{"5", "5", ""}, "The correlation threshold is missing."},
  };
  for (const auto& c : cases) {
    const std::string said = refusal([&] { run.submit(c.boxes); });
    EXPECT_EQ(said.rfind(c.said, 0), 0u) << said;
    EXPECT_EQ(parameters_problem(c.boxes), said);
  }
  EXPECT_EQ(file_bytes(home.doutinfo()), "5\r\n5\r\n0.9\r\n");
}

TEST(Workflow, EntriesAreComparedWithTheChosenMatrix) {
  ScopedHome home;
  Workflow run;
  // Nothing chosen yet: nothing to compare.
  EXPECT_EQ(run.compare_with_input({"7", "2", "0.9"}), std::nullopt);
  const std::string matrix = (home.path() / "genes.txt").string();
  test::write_bytes(matrix, "gene\ts1\ts2\ts3\r\ng1\t1\t2\t3\r\ng2\t4\t5\t6\r\n");
  ScriptedChooser dialog;
  dialog.then(matrix);
  ASSERT_TRUE(run.select_input(dialog));
  EXPECT_EQ(run.compare_with_input({"3", "3", "0.9"}),
            "The entries do not agree with the input file '" + matrix +
                "'. Its first line is no gene (a name followed by numbers) but looks like a header: "
                "'gene\ts1\ts2\ts3'. KOVA reads every line as a gene; remove that line from the file. The number "
                "of genes is 3, but the file holds 2 gene lines. Submit these entries all the same?");
  test::write_bytes(matrix, "g1\t1\t2\t3\r\ng2\t4\t5\t6\r\n");
  EXPECT_EQ(run.compare_with_input({" 2 ", "3", "0.9"}), std::nullopt);
  EXPECT_NE(run.compare_with_input({"2", "4", "0.9"}).value_or("").find("each gene in the file has 3 values"),
            std::string::npos);
  // Entries that are refused anyway are not compared; a matrix that is gone is not either.
  EXPECT_EQ(run.compare_with_input({"x", "4", "0.9"}), std::nullopt);
  std::filesystem::remove(matrix);
  EXPECT_EQ(run.compare_with_input({"2", "4", "0.9"}), std::nullopt);
}

TEST(Workflow, AnotherInputWhileARunIsPreparedStartsItAgain) {
  ScopedHome home;
  Workflow run;
  ScriptedChooser dialog;
  dialog.then("/d/wrong.txt").then("/d/out.txt").then("/d/right.txt").then(std::nullopt);
  ASSERT_TRUE(run.select_input(dialog));
  ASSERT_TRUE(run.select_output(dialog));
  EXPECT_EQ(run.select_input(dialog),
            "Selected input file for clustering is /d/right.txt.    Next action: Click [Enter Input Description] to "
            "enter number of genes and samples in input file /d/right.txt");
  EXPECT_EQ(file_bytes(home.outinfo()), "/d/right.txt\r\n");
  // The earlier output went with the earlier run: it must be chosen again.
  EXPECT_NE(refusal([&] { run.start_biclustering(); }).find("[Enter Output File Name] first"), std::string::npos);
  // A cancelled new choice keeps the run as it was.
  EXPECT_EQ(run.select_input(dialog), std::nullopt);
  EXPECT_EQ(file_bytes(home.outinfo()), "/d/right.txt\r\n");
  EXPECT_EQ(dialog.proposed[2], "/d/wrong.txt");
}

TEST(Workflow, PathsTheEngineWouldReadOtherwiseAreRefusedAndNothingIsWritten) {
  ScopedHome home;
  Workflow run;
  ScriptedChooser dialog;
  dialog.then("/d/genes").then("/d/in.txt").then("/d/result").then("/d/run 1.5 x/out.txt");
  EXPECT_EQ(refusal([&] { run.select_input(dialog); }).rfind("KOVA needs a '.' in the file name", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(home.outinfo()));
  ASSERT_TRUE(run.select_input(dialog));
  EXPECT_EQ(refusal([&] { run.select_output(dialog); }),
            "KOVA needs a '.' in the file name, such as result.txt: the output file 'result' has none. Choose a "
            "name with one.");
  EXPECT_NE(refusal([&] { run.select_output(dialog); }).find("only as far as '/d/run 1.5'"), std::string::npos);
  EXPECT_EQ(file_bytes(home.outinfo()), "/d/in.txt\r\n");
  // A refused input while a run is prepared keeps that run.
  dialog.then("/d/a  b.txt");
  EXPECT_NE(refusal([&] { run.select_input(dialog); }), "");
  EXPECT_EQ(file_bytes(home.outinfo()), "/d/in.txt\r\n");
}

TEST(Workflow, TheSaveDialogProposesANewFileBesideTheInputNeverTheInput) {
  ScopedHome home;
  Workflow run;
  const std::string folder = home.path().string();
  ScriptedChooser dialog;
  dialog.then(folder + "/result.txt").then(std::nullopt).then(folder + "/result.txt");
  test::write_bytes(folder + "/result.txt", "g1 1 2 3\n");
  ASSERT_TRUE(run.select_input(dialog));
  EXPECT_EQ(dialog.proposed[0], "");  // nothing chosen before
  EXPECT_EQ(run.select_output(dialog), std::nullopt);
  EXPECT_EQ(dialog.proposed[1], folder + "/result2.txt");
  test::write_bytes(folder + "/result2.txt", "an earlier result\n");
  EXPECT_EQ(run.proposed_output_path(), folder + "/result3.txt");
  // The input typed into the Save dialog all the same: refused, the input stays as it is.
  EXPECT_NE(refusal([&] { run.select_output(dialog); }).find("is the input matrix itself"), std::string::npos);
  dialog.then(folder + "/./result.txt");
  EXPECT_NE(refusal([&] { run.select_output(dialog); }).find("is the input matrix itself"), std::string::npos);
  EXPECT_EQ(file_bytes(home.outinfo()), folder + "/result.txt\r\n");
  EXPECT_EQ(file_bytes(folder + "/result.txt"), "g1 1 2 3\n");
}

TEST(Workflow, PathsAreWrittenAsTheirBytes) {
  ScopedHome home;
  Workflow run;
  const std::string folder =
      "/tmp/Gr\xc3\xb6\xc3\x9f"
      "e \xc3\xa4/" +
      std::string(250, 'x') + "/" + std::string(250, 'y');
  ScriptedChooser dialog;
  dialog.then(folder + "/\xc2\xb5 genes \xc3\xb1.txt").then(folder + "/r\xc3\xa9sum\xc3\xa9 out.txt");
  ASSERT_TRUE(run.select_input(dialog));
  ASSERT_TRUE(run.select_output(dialog));
  run.start_biclustering();
  EXPECT_EQ(file_bytes(home.outinfo()),
            folder + "/\xc2\xb5 genes \xc3\xb1.txt\r\n" + folder + "/r\xc3\xa9sum\xc3\xa9 out.txt\r\n");
}

TEST(Workflow, AnOutputChosenAgainReplacesTheFirst) {
  ScopedHome home;
  Workflow run;
  ScriptedChooser dialog;
  dialog.then("/d/in.txt").then("/d/first.txt").then("/d/second.txt");
  ASSERT_TRUE(run.select_input(dialog));
  ASSERT_TRUE(run.select_output(dialog));
  EXPECT_EQ(run.select_output(dialog),
            "Selected file for storing result is /d/second.txt.    Next action: Click [Start Clustering] to start ZOVA "
            "clustering");
  run.start_biclustering();
  EXPECT_EQ(file_bytes(home.outinfo()), "/d/in.txt\r\n/d/second.txt\r\n");
}

TEST(Workflow, ACancelledChoiceChangesNothing) {
  ScopedHome home;
  Workflow run;
  ScriptedChooser dialog;
  // No run yet: cancelling leaves no file behind and no run begun.
  dialog.then(std::nullopt);
  EXPECT_EQ(run.select_input(dialog), std::nullopt);
  EXPECT_FALSE(std::filesystem::exists(home.outinfo()));
  EXPECT_NE(refusal([&] { run.start_biclustering(); }), "");

  dialog.then("/d/in.txt").then(std::nullopt).then("/d/out.txt").then(std::nullopt);
  ASSERT_TRUE(run.select_input(dialog));
  EXPECT_EQ(run.select_output(dialog), std::nullopt);
  EXPECT_EQ(file_bytes(home.outinfo()), "/d/in.txt\r\n");
  ASSERT_TRUE(run.select_output(dialog));
  EXPECT_EQ(run.select_output(dialog), std::nullopt);
  run.start_biclustering();

  // The previous run's complete file survives a cancelled new input choice.
  dialog.then(std::nullopt);
  EXPECT_EQ(run.select_input(dialog), std::nullopt);
  EXPECT_EQ(file_bytes(home.outinfo()), "/d/in.txt\r\n/d/out.txt\r\n");
  run.start_biclustering();  // still that run, still closed
  EXPECT_TRUE(dialog.answers.empty());
}

TEST(Workflow, ClicksOutOfOrderAreRefusedWithoutTouchingTheFileOrAsking) {
  ScopedHome home;
  Workflow run;
  RecordingLauncher launcher;
  ScriptedChooser dialog;

  EXPECT_NE(refusal([&] { run.select_output(dialog); }).find("[Select Input File] first"), std::string::npos);
  EXPECT_NE(refusal([&] { run.start_biclustering(); }).find("[Select Input File] first"), std::string::npos);
  EXPECT_NE(refusal([&] { run.start_engine(Engine::kKova2, launcher); }).find("[Start Biclustering] first"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(home.outinfo()));
  EXPECT_TRUE(dialog.shown.empty());

  dialog.then("/d/in.txt");
  ASSERT_TRUE(run.select_input(dialog));
  EXPECT_NE(refusal([&] { run.start_biclustering(); }).find("[Enter Output File Name] first"), std::string::npos);
  EXPECT_EQ(file_bytes(home.outinfo()), "/d/in.txt\r\n");

  dialog.then("/d/out.txt");
  ASSERT_TRUE(run.select_output(dialog));
  run.start_biclustering();
  EXPECT_NE(refusal([&] { run.select_output(dialog); }).find("[Select Input File] first"), std::string::npos);
  EXPECT_EQ(file_bytes(home.outinfo()), "/d/in.txt\r\n/d/out.txt\r\n");
  EXPECT_EQ(dialog.shown.size(), 2u);
  EXPECT_TRUE(launcher.started.empty());
}

TEST(Workflow, AnEngineThatCannotStartIsReportedAsItsLauncherSays) {
  ScopedHome home;
  Workflow run;
  ScriptedChooser dialog;
  dialog.then("/d/in.txt").then("/d/out.txt");
  run.select_input(dialog);
  run.select_output(dialog);
  run.start_biclustering();
  RecordingLauncher launcher;
  launcher.failure = "Cannot start the engine kova1: not found";
  EXPECT_THROW(
      try { run.start_engine(Engine::kKova1, launcher); } catch (const LaunchError& e) {
        EXPECT_STREQ(e.what(), "Cannot start the engine kova1: not found");
        throw;
      },
      LaunchError);
  // The run stays complete: the other engine can still be started with it.
  launcher.failure.reset();
  run.start_engine(Engine::kKova2, launcher);
  EXPECT_EQ(launcher.started, std::vector<std::string>{"kova2"});
}

enum class Unwritable { kFoldersInTheirPlace, kFullDevice, kMissingHomeFolder, kHomeThatHoldsNoFiles };

std::string unwritable_name(const testing::TestParamInfo<Unwritable>& info) {
  const char* const names[] = {"FoldersInTheirPlace", "FullDevice", "MissingHomeFolder", "HomeThatHoldsNoFiles"};
  return names[static_cast<int>(info.param)];
}

class UnwritableRunDescriptionFiles : public testing::TestWithParam<Unwritable> {};

TEST_P(UnwritableRunDescriptionFiles, AreReportedNamingTheFile) {
  ScopedHome home;
  std::filesystem::path folder = home.path();
  std::string expected = "Cannot create the run description file";
  switch (GetParam()) {
    case Unwritable::kFoldersInTheirPlace:
      std::filesystem::create_directory(home.outinfo());
      std::filesystem::create_directory(home.doutinfo());
      break;
    case Unwritable::kFullDevice:
      std::filesystem::create_symlink("/dev/full", home.outinfo());
      std::filesystem::create_symlink("/dev/full", home.doutinfo());
      expected = "Cannot write the run description file";
      break;
    case Unwritable::kMissingHomeFolder:
      // Root may write anywhere, but not into a folder that is not there.
      folder = home.path() / "gone";
      setenv("HOME", folder.c_str(), 1);
      break;
    case Unwritable::kHomeThatHoldsNoFiles:
      folder = "/proc/self";
      setenv("HOME", "/proc/self", 1);
      break;
  }
  Workflow run;
  ScriptedChooser dialog;
  const std::string input_refusal = refusal([&] { run.select_input(dialog); });
  const std::string submit_refusal = refusal([&] { run.submit({"5", "5", "0.9"}); });
  EXPECT_EQ(input_refusal.rfind(expected + " '" + (folder / "outinfo.txt").string() + "': ", 0), 0u) << input_refusal;
  EXPECT_EQ(submit_refusal.rfind(expected + " '" + (folder / "doutinfo.txt").string() + "': ", 0), 0u)
      << submit_refusal;
  // A write that failed leaves no run begun; the workflow goes on refusing what comes later.
  EXPECT_NE(refusal([&] { run.start_biclustering(); }).find("[Select Input File] first"), std::string::npos);
  // Only a file that could be opened gets as far as the dialog.
  EXPECT_EQ(dialog.shown.size(), GetParam() == Unwritable::kFullDevice ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Homes, UnwritableRunDescriptionFiles,
                         testing::Values(Unwritable::kFoldersInTheirPlace, Unwritable::kFullDevice,
                                         Unwritable::kMissingHomeFolder, Unwritable::kHomeThatHoldsNoFiles),
                         unwritable_name);

TEST(Workflow, HomeNotSetIsReportedBeforeAnyDialog) {
  ScopedHome home;
  unsetenv("HOME");
  Workflow run;
  ScriptedChooser dialog;
  EXPECT_NE(refusal([&] { run.select_input(dialog); }).find("HOME is not set"), std::string::npos);
  EXPECT_NE(refusal([&] { run.submit({"5", "5", "0.9"}); }).find("HOME is not set"), std::string::npos);
  EXPECT_TRUE(dialog.shown.empty());
}

}  // namespace
}  // namespace kova
