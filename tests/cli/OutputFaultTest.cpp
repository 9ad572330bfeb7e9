// The output file when things go wrong: a write that fails (disk full), a folder that cannot
// take the file, a final name that cannot be replaced, and the process killed at any moment.
// Never a partial file under the requested name, the previous file there intact, and no
// temporary file left after an error the program reported.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "output/OutputTestSupport.h"
#include "support/CommandRun.h"

namespace {

namespace fs = std::filesystem;
using stock::test::CommandResult;
using stock::test::RunStockreports;
using stock::testing::ReadFile;
using stock::testing::ScratchDir;

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// Names in `dir` that look like a temporary output file.
std::vector<std::string> Temporaries(const std::string& dir) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".tmp-") != std::string::npos) found.push_back(entry.path().string());
  }
  return found;
}

class OutputFaults : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new ScratchDir();
    ASSERT_EQ(RunStockreports({"demo", "--db", scratch_->File("demo.db")}).status, 0);
  }
  static void TearDownTestSuite() {
    delete scratch_;
    scratch_ = nullptr;
  }

  static CommandResult Print(const std::string& out, long file_size_limit = 0) {
    return RunStockreports(
        {"print", "stockItems", "--db", scratch_->File("demo.db"), "--out", out, "-q"},
        file_size_limit);
  }

  static ScratchDir* scratch_;
};
ScratchDir* OutputFaults::scratch_ = nullptr;

const char* const kFormats[] = {"pdf", "txt", "trace", "png"};

// A write past the file-size limit fails like a full disk: error naming the file, the previous
// file untouched, the temporary file removed.
TEST_F(OutputFaults, AFailedWriteKeepsThePreviousFile) {
  for (const char* ext : kFormats) {
    SCOPED_TRACE(ext);
    const std::string out = scratch_->File(std::string("cheio.") + ext);
    WriteFile(out, "relatório anterior");
    const CommandResult r = Print(out, 4096);
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find(out), std::string::npos) << r.output;
    EXPECT_EQ(ReadFile(out), "relatório anterior");
    EXPECT_EQ(Temporaries(scratch_->Path()), std::vector<std::string>{});
  }
}

// A path under a regular file, a final name held by a folder, and (unless root, whom folder
// permissions do not stop) a folder without write permission: an error naming the path and
// nothing changed on disk.
TEST_F(OutputFaults, AnOutputPathThatCannotBeWrittenChangesNothing) {
  const std::string file = scratch_->File("arquivo");
  WriteFile(file, "não é pasta");
  const std::string folder = scratch_->File("pasta.pdf");
  fs::create_directory(folder);
  WriteFile(folder + "/dentro.txt", "conteúdo");
  const std::string text_folder = scratch_->File("pasta.txt");
  fs::create_directory(text_folder);
  const std::string locked = scratch_->File("trancada");
  fs::create_directory(locked);
  chmod(locked.c_str(), 0555);

  std::vector<std::string> outs = {file + "/saida.pdf", file + "/saida.txt", folder, text_folder};
  if (geteuid() != 0) {
    outs.push_back(locked + "/saida.pdf");
    outs.push_back(locked + "/saida.txt");
  } else {
    std::cout << "[ note     ] running as root: the folder without write permission is not tried\n";
  }
  for (const std::string& out : outs) {
    SCOPED_TRACE(out);
    const CommandResult r = Print(out);
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find(out), std::string::npos) << r.output;
  }
  EXPECT_EQ(ReadFile(file), "não é pasta");
  EXPECT_EQ(ReadFile(folder + "/dentro.txt"), "conteúdo");
  EXPECT_TRUE(fs::is_empty(locked));
  EXPECT_TRUE(fs::is_empty(text_folder));
  EXPECT_EQ(Temporaries(scratch_->Path()), std::vector<std::string>{});
  chmod(locked.c_str(), 0755);
}

// A preview whose second page cannot be published: the error leaves the first page's file,
// the one under the requested name, as it was.
TEST_F(OutputFaults, APreviewPageThatCannotBePublishedKeepsTheFirstPage) {
  const std::string out = scratch_->File("previa.png");
  WriteFile(out, "prévia anterior");
  fs::create_directory(scratch_->File("previa-2.png"));
  const CommandResult r = Print(out);
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("previa-2.png"), std::string::npos) << r.output;
  EXPECT_EQ(ReadFile(out), "prévia anterior");
  EXPECT_EQ(Temporaries(scratch_->Path()), std::vector<std::string>{});
}

// SIGKILL at random moments of a print, over and over: the output path always holds either
// the previous document or a complete new one, never part of one.
TEST_F(OutputFaults, KilledAnywhereLeavesTheOldDocumentOrTheNewOne) {
  if (!stock::testing::HaveProgram("qpdf")) GTEST_SKIP() << "qpdf not installed";
  const std::string db = scratch_->File("grande.db");
  ASSERT_EQ(RunStockreports({"demo", "--db", db, "--products", "20000", "--months", "1"}).status,
            0);
  const std::string out = scratch_->File("morto.pdf");
  const std::vector<std::string> args = {"print", "stockItems", "--db", db, "--out", out, "-q"};

  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(RunStockreports(args).status, 0);
  const auto full = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - started);
  std::string previous = ReadFile(out);

  // Rounds go on until several kills have landed in the middle of a print (a temporary file
  // was being written), so that the test cannot pass on kills that all came too early or too
  // late.
  std::mt19937 rng(20260131);
  std::uniform_int_distribution<long> moment(0, full.count() * 6 / 5);
  int replaced = 0, mid_print = 0, round = 0;
  for (; round < 12 || (mid_print < 3 && round < 60); ++round) {
    SCOPED_TRACE(round);
    const pid_t pid = stock::test::StartStockreports(args);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(moment(rng)));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);

    const std::string now = ReadFile(out);
    if (now != previous) {
      int check = -1;
      stock::testing::RunCommand("qpdf --check '" + out + "' >/dev/null 2>&1", &check);
      EXPECT_EQ(check, 0) << "a partial document under the final name";
      previous = now;
      ++replaced;
    }
    // A killed run cannot remove its temporary file; it never has the final name.
    const std::vector<std::string> left = Temporaries(scratch_->Path());
    if (WIFSIGNALED(status) && !left.empty()) ++mid_print;
    for (const std::string& temp : left) fs::remove(temp);
  }
  EXPECT_GE(mid_print, 3) << "too few kills landed while the document was being written";
  std::cout << "[ note     ] " << round << " killed runs: " << mid_print
            << " in the middle of the print, " << replaced << " had published their document\n";
}

}  // namespace
